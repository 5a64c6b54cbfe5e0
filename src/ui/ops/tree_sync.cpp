#include "ui/ops/tree_sync.h"

#include "core/app/file_system.h"
#include "core/tree/dir_tree.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/search/findform.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

namespace {

// The tree keeps folders with a trailing "/".
std::string nodeForm(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + "/";
}

void closeWindowsOnGonePath(Tmdimain& frame, const std::string& path, const ops::AfterEffects& fx) {
    for (ChildWindow* w : frame.windowsAtOrBelow(path)) {
        if (w->kind() == app::ActiveKind::Auto && fx.autoFolderMovesUp) {
            app::ScopedRefreshSignal signal(frame.state(), app::RefreshSignal::Deletes);
            w->refreshWindow(app::RefreshSignal::Deletes, parentPath(path));
        } else if (w->kind() == app::ActiveKind::List ||
                   (fx.closeViewers && w->kind() == app::ActiveKind::Viewer && !w->isAutoViewer())) {
            w->close();
        }
    }
}

}  // namespace

void treeAddFolder(Tmdimain& frame, const std::string& folder) {
    if (Tmdisubdir* tree = Tmdisubdir::of(frame)) tree->DirTree1().AddDirPath(nodeForm(folder));
}

void treeRemoveFolder(Tmdimain& frame, const std::string& folder) {
    if (Tmdisubdir* tree = Tmdisubdir::of(frame)) tree->DirTree1().DeleteDir(nodeForm(folder));
}

void treeRenameFolder(Tmdimain& frame, const std::string& oldPath, const std::string& newName) {
    if (Tmdisubdir* tree = Tmdisubdir::of(frame))
        (void)tree->DirTree1().RenameDir(nodeForm(oldPath), newName);
}

void applyAfterEffects(Tmdimain& frame, const ops::AfterEffects& fx) {
    FrozenUpdates frozen(frame.clientArea());
    for (const auto& folder : fx.treeAdd) treeAddFolder(frame, folder);
    for (const auto& folder : fx.treeRemove) treeRemoveFolder(frame, folder);
    for (const auto& path : fx.gone) closeWindowsOnGonePath(frame, path, fx);
    for (const auto& r : fx.renamed) {
        treeRenameFolder(frame, r.from, baseName(r.to));
        for (ChildWindow* w : frame.windowsAtOrBelow(r.from)) {
            std::string rest = w->shownPath().substr(r.from.size());
            w->setShownPath(r.to + rest);
        }
    }
    for (const auto& folder : fx.refresh)
        if (!folder.empty()) frame.cappything(folder);
    if (fx.dropVanishedResults)
        if (Tfindform* find = Tfindform::instance()) find->dropVanishedRows();
}

}  // namespace arbel::ui
