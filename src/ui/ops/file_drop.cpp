#include "ui/ops/file_drop.h"

#include "core/commands/trash_location.h"
#include "core/ops/file_operation.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/copier.h"
#include "ui/ops/deleter.h"

namespace arbel::ui {

bool dropsOpen(const Tmdimain& frame) {
    return !frame.state().dialogBusy();
}

OperationDialog* takeDroppedFiles(Tmdimain& frame, ChildWindow* window, const std::vector<std::string>& paths,
                                  const std::string& folder, dnd::DropEffect effect) {
    if (paths.empty() || folder.empty() || !dropsOpen(frame)) return nullptr;
    if (effect != dnd::DropEffect::Copy && effect != dnd::DropEffect::Move) return nullptr;
    frame.raise();
    frame.activateWindow();
    if (window) frame.activateChild(window);
    // Files dropped on the trash go there by the delete dialog, never by a copy.
    if (commands::isTrashLocation(folder)) return Tdel::openDropped(frame, paths);
    const bool move = effect == dnd::DropEffect::Move;
    const ops::Operation op = move ? ops::Operation::Move : ops::Operation::Copy;
    for (const std::string& path : paths) {
        if (auto refusal = ops::intoItselfRefusal(op, path, folder)) {
            showMessage(window ? static_cast<QWidget*>(window) : &frame, displayPath(refusal->describe()));
            return nullptr;
        }
    }
    return Tcopier::openDropped(frame, move ? Tcopier::Mode::Move : Tcopier::Mode::Copy, paths, folder);
}

}  // namespace arbel::ui
