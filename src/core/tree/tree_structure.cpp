// Changes of the node structure: inserting in display order, removing subtrees (the
// selection moves up out of them), renaming and sorting, and the path-based edits the
// file operations call to keep the tree in step without a rescan.
#include "core/tree/dir_tree.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

namespace arbel::tree {

std::string TDirTree::sortKey(std::string_view name) const {
    std::string key;
    collator_.appendKey(name, key);
    return key;
}

void TDirTree::renumber(TreeNode* parent, size_t from) {
    auto& list = parent ? parent->children_ : roots_;
    for (size_t i = from; i < list.size(); ++i) list[i]->row_ = uint32_t(i);
}

void TDirTree::forgetNode(TreeNode* node) {
    std::vector<TreeNode*> stack{node};
    while (!stack.empty()) {
        TreeNode* n = stack.back();
        stack.pop_back();
        if (n == dropTarget_) dropTarget_ = nullptr;
        for (auto& c : n->children_) stack.push_back(c.get());
        if (OnDeleteItem) OnDeleteItem(n);
    }
}

void TDirTree::setPlaceholder(TreeNode* node, bool on) {
    if (node->placeholder_ == on) return;
    if (on) {
        if (!node->children_.empty() || node->scanned_) return;
        notifyBeginInsert(node, 0, 0);
        node->placeholder_ = true;
        notifyEndInsert();
    } else {
        notifyBeginRemove(node, 0, 0);
        node->placeholder_ = false;
        notifyEndRemove();
    }
}

bool TDirTree::removeChildren(TreeNode* node) {
    setPlaceholder(node, false);
    if (node->children_.empty()) return false;
    bool moved = selected_ && selected_ != node && selected_->isWithin(node);
    notifyBeginRemove(node, 0, int(node->children_.size()) - 1);
    for (auto& c : node->children_) forgetNode(c.get());
    node->children_.clear();
    if (moved) selected_ = node;
    notifyEndRemove();
    if (moved && observer_ && !resetting_) observer_->selectionChanged(node);
    return moved;
}

bool TDirTree::removeNode(TreeNode* node) {
    TreeNode* parent = node->parent_;
    bool moved = selected_ && selected_->isWithin(node);
    size_t row = node->row_;
    notifyBeginRemove(parent, int(row), int(row));
    forgetNode(node);
    if (moved) selected_ = parent;
    auto& list = parent->children_;
    list.erase(list.begin() + long(row));
    renumber(parent, row);
    notifyEndRemove();
    if (moved && observer_ && !resetting_) observer_->selectionChanged(parent);
    return moved;
}

TreeNode* TDirTree::insertChildSorted(TreeNode* parent, std::string name, int32_t tag, bool link) {
    setPlaceholder(parent, false);
    auto& list = parent->children_;
    std::string key = sortKey(name);
    size_t lo = 0, hi = list.size();
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        std::string mk = sortKey(list[mid]->name_);
        bool before = mk < key || (mk == key && list[mid]->name_ < name);
        if (before)
            lo = mid + 1;
        else
            hi = mid;
    }
    auto node = std::make_unique<TreeNode>();
    node->name_ = std::move(name);
    node->parent_ = parent;
    node->tag_ = tag;
    node->link_ = link;
    TreeNode* raw = node.get();
    notifyBeginInsert(parent, int(lo), int(lo));
    list.insert(list.begin() + long(lo), std::move(node));
    renumber(parent, lo);
    notifyEndInsert();
    return raw;
}

void TDirTree::sortChildren(TreeNode* parent) {
    auto& list = parent->children_;
    std::vector<std::pair<std::string, TreeNode*>> keyed;
    keyed.reserve(list.size());
    for (auto& c : list) keyed.emplace_back(sortKey(c->name_), c.get());
    auto less = [](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return a.second->name_ < b.second->name_;
    };
    if (std::is_sorted(keyed.begin(), keyed.end(), less)) return;
    if (observer_ && !resetting_) observer_->beginReorder(parent);
    std::stable_sort(keyed.begin(), keyed.end(), less);
    std::vector<std::unique_ptr<TreeNode>> sorted;
    sorted.reserve(list.size());
    for (auto& [key, node] : keyed) sorted.push_back(std::move(list[node->row_]));
    list = std::move(sorted);
    renumber(parent, 0);
    if (observer_ && !resetting_) observer_->endReorder(parent);
}

void TDirTree::AddDirPath(std::string_view path) {
    std::string p = nodeForm(path);
    if (p.empty()) return;
    TreeNode* parent = volumeNodeFor(p);
    if (!parent) return;
    std::string sofar = NodePath(parent);
    for (const auto& comp : componentsBelow(p, sofar)) {
        sofar.append(comp).push_back('/');
        TreeNode* child = findChild(parent, comp);
        if (!child) {
            auto st = statPath(sofar, true);
            if (!st.ok() || !S_ISDIR(st->st_mode)) return;  // nothing there to show
            child = insertChildSorted(parent, comp, 0, false);
        }
        checkSubfolders(child);
        parent = child;
    }
}

void TDirTree::AddSubdir(std::string_view parentPath, std::string_view name, int32_t tag) {
    TreeNode* parent = FindNode(parentPath);
    if (!parent || !isValidName(name)) return;
    TreeNode* child = findChild(parent, name);
    if (!child) child = insertChildSorted(parent, std::string(name), tag, false);
    checkSubfolders(child);
}

void TDirTree::DeleteDir(std::string_view path) {
    TreeNode* node = FindNode(path);
    if (!node) return;
    if (node->isVolume()) {
        removeVolumeNode(node->row_);
        return;
    }
    TreeNode* parent = node->parent_;
    if (removeNode(node)) selectionChangedTo(parent);
}

Status TDirTree::RenameDir(std::string_view oldPath, std::string_view newName) {
    if (oldPath.empty() || newName.empty()) return Error{std::string(oldPath), 0, kInvalidPathName};
    TreeNode* node = FindNode(oldPath);
    if (!node) return Error{std::string(oldPath), ENOENT, ""};
    if (!isValidName(newName) || node->isVolume()) return Error{std::string(oldPath), EINVAL, ""};
    if (TreeNode* other = findChild(node->parent_, newName); other && other != node)
        return Error{NodePath(other), EEXIST, ""};
    node->name_ = std::string(newName);
    if (observer_) observer_->nodeChanged(node);
    sortChildren(node->parent_);
    // The loaded subtree's paths follow by themselves: nodes hold names, not paths.
    if (selected_ && selected_->isWithin(node)) selectionChangedTo(selected_);
    return {};
}

}  // namespace arbel::tree
