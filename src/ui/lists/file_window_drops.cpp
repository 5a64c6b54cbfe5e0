// Files dropped on a folder window or the auto-folder window, from another
// window of Arbel or another program: copied (Shift: moved) into the folder entry
// under the drop point, else into the window's folder. A window's own drag
// dropped on itself is refused. And the end of a right-button drag begun in
// another window.
#include <QMenu>
#include <QTimer>

#include "core/app/file_system.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/file_window.h"
#include "ui/ops/file_drop.h"

namespace arbel::ui {

void FileWindow::setUpDrops() {
    FileDropHandling drops;
    drops.effects = dnd::kCopyMove;
    drops.acceptOwn = false;
    drops.owner = this;
    drops.allowedAt = [this](const QPoint& p) { return dropsOpen(frame()) && !dropFolderAt(p).empty(); };
    drops.dropped = [this](std::vector<std::string> paths, QPoint p, dnd::DropEffect effect) {
        const std::string folder = dropFolderAt(p);
        QPointer<FileWindow> self(this);
        QTimer::singleShot(0, this, [self, paths, folder, effect] {
            if (self) takeDroppedFiles(self->frame(), self, paths, folder, effect);
        });
    };
    FileList1->setDrops(drops);
}

std::string FileWindow::dropFolderAt(const QPoint& viewportPos) const {
    const int row = FileList1->rowAt(viewportPos);
    if (row >= 0 && row < model_->rowCount() &&
        model_->core().entry(static_cast<std::size_t>(row)).isFolder())
        return model_->fullPath(row);
    return shownFolder();
}

std::string FileWindow::folderNameAt(const QPoint& listPos) const {
    const int row = FileList1->rowAt(FileList1->toViewport(listPos));
    if (row < 0 || row >= model_->rowCount()) return {};
    if (!model_->core().entry(static_cast<std::size_t>(row)).isFolder()) return {};
    return std::string(model_->core().name(static_cast<std::size_t>(row)));
}

void FileWindow::rightDragEndedAt(const QPoint& globalPos) {
    // The items are the other window's (it is the active one); this one gives the target.
    rightDropTarget_ = folderNameAt(FileList1->mapFromGlobal(globalPos));
    PopupMenu2->popup(globalPos);
}

}  // namespace arbel::ui
