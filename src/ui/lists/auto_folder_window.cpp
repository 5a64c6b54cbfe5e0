#include "ui/lists/auto_folder_window.h"

#include <QMdiArea>

#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"

namespace arbel::ui {

Tautodirview::Tautodirview(Tmdimain& frame, std::string folder) : FileWindow(frame, app::ActiveKind::Auto) {
    applyStoredSettings(config::keys::AutoStyle, config::keys::AutoFolder);
    app::AppState& st = frame.state();
    st.autoWindowOpen = true;
    updateWith(app::RefreshSignal::CaptionUpdate, folder);
    finishCreation();
}

void Tautodirview::ActivateForm() {
    frame().state().autoWindowOpen = true;
    FileWindow::ActivateForm();
}

void Tautodirview::updateWith(app::RefreshSignal mode, const std::string& target) {
    app::AppState& st = frame().state();
    if (!st.autoWindowOpen) return;
    std::optional<FrozenUpdates> frozen;
    if (!st.startupPhase) frozen.emplace(frame().clientArea());
    if (mode == app::RefreshSignal::None && frame().child(windowId()) == this) raise();
    const std::string folder = target.empty() ? shownFolder() : target;
    setShownPath(folder);
    setUpEnabled(!atVolumeRoot(folder));
    // Whatever the signal, this window shows the folder as it is now.
    if (!folder.empty()) readFolder(folder);
}

}  // namespace arbel::ui
