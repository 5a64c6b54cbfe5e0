// Reading folders into the tree: which entries count as subfolders (the attribute,
// recycle-bin and OnAddDir filters), the lazy reads on expansion and the check for one
// qualifying subfolder, and expansion by levels.
#include "core/tree/dir_tree.h"
#include "core/tree/tree_expansion_detail.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace arbel::tree {

struct TDirTree::Candidate {
    std::string name;
    int32_t tag = 0;
    bool link = false;
};

lists::AttributeFilter treeAttributeFilter(TDirTypes types) {
    lists::AttributeFilter f;
    f.all = types & dtAll;
    f.checked = kAttrHidden | kAttrSystem | kAttrArchive;
    if (types & dtHidden) f.allowed |= kAttrHidden;
    if (types & dtSystem) f.allowed |= kAttrSystem;
    if (types & dtArchive) f.allowed |= kAttrArchive;
    f.plainAllowed = types & dtNormal;
    return f;
}

bool TDirTree::passesFolderFilter(const std::string& nodePath, std::string_view volumeRoot) const {
    if (!goBelowRecycleBin_ && trash_.isBelowTrash(nodePath, volumeRoot)) return false;
    if (OnAddDir && !OnAddDir(nodePath)) return false;
    return true;
}

bool TDirTree::isHiddenVolumeMount(const std::string& parentPath, std::string_view name) const {
    auto it = volumeParents_.find(parentPath);
    if (it == volumeParents_.end()) return false;
    return std::find(it->second.begin(), it->second.end(), name) != it->second.end();
}

uint32_t TDirTree::attributesOf(const std::string& path, std::string_view name) const {
    return detail::folderAttributes(path, name);
}

ExpansionQuery TDirTree::queryFor(const TreeNode* node) const {
    ExpansionQuery q;
    q.path = NodePath(node);
    q.volumeRoot = addSlash(node->volumeNode()->name_);
    q.skipTrash = !goBelowRecycleBin_;
    q.checkAttributes = !(dirTypes_ & dtAll);
    q.filter = treeAttributeFilter(dirTypes_);
    if (q.skipTrash) q.trash = trash_;
    q.volumeParents = volumeParents_;
    return q;
}

std::vector<TDirTree::Candidate> TDirTree::enumerate(TreeNode* node, const DirHandle* dir,
                                                     bool stopAtFirst) const {
    std::vector<Candidate> out;
    const ExpansionQuery q = queryFor(node);
    const std::string& path = q.path;

    if (OnFindDir) {
        TDirRec rec;
        rec.Tag = node->tag_;
        int result = 0;
        for (bool first = true;; first = false) {
            rec.Attr = 0;
            rec.Name.clear();
            OnFindDir(path, rec, result, first);
            if (result != 0) break;
            if (!(rec.Attr & kAttrDirectory) || rec.Name.empty() || rec.Name == "." || rec.Name == "..")
                continue;
            if (rec.Name.find('/') != std::string::npos) continue;
            if (!detail::accepts(q, path, rec.Name, rec.Attr, true, OnAddDir)) continue;
            out.push_back({rec.Name, rec.Tag, false});
            if (stopAtFirst) break;
        }
        return out;
    }

    DirHandle own;
    if (!dir) {
        auto opened = openNode(node);
        if (!opened.ok()) return out;  // an unreadable folder has no subfolders to show
        own = std::move(*opened);
        dir = &own;
    }
    for (auto& f : detail::subfolders(q, path, *dir, stopAtFirst, OnAddDir))
        out.push_back({std::move(f.name), 0, f.link});
    return out;
}

Result<DirHandle> TDirTree::openNode(const TreeNode* node) const {
    return DirHandle::open(NodePath(node));
}

void TDirTree::readChildren(TreeNode* node, const DirHandle* dir) {
    removeChildren(node);
    node->scanned_ = true;
    node->childrenChecked_ = false;
    insertChildren(node, enumerate(node, dir, false));
}

void TDirTree::insertChildren(TreeNode* node, std::vector<Candidate> found) {
    if (found.empty()) return;
    // Sorted once with precomputed keys: inserting one by one costs O(n^2) on big folders.
    std::vector<std::pair<std::string, size_t>> keyed;
    keyed.reserve(found.size());
    for (size_t i = 0; i < found.size(); ++i) keyed.emplace_back(sortKey(found[i].name), i);
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return found[a.second].name < found[b.second].name;
    });
    notifyBeginInsert(node, 0, int(found.size()) - 1);
    node->children_.reserve(found.size());
    for (auto& [key, i] : keyed) {
        auto child = std::make_unique<TreeNode>();
        child->name_ = std::move(found[i].name);
        child->parent_ = node;
        child->tag_ = found[i].tag;
        child->link_ = found[i].link;
        child->row_ = uint32_t(node->children_.size());
        node->children_.push_back(std::move(child));
    }
    notifyEndInsert();
}

void TDirTree::checkSubfolders(TreeNode* node, const DirHandle* parentDir) {
    if (node->scanned_ || node->placeholder_ || !node->children_.empty()) return;
    if (node->link_) {
        // Checking would mean following the link; assume subfolders, read on expansion.
        setPlaceholder(node, true);
        return;
    }
    if (OnFindDir) {
        if (!enumerate(node, nullptr, true).empty()) setPlaceholder(node, true);
        return;
    }
    if (!(parentDir && !node->isVolume()) && !reachable(node)) return;
    auto dir = parentDir && !node->isVolume() ? parentDir->openChild(node->name_) : openNode(node);
    if (!dir.ok()) return;
    if (!enumerate(node, &*dir, true).empty()) setPlaceholder(node, true);
}

