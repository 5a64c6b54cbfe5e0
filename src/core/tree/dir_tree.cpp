// The tree's life, its properties, the notifications to a view, the selection and the
// program's operations that work on the whole tree. Lookups are in tree_lookup.cpp,
// reading folders in tree_enumeration.cpp, changes of the node structure in
// tree_structure.cpp and the volume nodes in tree_volumes.cpp.
#include "core/tree/dir_tree.h"

#include <unistd.h>

#include <utility>
#include <vector>

#include "platform/paths.h"

namespace arbel::tree {

TDirTree::TDirTree(VolumeSource* volumes) : volumeSource_(volumes) {
    if (!volumeSource_) {
        ownVolumeSource_ = std::make_unique<SystemVolumeSource>();
        volumeSource_ = ownVolumeSource_.get();
    }
    trash_ = TrashPlaces::current();
    char buf[4096];
    if (::getcwd(buf, sizeof buf)) currentDirectory_ = buf;
    std::string home = homeFolder();
    initialDirectory_ = home.empty() ? std::string("/") : std::move(home);
}

TDirTree::~TDirTree() = default;

void TDirTree::notifyBeginInsert(TreeNode* parent, int first, int last) {
    if (observer_ && !resetting_) observer_->beginInsertRows(parent, first, last);
}

void TDirTree::notifyEndInsert() {
    if (observer_ && !resetting_) observer_->endInsertRows();
}

void TDirTree::notifyBeginRemove(TreeNode* parent, int first, int last) {
    if (observer_ && !resetting_) observer_->beginRemoveRows(parent, first, last);
}

void TDirTree::notifyEndRemove() {
    if (observer_ && !resetting_) observer_->endRemoveRows();
}

void TDirTree::setExpandedNotify(TreeNode* node, bool expanded) {
    if (!node || node->expanded_ == expanded) return;
    node->expanded_ = expanded;
    if (observer_ && !resetting_) observer_->expandedChanged(node, expanded);
}

void TDirTree::setDirTypes(TDirTypes types) {
    if (types == dirTypes_) return;
    dirTypes_ = types;
    if (!roots_.empty()) RefreshTree();
}

void TDirTree::setGoBelowRecycleBin(bool on) {
    if (on == goBelowRecycleBin_) return;
    goBelowRecycleBin_ = on;
    if (!roots_.empty()) RefreshTree();
}

void TDirTree::setDriveTypes(TDriveTypes types) {
    if (types == driveTypes_) return;
    driveTypes_ = types;
    if (!roots_.empty() || !driveMask_.empty()) checkDrives();
}

void TDirTree::select(TreeNode* node) {
    if (node == selected_) return;
    selectionChangedTo(node);
}

void TDirTree::selectionChangedTo(TreeNode* node) {
    selected_ = node;
    if (observer_ && !resetting_) observer_->selectionChanged(node);
    if (changeLock_ != 0 || !node) return;
    size_t index = node->volumeNode()->row_;
    const std::string mp = volumeAt(index).mountPoint;
    VolumeState state = volumeSource_->probe({volumeAt(index)}).front();
    auto known = driveSerials_.find(mp);
    if (known == driveSerials_.end() || known->second != state.serial) {
        // The medium changed, or became readable or unreadable: the volume's folders
        // are re-read from scratch and the volume node stands for the selection.
        refreshVolume(index, state);
        node = roots_[index].get();
        if (selected_ != node) {
            selected_ = node;
            if (observer_) observer_->selectionChanged(node);
        }
    }
    driveDirs_[mp] = NodePath(node);
    if (OnChange) OnChange(node);
}

void TDirTree::click() {
    if (!selected_) return;
    const Volume* v = volumeOfNode(selected_);
    if (!v) return;
    auto known = driveSerials_.find(v->mountPoint);
    if (known == driveSerials_.end() || GetDriveSerial(v->mountPoint) != known->second)
        selectionChangedTo(selected_);
}

Status TDirTree::GoToDir(std::string_view path) {
    if (path.empty()) return Error{"", 0, kInvalidPathName};
    if (path == "?") return {};
    std::string p = nodeForm(path);
    if (p.empty() || !pathExists(p)) {
        TreeNode* fallback = volumeNodeFor(nodeForm(currentDirectory_));
        if (!fallback && !roots_.empty()) fallback = roots_.front().get();
        if (!fallback) return {};
        p = NodePath(fallback);
    }
    TreeNode* node = volumeNodeFor(p);
    if (!node) return {};
    if (!node->scanned_) readChildren(node);
    for (const auto& comp : componentsBelow(p, addSlash(node->name_))) {
        TreeNode* child = findChild(node, comp);
        if (!child) return {};  // not shown (filtered, or gone): the selection stays
        node = child;
        if (!node->scanned_) readChildren(node);
    }
    // Made visible: every ancestor expands, which checks its children for subfolders.
    std::vector<TreeNode*> ancestors;
    for (TreeNode* a = node->parent_; a; a = a->parent_) ancestors.push_back(a);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) {
        expandNode(*it);
        setExpandedNotify(*it, true);
    }
    select(node);
    return {};
}

