#pragma once
// What a window shows, taken from its core models, for the listing builders.

#include <cstddef>
#include <string>
#include <vector>

#include "core/listing/listing.h"
#include "core/lists/file_list_model.h"
#include "core/lists/list_format.h"
#include "core/tree/dir_tree.h"

namespace arbel::listing {

// The node and the descendants the tree shows below it (those under expanded
// nodes), at most kMaxBranchDepth levels down.
BranchNode branchSnapshot(const tree::TDirTree& tree, const tree::TreeNode* node);
// Every volume of the tree with what it shows.
std::vector<BranchNode> volumesSnapshot(const tree::TDirTree& tree);

// The rows of a file list (row numbers in list order) with their detail cells as
// the list formats them, and the window's file and byte count. Whether a row is a
// folder is asked of the disk at the moment of saving, as the list's own cells
// may be older than that.
ListSnapshot listSnapshot(const lists::FileListModel& model, const std::string& folder,
                          const std::vector<size_t>& rows, const lists::ListFormat& fmt, bool autoWindow);
// The same for every row.
ListSnapshot listSnapshot(const lists::FileListModel& model, const std::string& folder,
                          const lists::ListFormat& fmt, bool autoWindow);

}  // namespace arbel::listing
