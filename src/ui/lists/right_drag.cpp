#include "ui/lists/right_drag.h"

#include <QApplication>

#include "ui/lists/file_window.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

bool endRightDragElsewhere(ChildWindow* source, const QPoint& globalPos) {
    ChildWindow* under = nullptr;
    for (QWidget* w = QApplication::widgetAt(globalPos); w && !under; w = w->parentWidget())
        under = qobject_cast<ChildWindow*>(w);
    if (!under) return false;
    if (under == source) return false;
    if (auto* tree = qobject_cast<Tmdisubdir*>(under)) {
        tree->rightDragEndedAt(globalPos);
    } else if (auto* files = qobject_cast<FileWindow*>(under)) {
        files->rightDragEndedAt(globalPos);
    }
    return true;
}

}  // namespace arbel::ui
