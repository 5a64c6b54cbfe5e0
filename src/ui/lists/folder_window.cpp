#include "ui/lists/folder_window.h"

#include "core/app/file_system.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui {

Tmdisublist::Tmdisublist(Tmdimain& frame, std::string folder) : FileWindow(frame, app::ActiveKind::List) {
    applyStoredSettings(config::keys::ListStyle, config::keys::ListFolder);
    setShownPath(folder);
    // The read runs on a worker, which is also where a folder that is gone, or on a
    // mount that stopped answering, shows as such: nothing is asked here.
    updateWith(frame.state().pendingUpdate);
    finishCreation();
}

void Tmdisublist::updateWith(app::RefreshSignal mode, const std::string& folder) {
    if (mode == app::RefreshSignal::DelUpdate || mode == app::RefreshSignal::Dc)
        mode = app::RefreshSignal::None;
    if (mode == app::RefreshSignal::Format) {
        if (!folder.empty()) setShownPath(folder);
        mode = app::RefreshSignal::None;
    }
    setUpEnabled(!atVolumeRoot(shownFolder()));
    // Files may have changed under these modes: read again. The others only
    // recompute the status lines over the entries as they are.
    if (mode == app::RefreshSignal::None || mode == app::RefreshSignal::Yes ||
        mode == app::RefreshSignal::Deletes) {
        readFolder(shownFolder());
    } else {
        afterRead();
    }
}

}  // namespace arbel::ui
