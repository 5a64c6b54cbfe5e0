#include "ui/ops/tree_sync.h"

#include "core/tree/dir_tree.h"
#include "ui/frame/mdimain.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

namespace {

// The tree keeps folders with a trailing "/".
std::string nodeForm(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/') return folder;
    return folder + "/";
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

}  // namespace arbel::ui
