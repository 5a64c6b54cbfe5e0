#include "core/ops/item_gathering.h"

#include <sys/stat.h>

#include "platform/fileops.h"

namespace arbel::ops {

namespace {

bool existsPath(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

}  // namespace

bool isFolderPath(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

ItemCounts countKinds(const std::vector<std::string>& items) {
    ItemCounts c;
    for (const auto& item : items) {
        struct stat st;
        if (::lstat(item.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            ++c.folders;
        else
            ++c.files;
    }
    return c;
}

TargetState targetState(const std::string& path) {
    if (isFolderPath(path)) return TargetState::Folder;
    return existsPath(path) ? TargetState::NotAFolder : TargetState::Missing;
}

Gathered gatherItems(const GatherInput& in) {
    Gathered g;
    switch (in.from) {
        case GatherFrom::Search:
            // Rows whose file is gone since the search are left out.
            for (const auto& row : in.selectedRows) {
                std::string full = joinPath(row.folder, row.name);
                if (!existsPath(full)) continue;
                g.items.push_back(full);
                if (g.firstItem.empty()) g.firstItem = full;
            }
            break;
        case GatherFrom::Tree:
            if (!in.treeFolder.empty() && isFolderPath(in.treeFolder)) {
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
                if (g.firstItem.empty() && existsPath(full)) g.firstItem = full;
            }
            break;
    }
    return g;
}

}  // namespace arbel::ops
