#pragma once
// A right-button drag ends where the button is released, and that may be another
// window than the one pressed (which holds the mouse meanwhile). The window under
// the release point then shows its Copy/Move menu, aimed at its folder under the
// point, for the items of the window the drag started in.

#include <QPoint>

namespace arbel::ui {

class ChildWindow;

// Hands the end of a right-button drag from `source` to the window under
// `globalPos`. False when that is `source` itself (it handles the end) or when no
// window can be told there; true when another window took it, or when the point
// is over a window that takes no right-button drops (nothing happens then).
bool endRightDragElsewhere(ChildWindow* source, const QPoint& globalPos);

}  // namespace arbel::ui
