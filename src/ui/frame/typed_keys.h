#pragma once
// Shortcuts bound the way keyboards send them. A key combination with Shift on
// a key that types another symbol under Shift ("/" gives "?", Tab gives
// Backtab) arrives as that symbol with Shift. The xkb-based platforms (X11 and
// Wayland) offer it to the shortcut map as the symbol without Shift and as the
// unshifted key with Shift; other platforms offer the event as it is, the
// symbol with Shift. Binding both forms of the symbol, and not the unshifted
// key, lets exactly one binding match everywhere: two matches of one action
// are an ambiguity and neither fires.

#include <QAction>
#include <QKeySequence>
#include <QList>

namespace arbel::ui {

// The sequences to bind for a key named as on the key cap with Shift
// ("Shift+/", "Ctrl+Shift+Tab"), for the keys of a US keyboard.
QList<QKeySequence> typedKeys(QKeyCombination key);

// Binds the action to typedKeys(key); the menu shows the key as named.
void bindTypedKeys(QAction* action, QKeyCombination key);

}  // namespace arbel::ui