bool TDirTree::needsExpandWork(const TreeNode* node) const {
    return node && (!node->scanned_ || !node->childrenChecked_);
}

void TDirTree::expandNodeWith(TreeNode* node, const DirHandle& dir) {
    if (!node->scanned_) readChildren(node, OnFindDir ? nullptr : &dir);
    if (!node->childrenChecked_) {
        for (auto& c : node->children_) checkSubfolders(c.get(), OnFindDir ? nullptr : &dir);
        node->childrenChecked_ = true;
    }
}

bool TDirTree::reachable(const TreeNode* node) {
    const Volume* v = volumeOfNode(node);
    if (!v || v->type != DriveType::Remote) return true;
    return volumeSource_->probe({*v}).front().readable;
}

bool TDirTree::volumePresent(const TreeNode* node) {
    const Volume* v = volumeOfNode(node);
    if (!v) return false;
    if (v->type == DriveType::Remote) return reachable(node);
    auto st = statPath(v->mountPoint, true);
    return st.ok() && S_ISDIR(st->st_mode);
}

void TDirTree::expandNode(TreeNode* node) {
    if (!needsExpandWork(node)) return;
    auto dir = reachable(node) ? openNode(node) : Result<DirHandle>(Error{NodePath(node), EHOSTDOWN, ""});
    if (!dir.ok()) {
        // Unreadable: it has no subfolders to show; the placeholder goes.
        if (!node->scanned_) {
            removeChildren(node);
            node->scanned_ = true;
        }
        node->childrenChecked_ = true;
        return;
    }
    expandNodeWith(node, *dir);
}

std::optional<ExpansionQuery> TDirTree::expansionQuery(const TreeNode* node) const {
    if (!node || OnFindDir || OnAddDir) return std::nullopt;
    return queryFor(node);
}

bool TDirTree::applyExpansion(TreeNode* node, const ExpansionQuery& query, ExpansionRead read) {
    if (!node || read.cancelled || NodePath(node) != query.path) return false;
    if (!needsExpandWork(node)) return false;  // read in place meanwhile
    if (!read.readable) {
        // Unreadable: it has no subfolders to show; the placeholder goes.
        if (!node->scanned_) {
            removeChildren(node);
            node->scanned_ = true;
        }
        node->childrenChecked_ = true;
        return true;
    }
    std::map<std::string_view, bool> subfolders;
    if (!node->scanned_) {
        removeChildren(node);
        node->scanned_ = true;
        std::vector<Candidate> found;
        found.reserve(read.children.size());
        for (const auto& c : read.children) found.push_back({c.name, 0, c.link});
        insertChildren(node, std::move(found));
    }
    for (const auto& c : read.children) subfolders.emplace(c.name, c.hasSubfolders);
    for (auto& child : node->children_) {
        TreeNode* c = child.get();
        if (c->scanned_ || c->placeholder_ || !c->children_.empty()) continue;
        auto it = subfolders.find(c->name_);
        if (it != subfolders.end() && it->second) setPlaceholder(c, true);
    }
    node->childrenChecked_ = true;
    return true;
}

void TDirTree::setExpanded(TreeNode* node, bool expanded) {
    if (node) node->expanded_ = expanded;
}

void TDirTree::collapseSubtree(TreeNode* node) {
    std::vector<TreeNode*> stack{node};
    while (!stack.empty()) {
        TreeNode* n = stack.back();
        stack.pop_back();
        setExpandedNotify(n, false);
        for (auto& c : n->children_) stack.push_back(c.get());
    }
}

void TDirTree::collapseAll(TreeNode* node) {
    if (!node) return;
    expandNode(node);
    collapseSubtree(node);
}

int TDirTree::expandLevels(TreeNode* node, int levels, const CancelToken* cancel) {
    if (!node || levels == 0) return 0;
    struct Item {
        TreeNode* node;
        int depth;
        dev_t parentDev;
    };
    std::set<std::pair<dev_t, ino_t>> entered;
    std::vector<Item> stack{{node, 0, 0}};
    int count = 0;
    while (!stack.empty()) {
        if (cancel && cancel->cancelled()) break;
        Item item = stack.back();
        stack.pop_back();
        TreeNode* n = item.node;
        if (n != node && n->link_) continue;  // shown, never entered
        auto dir = openNode(n);
        if (!dir.ok()) {
            expandNode(n);
            continue;
        }
        struct stat st;
        if (::fstat(dir->fd(), &st) != 0) continue;
        if (!entered.insert({st.st_dev, st.st_ino}).second) continue;  // a loop through a bind mount
        if (n != node && st.st_dev != item.parentDev && isPseudoFileSystemAt(dir->fd())) continue;
        expandNodeWith(n, *dir);
        setExpandedNotify(n, true);
        ++count;
        if (levels >= 0 && item.depth + 1 >= levels) continue;
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it)
            stack.push_back({it->get(), item.depth + 1, st.st_dev});
    }
    return count;
}

}  // namespace arbel::tree
