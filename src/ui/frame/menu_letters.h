#pragma once
// Menu letters that several items of one menu share cycle through those items
// with each press, as on other desktops. Qt does so itself, but a press that
// lands on an item with a submenu opens it and the next press goes into the
// submenu; here that press closes the submenu and goes on with the cycle.

class QMenu;

namespace arbel::ui {

// Watches the menu and, through it, its submenus.
void cycleSharedLetters(QMenu* menu);

}  // namespace arbel::ui
