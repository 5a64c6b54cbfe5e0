#include "ui/lists/folder_window.h"

#include "core/app/file_system.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui {

Tmdisublist::Tmdisublist(Tmdimain& frame, std::string folder) : FileWindow(frame, ActiveKind::List) {
    applyStoredSettings(config::keys::ListStyle, config::keys::ListFolder);
    setShownPath(folder);
    if (isFolder(folder)) updateWith(frame.state().pendingUpdate);
    finishCreation();
}

void Tmdisublist::updateWith(RefreshSignal mode, const std::string& folder) {
    if (mode == RefreshSignal::DelUpdate || mode == RefreshSignal::Dc) mode = RefreshSignal::None;
    if (mode == RefreshSignal::Format) {
        if (!folder.empty()) setShownPath(folder);
        mode = RefreshSignal::None;
    }
    setUpEnabled(!atVolumeRoot(shownFolder()));
    // Files may have changed under these modes: read again. The others only
    // recompute the status lines over the entries as they are.
    if (mode == RefreshSignal::None || mode == RefreshSignal::Yes || mode == RefreshSignal::Deletes) {
        readFolder(shownFolder());
    } else {
        afterRead();
    }
}

}  // namespace arbel::ui
