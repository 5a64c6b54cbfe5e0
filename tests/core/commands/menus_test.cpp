// Menu states as the menus open, over state snapshots.

#include "core/commands/menus.h"
#include "core/commands/gates.h"

#include <gtest/gtest.h>

namespace arbel::commands {
namespace {

CommandState kind(app::ActiveKind k, int selected = 0) {
    CommandState s;
    s.activeKind = k;
    s.listSelected = selected;
    return s;
}

std::string fileMenu(const CommandState& s) {
    // copy move shortcut delete rename case attributes, then shortcut properties shown
    auto m = fileMenuState(s);
    std::string r;
    for (bool b : {m.copy, m.move, m.shortcut, m.del, m.rename, m.changeCase, m.attributes})
        r += b ? '1' : '0';
    return r + (m.shortcutPropertiesVisible ? "+" : "");
}

TEST(FileMenu, EnablesTheSevenItemsBySource) {
    auto treeAt = [](bool root, bool selected = true) {
        CommandState s = kind(app::ActiveKind::Dir);
        s.treeHasSelection = selected;
        s.treeAtVolumeRoot = root;
        return s;
    };
    auto searching = [](int selected) {
        CommandState s = kind(app::ActiveKind::List, 3);
        s.fromSearch = true;
        s.activeDialog = app::DialogTag::FindForm;
        s.searchSelected = selected;
        return s;
    };
    auto desktop = kind(app::ActiveKind::Auto, 1);
    desktop.singleSelectedIsDesktopEntry = true;
    auto focused = kind(app::ActiveKind::Viewer);
    focused.filterFieldFocused = true;

    struct Row {
        const char* what;
        CommandState state;
        const char* expected;
    } rows[] = {
        {"list, nothing selected", kind(app::ActiveKind::List, 0), "0000000"},
        {"list, one selected", kind(app::ActiveKind::List, 1), "1111111"},
        {"list, two selected", kind(app::ActiveKind::List, 2), "1111011"},
        {"one desktop entry", desktop, "1111111+"},
        {"tree folder", treeAt(false), "1111101"},
        {"tree mount point", treeAt(true), "0010100"},
        {"tree without selection", treeAt(false, false), "0000000"},
        {"viewer", kind(app::ActiveKind::Viewer), "0000000"},
        {"search, nothing selected", searching(0), "0001000"},  // Delete stays for the fields
        {"search, one result", searching(1), "1111101"},
        {"search, two results", searching(2), "1111001"},
        {"filter field focused over a viewer", focused, "0001000"},
    };
    for (const auto& row : rows) EXPECT_EQ(fileMenu(row.state), row.expected) << row.what;
}

TEST(OpenMenu, SelectedItemFollowsTheSelectionOrTheFilterField) {
    auto m = openMenuState(kind(app::ActiveKind::List, 0));
    EXPECT_FALSE(m.selectedItem);
    EXPECT_FALSE(m.fileViewer);
    EXPECT_TRUE(m.folder);

    CommandState t = kind(app::ActiveKind::Dir);
    t.treeHasSelection = true;
    m = openMenuState(t);
    EXPECT_TRUE(m.selectedItem && m.folder && m.selectedBranch);
    EXPECT_FALSE(m.fileViewer);

    CommandState v = kind(app::ActiveKind::Viewer);
    m = openMenuState(v);
    EXPECT_FALSE(m.selectedItem || m.folder || m.fileViewer);
    v.filterFieldFocused = true;
    EXPECT_TRUE(openMenuState(v).selectedItem);
}

TEST(ViewMenu, FilesOnlyCheckedWhileFoldersAreHidden) {
    auto s = kind(app::ActiveKind::Auto, 0);
    s.listShowsFolders = false;
    auto m = viewMenuState(s);
    EXPECT_TRUE(m.itemsEnabled);
    EXPECT_TRUE(m.filesOnlyChecked);
    EXPECT_FALSE(m.folderSize);  // nothing selected to measure

    s.listShowsFolders = true;
    s.listSelected = 1;
    m = viewMenuState(s);
    EXPECT_FALSE(m.filesOnlyChecked);
    EXPECT_TRUE(m.folderSize);

    CommandState t = kind(app::ActiveKind::Dir);
    t.treeHasSelection = true;
    t.listShowsFolders = false;  // a stale list flag must not check the item for the tree
    m = viewMenuState(t);
    EXPECT_FALSE(m.itemsEnabled);
    EXPECT_FALSE(m.filesOnlyChecked);
    EXPECT_TRUE(m.folderSize);
}

TEST(VolumeMenu, DiskItemsOnlyForAVolumeInTheTreeAndNetworkItemsOnlyWithADaemon) {
    CommandState tree = kind(app::ActiveKind::Dir);
    tree.treeHasSelection = true;
    tree.treeAtVolumeRoot = true;
    auto m = volumeMenuState(tree, false);
    EXPECT_TRUE(m.labelDisk && m.formatDisk && m.network);
    tree.treeAtVolumeRoot = false;  // a folder, not a volume
    m = volumeMenuState(tree, false);
    EXPECT_FALSE(m.labelDisk || m.formatDisk);
    tree.treeAtVolumeRoot = true;
    tree.activeDialog = app::DialogTag::Copier;
    EXPECT_FALSE(volumeMenuState(tree, false).formatDisk);
    EXPECT_FALSE(gateOpen(Command::MapNetworkDrive, tree));

    m = volumeMenuState(kind(app::ActiveKind::List, 1), true, "No gvfs daemon answers.");
    EXPECT_FALSE(m.labelDisk || m.formatDisk);
    EXPECT_FALSE(m.sharingEnabled) << "sharing is not offered at all";
    EXPECT_FALSE(m.network);
    EXPECT_EQ(m.networkReason, "No gvfs daemon answers.");
}

}  // namespace
}  // namespace arbel::commands
