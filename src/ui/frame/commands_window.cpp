// Window menu commands: Refresh, Save to File / Print, and the menu's enabling.
// (Arrange All, Close, switching and the window entries are in window_ops.cpp.)
#include <QMdiArea>
#include <QMenu>

#include "ui/app/child_window.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/save_to_file.h"
#include "ui/lists/file_window.h"
#include "ui/viewer/mdiview.h"
#include "ui/viewer/viewer_print.h"

namespace arbel::ui {

void Tmdimain::refreshbutClick() {
    if (state_.fromSearch) return;
    ChildWindow* w = currentOf(state_.activeKind);
    if (!w) return;
    std::unique_ptr<FrozenUpdates> frozen;
    if (state_.activeKind != app::ActiveKind::Viewer) frozen = std::make_unique<FrozenUpdates>(clientArea());
    switch (state_.activeKind) {
        case app::ActiveKind::Auto:
        case app::ActiveKind::List:
            w->refreshWindow(state_.pendingUpdate, w->shownPath());
            break;
        case app::ActiveKind::Dir:
            w->refreshWindow(state_.pendingUpdate);
            break;
        default:
            break;
    }
}

void Tmdimain::oneClick() {
    saveWindowToFile(*this, listing::SaveScope::Selected);
}
void Tmdimain::twoClick() {
    saveWindowToFile(*this, listing::SaveScope::Entire);
}

void Tmdimain::Window1Click() {
    rebuildWindowMenu();
    FrameActions& a = actions();
    a.action(FrameAction::Refresh)->setEnabled(state_.activeKind != app::ActiveKind::Viewer);
    QAction* save = a.action(FrameAction::SaveToFileMenu);
    save->setEnabled(true);
    a.action(FrameAction::SaveSelected)->setEnabled(true);
    switch (state_.activeKind) {
        case app::ActiveKind::Dir:
            save->setText(QStringLiteral("&Save to file"));
            a.action(FrameAction::SaveSelected)->setText(QStringLiteral("&Selected Branch"));
            break;
        case app::ActiveKind::Auto:
        case app::ActiveKind::List:
            save->setText(QStringLiteral("&Save to file"));
            a.action(FrameAction::SaveSelected)->setText(QStringLiteral("&Selected Items"));
            if (FileWindow* w = activeFileWindow(*this))
                a.action(FrameAction::SaveSelected)->setEnabled(!w->selectedNames().empty());
            break;
        case app::ActiveKind::Viewer:
            save->setText(QStringLiteral("&Print"));
            a.action(FrameAction::SaveSelected)->setText(QStringLiteral("&Selected Text"));
            // A picture prints too, so only a viewer with nothing shown disables Print.
            if (auto* v = qobject_cast<Tmdiview*>(currentOf(app::ActiveKind::Viewer))) {
                save->setEnabled(viewerPrintable(*v));
                a.action(FrameAction::SaveSelected)->setEnabled(viewerHasSelectedText(*v));
            }
            break;
        default:
            break;
    }
    a.action(FrameAction::SaveEntire)->setText(QStringLiteral("&Entire Window"));
}

}  // namespace arbel::ui
