// Open menu commands: opening items, folder windows, the auto-folder window
// and viewers.
#include <QPointer>
#include <optional>
#include <utility>

#include "core/app/file_system.h"
#include "core/commands/menus.h"
#include "ui/app/bounded_task.h"
#include "ui/app/child_window.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/frame_actions.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/launch/gotoform.h"
#include "ui/lists/file_window.h"
#include "ui/lists/folder_windows.h"
#include "ui/search/findform.h"
#include "ui/tree/mdisubdir.h"
#include "ui/viewer/mdiview.h"

namespace arbel::ui {

using commands::Command;
using commands::gateOpen;
using commands::OpenAction;

namespace {

// Acts on a decided route. `s` is the state the route was decided on (an answer
// from the disk may come a little later than the key press).
void followOpenRoute(Tmdimain& frame, const commands::CommandState& s, const commands::OpenRoute& route) {
    app::AppState& state = frame.state();
    switch (route.action) {
        case OpenAction::Nothing:
            return;
        case OpenAction::ApplyFilter:
            applyFilterBox(frame);
            return;
        case OpenAction::StartSearch:
            if (Tfindform* search = searchWindow(frame)) search->Button1Click();
            return;
        case OpenAction::ConfirmDialog:
            confirmDialog(frame.openDialog(state.activeDialog));
            return;
        case OpenAction::ClearPendingUpdate:
            state.pendingUpdate = app::RefreshSignal::None;
            return;
        case OpenAction::OpenSearchResult:
        case OpenAction::OpenFile:
            openDocument(&frame, route.path);
            return;
        case OpenAction::OpenTrash:
            openDocument(&frame, "trash:///");
            return;
        case OpenAction::OpenFolderWindow:
            break;
    }
    WaitCursor wait;
    // Opening from the tree leaves a signal that the tree's next activation clears.
    if (s.activeKind == app::ActiveKind::Dir || s.activeKind == app::ActiveKind::Auto)
        state.pendingUpdate = app::RefreshSignal::Dc;
    openFolderWindowQuietly(frame, route.path);
}

// The item Enter was pressed on, for the message when it does not answer.
std::string openedItem(const commands::CommandState& s, const commands::OpenInputs& in) {
    if (s.activeDialog == app::DialogTag::FindForm) return in.searchResultPath;
    if (s.activeKind == app::ActiveKind::Dir) return in.treeFolder;
    return joinPath(in.listFolder, in.firstSelectedName);
}

}  // namespace

void Tmdimain::Selected1Click() {
    const commands::CommandState s = commandState(*this);
    const commands::OpenInputs in = openInputs(*this);
    if (const auto route = commands::routeWithoutDisk(s, in)) {
        followOpenRoute(*this, s, *route);
        return;
    }
    // Whether the item is a file, a folder or the trash is asked where a hanging
    // network mount cannot freeze the windows; an item that does not answer in
    // time is reported, not waited for.
    const commands::FileQueries queries = commandQueries();
    QPointer<Tmdimain> self(this);
    runBounded<commands::OpenRoute>(
        this, [s, in, queries] { return commands::routeOpenSelected(s, in, queries); },
        [self, s, item = openedItem(s, in)](std::optional<commands::OpenRoute> route) {
            if (!self) return;
            if (!route) {
                showMessage(self,
                            displayPath(item) + QString::fromUtf8(commands::kNotAnswering.data(),
                                                                  qsizetype(commands::kNotAnswering.size())),
                            QMessageBox::Warning);
                return;
            }
            followOpenRoute(*self, s, *route);
        });
}

void Tmdimain::Directory1Click() {
    std::string viewerFile;
    if (ChildWindow* viewer = currentOf(app::ActiveKind::Viewer)) viewerFile = viewer->shownPath();
    const auto target =
        commands::openFolderTarget(commandState(*this), openInputs(*this), viewerFile, commandQueries());
    if (!target) return;
    openFolderWindowQuietly(*this, *target);
}

void Tmdimain::DirectoryAs1Click() {
    if (!gateOpen(Command::FolderAs, commandState(*this))) return;
    Tgotoform::open(*this);
}

void Tmdimain::AutoDirectory1Click() {
    if (state_.autoWindowOpen) {
        if (ChildWindow* w = currentOf(app::ActiveKind::Auto)) activateChild(w);
        return;
    }
    const app::QuietActivation was = state_.quietActivation;
    state_.quietActivation = app::QuietActivation::Yes;
    Tmdisubdir* tree = treeTarget(*this);
    std::string selected = tree ? tree->selectedFolder() : std::string();
    // Built in one step: assigning "/" after a possibly empty string trips
    // GCC 12's false -Wrestrict at -O3.
    const std::string folder = selected.empty() ? std::string("/") : std::move(selected);
    openAutoFolderWindow(*this, folder);
    state_.quietActivation = was;
}

void Tmdimain::View2Click() {
    const auto file = commands::fileViewerTarget(commandState(*this), openInputs(*this), commandQueries());
    if (!file) return;
    openFileViewer(*this, *file);
}

void Tmdimain::AutoView1Click() {
    // The file the auto viewer shows: the last selected search result, or the
    // first selected item of the active file window.
    state_.viewerFile.clear();
    if (state_.fromSearch) {
        if (Tfindform* search = searchWindow(*this)) {
            const std::vector<std::string> paths = search->selectedPaths();
            if (!paths.empty()) state_.viewerFile = paths.back();
        }
    } else if (FileWindow* w = activeFileWindow(*this)) {
        const std::vector<std::string> paths = w->selectedPaths();
        if (!paths.empty()) state_.viewerFile = paths.front();
    }
    openAutoViewer(*this, state_.viewerFile);
}

// Menu opening: enabling of the Open menu's items.
void Tmdimain::Open1Click() {
    const commands::OpenMenuState m = commands::openMenuState(commandState(*this));
    FrameActions& a = actions();
    a.action(FrameAction::SelectedItem)->setEnabled(m.selectedItem);
    a.action(FrameAction::Folder)->setEnabled(m.folder);
    a.action(FrameAction::FileViewer)->setEnabled(m.fileViewer);
    // "Selected Branch" has no command yet and stays disabled.
}

// Right-button alternate of the Auto Folder button: Folder As.
void Tmdimain::autodirbutRightClick() {
    DirectoryAs1Click();
}

}  // namespace arbel::ui
