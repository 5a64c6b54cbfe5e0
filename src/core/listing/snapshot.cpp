#include "core/listing/snapshot.h"

#include <sys/stat.h>

#include <numeric>

#include "platform/dir.h"

namespace arbel::listing {

namespace {

bool shown(const tree::TreeNode* node) {
    return node->expanded() && !node->hasPlaceholder();
}

void copyShown(const tree::TDirTree& tree, const tree::TreeNode* node, BranchNode& out, int depthLeft) {
    out.text = tree.nodeText(node);
    out.expanded = shown(node);
    if (!out.expanded || depthLeft == 0) return;
    out.children.resize(node->children().size());
    for (size_t i = 0; i < node->children().size(); ++i)
        copyShown(tree, node->children()[i].get(), out.children[i], depthLeft - 1);
}

}  // namespace

BranchNode branchSnapshot(const tree::TDirTree& tree, const tree::TreeNode* node) {
    BranchNode out;
    if (node) copyShown(tree, node, out, kMaxBranchDepth);
    return out;
}

std::vector<BranchNode> volumesSnapshot(const tree::TDirTree& tree) {
    std::vector<BranchNode> out(tree.roots().size());
    for (size_t i = 0; i < out.size(); ++i) copyShown(tree, tree.roots()[i].get(), out[i], kMaxBranchDepth);
    return out;
}

ListSnapshot listSnapshot(const lists::FileListModel& model, const std::string& folder,
                          const std::vector<size_t>& rows, const lists::ListFormat& fmt, bool autoWindow) {
    ListSnapshot out;
    out.folder = folder;
    out.autoWindow = autoWindow;
    out.statusText =
        lists::folderStatusText(model.fileCount(), model.totalBytes(), model.folderCount(), fmt.thousandsSep);
    auto dir = DirHandle::open(folder);
    out.rows.reserve(rows.size());
    for (size_t row : rows) {
        if (row >= model.size()) continue;
        ListRow r;
        r.name = std::string(model.name(row));
        if (dir.ok()) {
            auto st = statAt(*dir, r.name, /*follow=*/true);
            r.isFolder = st.ok() && S_ISDIR(st->st_mode);
        }
        r.size = model.cell(row, lists::Cell::Size, fmt);
        r.attributes = model.cell(row, lists::Cell::Attributes, fmt);
        r.modified = model.cell(row, lists::Cell::Modified, fmt);
        out.rows.push_back(std::move(r));
    }
    return out;
}

ListSnapshot listSnapshot(const lists::FileListModel& model, const std::string& folder,
                          const lists::ListFormat& fmt, bool autoWindow) {
    std::vector<size_t> rows(model.size());
    std::iota(rows.begin(), rows.end(), size_t(0));
    return listSnapshot(model, folder, rows, fmt, autoWindow);
}

}  // namespace arbel::listing
