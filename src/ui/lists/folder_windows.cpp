#include "ui/lists/folder_windows.h"

#include "ui/frame/mdimain.h"

namespace arbel::ui {

ChildWindow* openFolderWindow(Tmdimain&, const std::string&) {
    return nullptr;
}

ChildWindow* openAutoFolderWindow(Tmdimain&, const std::string&) {
    return nullptr;
}

void autoFolderFollow(Tmdimain&, const std::string&) {}

ChildWindow* autoFolderWindow(Tmdimain& frame) {
    return frame.currentOf(ActiveKind::Auto);
}

}  // namespace arbel::ui
