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
    using commands::Command;
    std::vector<TreeMenuEntry> out;
    out.push_back({Command::CopyDiskette, "Copy Disk", volume, removable});
    out.push_back({Command::FormatDisk, "Format Disk", volume, true});
    out.push_back({Command::LabelDisk, "Label Disk", volume, true});
    const bool folder = node && !volume;
    out.push_back({Command::Copy, "Copy", folder, true});
    out.push_back({Command::Move, "Move", folder, true});
    out.push_back({Command::Delete, "Delete", folder, true});
    out.push_back({Command::Rename, "Rename", folder, true});
    out.push_back({Command::ChangeAttributes, "Attributes", folder, !volume});
    out.push_back({Command::Properties, "Properties", node != nullptr, true});
    out.push_back({Command::Sharing, "Sharing", false, true});
    out.push_back({std::nullopt, "Cancel", folder, true});
    return out;
}

}  // namespace arbel::tree
