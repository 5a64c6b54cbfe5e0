#include "ui/ops/file_drop.h"

#include "core/dnd/drop_route.h"
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
    const dnd::DropRoute route = dnd::dropRoute(effect, folder);
    if (paths.empty() || route == dnd::DropRoute::None || !dropsOpen(frame)) return nullptr;
    frame.raise();
    frame.activateWindow();
    if (window) frame.activateChild(window);
    if (route == dnd::DropRoute::Trash) return Tdel::openDropped(frame, paths);
    const bool move = route == dnd::DropRoute::Move;
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
