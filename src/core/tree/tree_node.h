#pragma once
// One node of the folder tree: a volume (top level) or a folder. A node knows only its
// own name; its path is built from its ancestors, so renaming a folder renames its
// whole loaded subtree at once. A node whose subfolders are unread but known (or
// assumed) to exist carries a placeholder: it shows as one empty child row.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace arbel::tree {

class TDirTree;

// What a volume node holds of its volume: the record of the last volume check and the
// caption shown for it.
struct VolumeRecord {
    Volume volume;
    std::string caption;
};

class TreeNode {
public:
    // The folder's name as stored on disk; for a volume node its mount point (folder form).
    const std::string& name() const { return name_; }
    TreeNode* parent() const { return parent_; }
    // Index among the parent's children (or among the volumes).
    int row() const { return int(row_); }
    const std::vector<std::unique_ptr<TreeNode>>& children() const { return children_; }
    int32_t tag() const { return tag_; }

    bool scanned() const { return scanned_; }
    bool hasPlaceholder() const { return placeholder_; }
    bool expanded() const { return expanded_; }
    // A symbolic link to a folder: browsed, never entered by recursive work.
    bool isLink() const { return link_; }
    bool isVolume() const { return parent_ == nullptr; }
    // Rows a view shows under this node: its children, or the one placeholder row.
    int rowCount() const { return placeholder_ ? 1 : int(children_.size()); }
    // The volume node this node lies on (itself for a volume node).
    const TreeNode* volumeNode() const {
        const TreeNode* n = this;
        while (n->parent_) n = n->parent_;
        return n;
    }
    // This node is `ancestor` or lies below it.
    bool isWithin(const TreeNode* ancestor) const {
        for (const TreeNode* n = this; n; n = n->parent_)
            if (n == ancestor) return true;
        return false;
    }

private:
    friend class TDirTree;
    std::string name_;
    TreeNode* parent_ = nullptr;
    std::vector<std::unique_ptr<TreeNode>> children_;
    int32_t tag_ = 0;
    uint32_t row_ = 0;
    bool scanned_ = false;
    bool placeholder_ = false;
    bool childrenChecked_ = false;  // every child was checked for subfolders
    bool expanded_ = false;
    bool link_ = false;
    std::unique_ptr<VolumeRecord> volume_;  // volume nodes only
};

// What a view of the tree hears about, in the order models need it: each change of
// rows is announced before and after it happens. A null parent means the top level.
// The placeholder counts as row 0 of its node.
class TreeObserver {
public:
    virtual ~TreeObserver() = default;
    virtual void beginReset() {}
    virtual void endReset() {}
    virtual void beginInsertRows(TreeNode* parent, int first, int last) {}
    virtual void endInsertRows() {}
    virtual void beginRemoveRows(TreeNode* parent, int first, int last) {}
    virtual void endRemoveRows() {}
    // Children keep their nodes but change order (sorting after a rename or an add).
    virtual void beginReorder(TreeNode* parent) {}
    virtual void endReorder(TreeNode* parent) {}
    virtual void nodeChanged(TreeNode* node) {}
    virtual void selectionChanged(TreeNode* node) {}
    virtual void expandedChanged(TreeNode* node, bool expanded) {}
};

}  // namespace arbel::tree
