#include "core/tree/tree_window_rules.h"

namespace arbel::tree {

std::string folderCountText(int visible) {
    return std::to_string(visible) + " folders";
}

std::string startFolder(std::string_view dirload, std::string_view home) {
    if (!dirload.empty()) return std::string(dirload);
    return home.empty() ? std::string("/") : std::string(home);
}

std::optional<std::string> dirloadToSave(const TDirTree& tree) {
    const TreeNode* node = tree.selected();
    if (!node) return std::nullopt;
    const Volume* v = tree.volumeOfNode(node);
    if (v && v->type == DriveType::Removable) return std::nullopt;
    return folderForm(tree.NodePath(node));
}

std::vector<TreeMenuEntry> contextMenuState(const TDirTree& tree) {
    const TreeNode* node = tree.selected();
    const bool volume = node && node->isVolume();
    const Volume* v = node ? tree.volumeOfNode(node) : nullptr;
    const bool removable = v && v->type == DriveType::Removable;
    std::vector<TreeMenuEntry> out;
    for (TreeMenuItem item : {TreeMenuItem::CopyDisk, TreeMenuItem::FormatDisk, TreeMenuItem::LabelDisk}) {
        bool enabled = item != TreeMenuItem::CopyDisk || removable;
        out.push_back({item, volume, enabled});
    }
    for (TreeMenuItem item : {TreeMenuItem::Copy, TreeMenuItem::Move, TreeMenuItem::Delete,
                              TreeMenuItem::Rename, TreeMenuItem::Attributes})
        out.push_back({item, node && !volume, item != TreeMenuItem::Attributes || !volume});
    out.push_back({TreeMenuItem::Sharing, false, true});
    out.push_back({TreeMenuItem::Cancel, node && !volume, true});
    return out;
}

}  // namespace arbel::tree
