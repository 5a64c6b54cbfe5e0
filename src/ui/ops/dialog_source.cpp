#include "ui/ops/dialog_source.h"

#include "core/ops/item_list.h"
#include "core/tree/dir_tree.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/search/findform.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

void countKinds(DialogSource& source) {
    ops::ItemCounts c = ops::countKinds(source.gathered.items);
    source.files = c.files;
    source.folders = c.folders;
}

DialogSource gatherFromFrame(Tmdimain& frame) {
    DialogSource s;
    app::AppState& state = frame.state();
    s.kind = state.activeKind;
    s.fromSearch = state.fromSearch;
    ops::GatherInput in;
    if (state.pendingUpdate == app::RefreshSignal::DfDrop) {
        // A drop filled the list: take it as it is.
        state.pendingUpdate = app::RefreshSignal::None;
        s.dropped = true;
        s.gathered.items = ops::processItemList().items;
        if (!s.gathered.items.empty()) s.gathered.firstItem = s.gathered.items.front();
        s.window = frame.currentOf(state.activeKind);
    } else if (state.fromSearch) {
        if (Tfindform* find = Tfindform::instance()) {
            in.from = ops::GatherFrom::Search;
            in.selectedRows = find->selectedRows();
            s.rows = in.selectedRows;
            s.gathered = ops::gatherItems(in);
        }
    } else if (state.activeKind == app::ActiveKind::Dir) {
        if (Tmdisubdir* tree = Tmdisubdir::of(frame)) {
            in.from = ops::GatherFrom::Tree;
            in.treeFolder = tree->selectedFolder();
            s.windowFolder = in.treeFolder;
            s.window = tree;
            s.gathered = ops::gatherItems(in);
        }
    } else if (state.activeKind == app::ActiveKind::List || state.activeKind == app::ActiveKind::Auto) {
        if (auto* w = qobject_cast<FileWindow*>(frame.currentOf(state.activeKind))) {
            in.from = ops::GatherFrom::FolderWindow;
            in.windowFolder = w->shownFolder();
            in.selectedNames = w->selectedNames();
            s.windowFolder = in.windowFolder;
            s.window = w;
            s.gathered = ops::gatherItems(in);
        }
    }
    countKinds(s);
    return s;
}

void refreshFolder(Tmdimain& frame, const std::string& folder) {
    if (folder.empty()) return;
    frame.cappything(folder);
}

void reloadKeepingSelection(Tmdimain& frame, const std::string& folder) {
    if (folder.empty()) return;
    for (ChildWindow* w : frame.windowsShowingFolder(folder)) {
        auto* list = qobject_cast<FileWindow*>(w);
        std::vector<std::string> selected = list ? list->selectedNames() : std::vector<std::string>{};
        {
            app::ScopedRefreshSignal signal(frame.state(), app::RefreshSignal::Format);
            w->refreshWindow(app::RefreshSignal::Format, folder);
        }
        // Names, not positions: the changed entries may sort elsewhere now.
        if (list && !selected.empty()) list->selectNames(std::move(selected));
    }
}

}  // namespace arbel::ui
