// Paths of nodes and nodes of paths: the tree never reads the disk to find a node,
// except GetLongPath, which asks each folder for the spelling it stores.
#include "core/tree/dir_tree.h"

#include <vector>

namespace arbel::tree {

std::string TDirTree::NodePath(const TreeNode* node) const {
    if (!node) return {};
    const TreeNode* chain[256];
    std::vector<const TreeNode*> deep;
    size_t n = 0;
    for (const TreeNode* p = node; p->parent_; p = p->parent_) {
        if (n < 256)
            chain[n++] = p;
        else
            deep.push_back(p);
    }
    std::string path = addSlash(node->volumeNode()->name_);
    for (auto it = deep.rbegin(); it != deep.rend(); ++it) path.append((*it)->name_).push_back('/');
    while (n > 0) path.append(chain[--n]->name_).push_back('/');
    return path;
}

TreeNode* TDirTree::volumeNodeFor(std::string_view nodePath) const {
    TreeNode* best = nullptr;
    size_t bestLen = 0;
    for (const auto& root : roots_) {
        std::string mp = addSlash(root->name_);
        if (nodePath.substr(0, mp.size()) == mp && mp.size() > bestLen) {
            best = root.get();
            bestLen = mp.size();
        }
    }
    return best;
}

TreeNode* TDirTree::findChild(const TreeNode* parent, std::string_view name) const {
    for (const auto& c : parent->children_)
        if (c->name_ == name) return c.get();
    return nullptr;
}

TreeNode* TDirTree::FindNode(std::string_view path) const {
    std::string p = nodeForm(path);
    if (p.empty()) return nullptr;
    TreeNode* node = volumeNodeFor(p);
    if (!node) return nullptr;
    for (const auto& comp : componentsBelow(p, addSlash(node->name_))) {
        node = findChild(node, comp);
        if (!node) return nullptr;
    }
    return node;
}

std::string TDirTree::SelectedDir() const {
    return selected_ ? NodePath(selected_) : std::string("?");
}

std::string TDirTree::DropTargetDir() const {
    return NodePath(dropTarget_);
}

std::string TDirTree::nodeText(const TreeNode* node) const {
    if (!node) return {};
    if (node->volume_) return node->volume_->caption;
    return node->name_;
}

const Volume* TDirTree::volumeOfNode(const TreeNode* node) const {
    const TreeNode* root = node ? node->volumeNode() : nullptr;
    return root && root->volume_ ? &root->volume_->volume : nullptr;
}

std::string TDirTree::GetDisplayPath(std::string_view path) const {
    return folderForm(nodeForm(path));
}

std::string TDirTree::GetLongPath(std::string_view path) const {
    // The spelling stored on disk: matters on case-insensitive mounts (vfat, cifs),
    // where "/media/usb/docs" opens the folder stored as "Docs".
    std::string p = nodeForm(path);
    if (p.empty()) return {};
    std::string out = "/";
    auto comps = componentsBelow(p, "/");
    for (size_t i = 0; i < comps.size(); ++i) {
        const std::string& comp = comps[i];
        std::string chosen = comp;
        auto dir = DirHandle::open(out);
        auto st = dir.ok() ? statAt(*dir, comp, false) : Result<struct stat>(Error{});
        if (st.ok()) {
            bool exact = false;
            std::string byInode;
            (void)forEachEntry(*dir, [&](const RawEntry& e) {
                if (e.name == comp) {
                    exact = true;
                    return false;
                }
                if (e.inode == st->st_ino && byInode.empty()) byInode = std::string(e.name);
                return true;
            });
            if (!exact && !byInode.empty()) chosen = byInode;
        }
        out.append(chosen).push_back('/');
        if (!st.ok()) {  // the rest cannot be looked up
            for (size_t k = i + 1; k < comps.size(); ++k) out.append(comps[k]).push_back('/');
            break;
        }
    }
    return folderForm(out);
}

}  // namespace arbel::tree