bool TDirTree::selectLoaded(std::string_view path) {
    TreeNode* node = FindNode(path);
    if (!node) return false;
    std::vector<TreeNode*> ancestors;
    for (TreeNode* a = node->parent_; a; a = a->parent_) ancestors.push_back(a);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) setExpandedNotify(*it, true);
    select(node);
    return true;
}

void TDirTree::load() {
    readDrives();
    std::string start = initialDirectory_;
    if (start.empty() || !pathExists(nodeForm(start))) start = currentDirectory_;
    if (!start.empty()) (void)GoToDir(start);
}

void TDirTree::RefreshTree() {
    std::string remembered = SelectedDir();
    readDrives();
    (void)GoToDir(remembered);
    if (!roots_.empty() && !selected_ && remembered != "?") {
        if (TreeNode* vol = volumeNodeFor(nodeForm(remembered))) (void)GoToDir(NodePath(vol));
    }
    if (!selected_ && !roots_.empty()) {
        // The first volume that was read, or the last one.
        size_t i = 0;
        auto unread = [&](const TreeNode* r) {
            return r->placeholder_ || (!r->children_.empty() && !r->children_.front()->scanned_);
        };
        while (i + 1 < roots_.size() && unread(roots_[i].get())) ++i;
        const std::string mp = roots_[i]->name_;
        auto it = driveDirs_.find(mp);
        std::string target = it == driveDirs_.end() ? addSlash(mp) : it->second;
        (void)GoToDir(target);
        if (SelectedDir() != target) selectionChangedTo(roots_[i].get());
    }
}

void TDirTree::RefreshNode(TreeNode* node) {
    if (!node) return;
    bool moved = removeChildren(node);
    node->scanned_ = false;
    node->childrenChecked_ = false;
    setExpandedNotify(node, false);
    checkSubfolders(node);
    if (moved) selectionChangedTo(node);
}

int TDirTree::CountVisible() const {
    int count = 0;
    std::vector<const TreeNode*> stack;
    for (auto it = roots_.rbegin(); it != roots_.rend(); ++it) stack.push_back(it->get());
    while (!stack.empty()) {
        const TreeNode* n = stack.back();
        stack.pop_back();
        ++count;
        if (!n->expanded_) continue;
        if (n->placeholder_) ++count;
        for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it) stack.push_back(it->get());
    }
    return count;
}

std::vector<std::string> TDirTree::checkConsistency() const {
    std::vector<std::string> faults;
    auto fault = [&](const TreeNode* n, const std::string& what) {
        faults.push_back(NodePath(n) + ": " + what);
    };
    for (size_t i = 0; i < roots_.size(); ++i) {
        const TreeNode* r = roots_[i].get();
        if (r->parent_ || r->row_ != i) fault(r, "volume node out of place");
        if (!r->volume_)
            fault(r, "volume node without its volume record");
        else if (r->volume_->volume.mountPoint != r->name_)
            fault(r, "volume record of another mount");
        if (i > 0 && !(addSlash(roots_[i - 1]->name_) < addSlash(r->name_))) fault(r, "volumes out of order");
    }
    std::vector<const TreeNode*> stack;
    for (const auto& r : roots_) stack.push_back(r.get());
    bool selectedFound = selected_ == nullptr;
    while (!stack.empty()) {
        const TreeNode* n = stack.back();
        stack.pop_back();
        if (n == selected_) selectedFound = true;
        if (n->placeholder_ && (!n->children_.empty() || n->scanned_))
            fault(n, "placeholder beside children");
        std::string prevKey;
        const TreeNode* prev = nullptr;
        for (size_t i = 0; i < n->children_.size(); ++i) {
            const TreeNode* c = n->children_[i].get();
            if (c->parent_ != n || c->row_ != i) fault(c, "wrong parent or row");
            if (!isValidName(c->name_)) fault(c, "invalid name");
            if (isHiddenVolumeMount(NodePath(n), c->name_))
                fault(c, "volume mount point listed in its parent");
            std::string key = sortKey(c->name_);
            if (prev && !(prevKey < key || (prevKey == key && prev->name_ < c->name_)))
                fault(c, "children out of order or duplicated");
            prevKey = std::move(key);
            prev = c;
            stack.push_back(c);
        }
    }
    if (!selectedFound) faults.push_back("the selection is not in the tree");
    return faults;
}

}  // namespace arbel::tree
