#include "core/listing/listing.h"

namespace arbel::listing {

namespace {

constexpr std::string_view kUnit = "     ";  // one level of indentation
constexpr std::string_view kEol = "\r\n";

void line(std::string& out, std::string_view text) {
    out += text;
    out += kEol;
}

void indent(std::string& out, std::string_view prefix, int units) {
    out += prefix;
    for (int i = 0; i < units; ++i) out += kUnit;
}

// The shown children of node at `level` and below, depth first, each as
// prefix + level units + "|-" + text. An explicit stack, so a deep tree cannot
// exhaust the call stack.
// Levels deeper than maxLevel are left out.
void writeChildren(std::string& out, std::string_view prefix, const BranchNode& node, int level,
                   int maxLevel) {
    struct Pending {
        const BranchNode* node;
        size_t next;
        int level;
    };
    if (!node.expanded || level > maxLevel) return;
    std::vector<Pending> stack{{&node, 0, level}};
    while (!stack.empty()) {
        Pending& top = stack.back();
        if (top.next >= top.node->children.size()) {
            stack.pop_back();
            continue;
        }
        const BranchNode& child = top.node->children[top.next++];
        const int at = top.level;
        indent(out, prefix, at);
        out += "|-";
        line(out, child.text);
        if (child.expanded && at < maxLevel) stack.push_back({&child, 0, at + 1});
    }
}

}  // namespace

std::string branchListing(std::string_view selectedPath, const BranchNode& start) {
    if (!start.expanded) return {};
    std::string out;
    line(out, "");
    const std::string_view prefix = kUnit;
    out += prefix;
    line(out, selectedPath);
    writeChildren(out, prefix, start, 1, kMaxBranchDepth);
    return out;
}

std::string treeListing(const std::vector<BranchNode>& volumes) {
    std::string out;
    line(out, "");
    line(out, "Combined Volumes");
    for (const BranchNode& volume : volumes) {
        indent(out, "", 1);
        line(out, volume.text);
        // A volume stands at level 1, so its folders go one level further.
        writeChildren(out, "", volume, 2, kMaxBranchDepth + 1);
    }
    return out;
}

std::string listListing(const ListSnapshot& list, SaveScope scope) {
    std::string out;
    line(out, "");
    if (scope == SaveScope::Selected) {
        line(out, "Selected Items in " + list.folder);
    } else {
        line(out, "Directory of " + list.folder);
        line(out, "  " + list.statusText);
    }
    // The auto-folder window's selected listing has always padded an empty size
    // with two spaces fewer; saved listings keep that.
    const std::string_view noSize = list.autoWindow && scope == SaveScope::Selected
                                        ? std::string_view("        ")
                                        : std::string_view("          ");
    for (const ListRow& row : list.rows) {
        out += row.isFolder ? "  <DIR> " : "        ";
        line(out, row.name);
        out += "\t\t";
        out += row.size.empty() ? noSize : std::string_view(row.size);
        out += '\t';
        out += row.attributes;
        out += "      ";
        line(out, row.modified);
    }
    return out;
}

std::string listingPath(std::string_view folder, std::string_view fileName) {
    std::string path(folder);
    if (path.empty() || path.back() != '/') path += '/';
    path += fileName;
    return path;
}

}  // namespace arbel::listing
