#pragma once
// The saved listings of Window > Save to File: "Arbel Branch.txt" from the folder
// tree and "Arbel List.txt" from a folder or auto-folder window. The builders are
// pure functions over a snapshot of what the window shows; the bytes they return
// are the file, CR LF after every line, names copied byte for byte (a name that
// is not UTF-8, or holds a tab, is written as it is stored).

#include <string>
#include <string_view>
#include <vector>

namespace arbel::listing {

inline constexpr std::string_view kBranchFileName = "Arbel Branch.txt";
inline constexpr std::string_view kListFileName = "Arbel List.txt";
// Levels written below the start node; deeper folders are left out.
inline constexpr int kMaxBranchDepth = 12;

// "&Selected ..." or "&Entire Window".
enum class SaveScope { Selected, Entire };

// One node of the tree as shown: its text (a volume's caption, a folder's name)
// and, when the tree shows them (the node is expanded), its children.
struct BranchNode {
    std::string text;
    bool expanded = false;
    std::vector<BranchNode> children;
};

// "&Selected Branch": the selected folder's path (as the tree gives it, with its
// trailing "/") and its shown descendants. Empty when start is not expanded: the
// folder has no visible children and nothing is written.
std::string branchListing(std::string_view selectedPath, const BranchNode& start);
// "&Entire Window": "Combined Volumes" and every volume with its shown folders.
std::string treeListing(const std::vector<BranchNode>& volumes);

// One row of a file list: its name and the three detail columns after the type
// column (size, attributes, modified) as the list shows them.
struct ListRow {
    std::string name;
    bool isFolder = false;  // the folder + name is an existing folder
    std::string size;
    std::string attributes;
    std::string modified;
};

struct ListSnapshot {
    std::string folder;      // the folder the window shows (no trailing "/" except "/")
    std::string statusText;  // the window's file and byte count line
    bool autoWindow = false;
    std::vector<ListRow> rows;  // the selected rows (Selected) or every row, in list order
};

std::string listListing(const ListSnapshot& list, SaveScope scope);

// folder + "/" + name without doubling the "/" of the root.
std::string listingPath(std::string_view folder, std::string_view fileName);

}  // namespace arbel::listing
