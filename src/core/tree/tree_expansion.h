#pragma once
// An expansion read away from the tree: what reading a folder's subfolders needs to
// know (copied out of the tree, so a worker thread can read with it while the
// interface thread keeps the tree), and what the read found. The tree applies the
// answer later, if the node is still there and still at that path.

#include <map>
#include <string>
#include <vector>

#include "core/lists/attribute_filter.h"
#include "platform/cancel.h"
#include "platform/trash_places.h"

namespace arbel::tree {

struct ExpansionQuery {
    std::string path;        // node form
    std::string volumeRoot;  // folder form
    bool skipTrash = false;  // folders inside a trash are not listed
    bool checkAttributes = false;
    lists::AttributeFilter filter;
    TrashPlaces trash;
    // Folders (node form) holding volume mount points, with those names.
    std::map<std::string, std::vector<std::string>> volumeParents;
};

struct ExpandedChild {
    std::string name;
    bool link = false;
    bool hasSubfolders = false;  // links: assumed, never followed to check
};

struct ExpansionRead {
    bool readable = false;
    bool cancelled = false;
    std::vector<ExpandedChild> children;  // in the file system's order
};

// Reads the folder and checks each subfolder for one qualifying subfolder of its own.
// Runs on any thread; touches nothing but the file system and the query.
ExpansionRead readExpansion(const ExpansionQuery& query, const CancelToken* cancel = nullptr);

}  // namespace arbel::tree
