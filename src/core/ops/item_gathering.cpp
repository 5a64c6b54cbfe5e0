#include "core/ops/item_gathering.h"

#include <cerrno>

#include "platform/fileops.h"
#include "platform/paths.h"

namespace arbel::ops {

ItemCounts countKinds(const std::vector<std::string>& items) {
    ItemCounts c;
    for (const auto& item : items) {
        if (isFolderItself(item))
            ++c.folders;
        else
            ++c.files;
    }
    return c;
}

bool isFolderPath(const std::string& p) {
    return isFolder(p);
}

TargetState targetState(const std::string& path) {
    if (isFolder(path)) return TargetState::Folder;
    return pathExists(path) ? TargetState::NotAFolder : TargetState::Missing;
}

Status createTargetFolder(const std::string& path) {
    return makeDirs(path);
}

Error notAFolderError(const std::string& path) {
    return errnoError(path, ENOTDIR);
}

Gathered gatherItems(const GatherInput& in) {
    Gathered g;
    switch (in.from) {
        case GatherFrom::Search:
            // Rows whose file is gone since the search are left out.
            for (const auto& row : in.selectedRows) {
                std::string full = joinPath(row.folder, row.name);
                if (!pathExists(full)) continue;
                g.items.push_back(full);
                if (g.firstItem.empty()) g.firstItem = full;
            }
            break;
        case GatherFrom::Tree:
            if (!in.treeFolder.empty() && isFolder(in.treeFolder)) {
                g.items.push_back(in.treeFolder);
                g.firstItem = in.treeFolder;
                g.operationSource = parentPath(in.treeFolder);
            }
            break;
        case GatherFrom::FolderWindow:
            if (in.selectedNames.empty()) break;
            g.operationSource = in.windowFolder;
            for (const auto& name : in.selectedNames) {
                std::string full = joinPath(in.windowFolder, name);
                g.items.push_back(full);
                if (g.firstItem.empty() && pathExists(full)) g.firstItem = full;
            }
            break;
    }
    return g;
}

}  // namespace arbel::ops
