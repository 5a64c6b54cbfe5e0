#include "ui/lists/folder_windows.h"

#include "ui/frame/mdimain.h"
#include "ui/lists/auto_folder_window.h"
#include "ui/lists/folder_window.h"

namespace arbel::ui {

ChildWindow* openFolderWindow(Tmdimain& frame, const std::string& folder) {
    return new Tmdisublist(frame, folder);
}

ChildWindow* openFolderWindow(Tmdimain& frame, const std::string& folder, std::vector<std::string> select) {
    auto* window = new Tmdisublist(frame, folder);
    if (!select.empty()) window->selectNames(std::move(select));
    return window;
}

ChildWindow* openAutoFolderWindow(Tmdimain& frame, const std::string& folder) {
    if (ChildWindow* existing = autoFolderWindow(frame)) {
        frame.activateChild(existing);
        return existing;
    }
    return new Tautodirview(frame, folder);
}

void autoFolderFollow(Tmdimain& frame, const std::string& folder) {
    ChildWindow* window = autoFolderWindow(frame);
    if (!window || !frame.state().autoWindowOpen) return;
    window->refreshWindow(app::RefreshSignal::None, folder);
}

ChildWindow* autoFolderWindow(Tmdimain& frame) {
    for (ChildWindow* w : frame.children()) {
        if (w->kind() == app::ActiveKind::Auto) return w;
    }
    return nullptr;
}

}  // namespace arbel::ui
