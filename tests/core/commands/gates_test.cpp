// The command gates and routes over state snapshots: each row is one situation a
// user can be in, and what the command must do there.

#include "core/commands/gates.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace arbel::commands {
namespace {

CommandState tree(bool atRoot) {
    CommandState s;
    s.activeKind = app::ActiveKind::Dir;
    s.treeHasSelection = true;
    s.treeAtVolumeRoot = atRoot;
    return s;
}

CommandState list(int selected, app::ActiveKind kind = app::ActiveKind::List) {
    CommandState s;
    s.activeKind = kind;
    s.listSelected = selected;
    return s;
}

CommandState with(CommandState s, app::DialogTag d) {
    s.activeDialog = d;
    return s;
}

CommandState searching(CommandState s, int selected, bool resultsFocused = false) {
    s.fromSearch = true;
    s.activeDialog = app::DialogTag::FindForm;
    s.searchSelected = selected;
    s.searchResultsFocused = resultsFocused;
    return s;
}

struct GateRow {
    const char* what;
    Command command;
    CommandState state;
    bool open;
};

TEST(CommandGates, FollowTheCommandTable) {
    CommandState viewer;
    viewer.activeKind = app::ActiveKind::Viewer;
    const GateRow rows[] = {
        {"copy of a tree folder", Command::Copy, tree(false), true},
        {"copy of a volume's mount point", Command::Copy, tree(true), false},
        {"copy with nothing selected in the tree", Command::Copy,
         [] {
             auto s = tree(false);
             s.treeHasSelection = false;
             return s;
         }(),
         false},
        {"copy from a list with a selection", Command::Copy, list(2), true},
        {"copy from the auto folder with a selection", Command::Copy, list(1, app::ActiveKind::Auto), true},
        {"copy from a list without a selection", Command::Copy, list(0), false},
        {"copy while the rename dialog is open", Command::Copy, with(list(1), app::DialogTag::Rename), false},
        {"copy from search results", Command::Copy, searching(list(0), 1), true},
        {"copy with search open but no result selected", Command::Copy, searching(list(3), 0), false},
        {"copy with a viewer in front", Command::Move, viewer, false},
        {"copy before any window was active", Command::Copy, CommandState{}, false},
        {"rename with two items", Command::Rename, list(2), false},
        {"rename with one item", Command::Rename, list(1), true},
        {"rename of a mount point (its label)", Command::Rename, tree(true), true},
        {"rename of one search result", Command::Rename, searching(list(2), 1), true},
        {"rename of two search results", Command::Rename, searching(list(1), 2), false},
        {"new folder with search open", Command::NewFolder, searching(tree(false), 0), false},
        {"new folder from the tree", Command::NewFolder, tree(true), true},
        {"new folder from a viewer", Command::NewFolder, viewer, false},
        {"run from a viewer", Command::Run, viewer, true},
        {"run with search open", Command::Run, searching(list(0), 0), false},
        {"folder as with search open", Command::FolderAs, searching(list(0), 0), true},
        {"folder as with the copy dialog open", Command::FolderAs, with(list(1), app::DialogTag::Copier),
         false},
        {"refresh with search open", Command::Refresh, searching(list(1), 1), false},
        {"refresh of the tree", Command::Refresh, tree(true), true},
        {"shortcut from a list without selection", Command::Shortcut, list(0), false},
        {"shortcut of a mount point", Command::Shortcut, tree(true), true},
        {"shortcut properties from the tree", Command::ShortcutProperties, tree(false), false},
        {"properties of two items", Command::Properties, list(2), false},
        {"properties of the tree folder", Command::Properties, tree(true), true},
        {"file viewer without selection", Command::FileViewer, list(0), false},
        {"change case in the tree", Command::ChangeCaseMenu, tree(false), false},
        {"change case with a selection", Command::ChangeCaseMenu, list(1, app::ActiveKind::Auto), true},
        {"toggle display in the tree", Command::ToggleDisplay, tree(false), false},
        {"select all in the tree", Command::SelectAll, tree(false), false},
        {"select all in a list", Command::SelectAllFiles, list(0), true},
        {"close before any window", Command::Close, CommandState{}, false},
    };
    for (const auto& row : rows) EXPECT_EQ(gateOpen(row.command, row.state), row.open) << row.what;
}

TEST(CommandGates, DeleteKeyGoesToTheFocusedFieldBeforeAnyDialog) {
    struct Row {
        const char* what;
        CommandState state;
        DeleteRoute route;
    };
    auto focused = [](CommandState s) {
        s.filterFieldFocused = true;
        return s;
    };
    CommandState viewer;
    viewer.activeKind = app::ActiveKind::Viewer;
    const Row rows[] = {
        {"filter field focused over a list with a selection", focused(list(3)), DeleteRoute::EditField},
        {"list with a selection", list(3), DeleteRoute::OpenDeleteDialog},
        {"list without a selection", list(0), DeleteRoute::Nothing},
        {"tree folder", tree(false), DeleteRoute::OpenDeleteDialog},
        {"mount point", tree(true), DeleteRoute::Nothing},
        {"rename dialog open", with(list(1), app::DialogTag::Rename), DeleteRoute::EditField},
        {"copy dialog open", with(list(1), app::DialogTag::Copier), DeleteRoute::EditField},
        {"delete dialog already open", with(list(1), app::DialogTag::Delete), DeleteRoute::Nothing},
        {"viewer in front with a dialog open", with(viewer, app::DialogTag::Rename), DeleteRoute::Nothing},
        {"search results focused with a selection", searching(list(0), 2, true),
         DeleteRoute::OpenDeleteDialog},
        {"search results focused, nothing selected", searching(list(2), 0, true), DeleteRoute::Nothing},
        {"search window's text field focused", searching(list(2), 2, false), DeleteRoute::EditField},
    };
    for (const auto& row : rows) EXPECT_EQ(routeDelete(row.state), row.route) << row.what;
}

TEST(CommandGates, AttributesWithShiftShowsPropertiesOnlyOutsideSearch) {
    EXPECT_EQ(routeAttributes(list(1), true), AttributesRoute::ShowProperties);
    EXPECT_EQ(routeAttributes(list(2), true), AttributesRoute::Nothing);  // properties need one item
    EXPECT_EQ(routeAttributes(list(2), false), AttributesRoute::OpenDialog);
    EXPECT_EQ(routeAttributes(searching(list(0), 1), true), AttributesRoute::OpenDialog);
    EXPECT_EQ(routeAttributes(with(tree(false), app::DialogTag::NewDir), false), AttributesRoute::Nothing);
}

class OpenRoutes : public ::testing::Test {
protected:
    test::TempDir dir;
    FileQueries fs = diskQueries();
    OpenInputs in;

    void SetUp() override {
        dir.makeDir("sub");
        dir.writeFile("notes.txt", "x");
        dir.makeDir(".Trash-1000");
        fs.isTrash = [this](const std::string& p) { return p == dir / ".Trash-1000"; };
        in.listFolder = dir.path();
        in.treeFolder = dir / "sub";
    }
    OpenRoute open(const CommandState& s, const std::string& name) {
        in.firstSelectedName = name;
        return routeOpenSelected(s, in, fs);
    }
};

TEST_F(OpenRoutes, EnterOpensFoldersFilesAndTheTrashDifferently) {
    auto r = open(list(1), "sub");
    EXPECT_EQ(r.action, OpenAction::OpenFolderWindow);
    EXPECT_EQ(r.path, dir / "sub");

    r = open(list(1), "notes.txt");
    EXPECT_EQ(r.action, OpenAction::OpenFile);
    EXPECT_EQ(r.path, dir / "notes.txt");

    EXPECT_EQ(open(list(1), ".Trash-1000").action, OpenAction::OpenTrash);
    EXPECT_EQ(open(list(1), "vanished").action, OpenAction::Nothing);
    EXPECT_EQ(open(list(0), "sub").action, OpenAction::Nothing);

    r = open(tree(false), "");
    EXPECT_EQ(r.action, OpenAction::OpenFolderWindow);
    EXPECT_EQ(r.path, dir / "sub");
}

TEST_F(OpenRoutes, EnterInTheFilterFieldAppliesTheFilterWhateverIsSelected) {
    auto s = list(1);
    s.filterFieldFocused = true;
    s.activeDialog = app::DialogTag::Copier;
    EXPECT_EQ(open(s, "sub").action, OpenAction::ApplyFilter);
}

TEST_F(OpenRoutes, DialogsAndPendingSignalsTakeEnterFirst) {
    EXPECT_EQ(open(with(list(1), app::DialogTag::Copier), "sub").action, OpenAction::ConfirmDialog);
    EXPECT_EQ(open(with(list(1), app::DialogTag::Rename), "sub").action, OpenAction::Nothing);
    EXPECT_EQ(open(searching(list(1), 1, false), "sub").action, OpenAction::StartSearch);

    in.searchResultPath = dir / "notes.txt";
    auto r = open(searching(list(1), 1, true), "sub");
    EXPECT_EQ(r.action, OpenAction::OpenSearchResult);
    EXPECT_EQ(r.path, dir / "notes.txt");
    in.searchResultPath = dir / "sub";  // a folder is not opened as a document
    EXPECT_EQ(open(searching(list(1), 1, true), "sub").action, OpenAction::Nothing);

    auto pending = list(1);
    pending.pendingUpdate = true;
    EXPECT_EQ(open(pending, "sub").action, OpenAction::ClearPendingUpdate);
}

// Enter must never wait on the interface thread for a file system that may hang:
// only routes that need no answer from the disk are decided there, and they are
// the routes the full decision gives.
TEST_F(OpenRoutes, OnlyRoutesNeedingNoDiskAreDecidedAtOnce) {
    auto pending = list(1);
    pending.pendingUpdate = true;
    auto filter = list(1);
    filter.filterFieldFocused = true;
    for (const CommandState& s : {filter, with(list(1), app::DialogTag::Copier), searching(list(1), 1, false),
                                  pending, list(0), with(list(1), app::DialogTag::Rename)}) {
        in.firstSelectedName = "sub";
        const auto quick = routeWithoutDisk(s, in);
        ASSERT_TRUE(quick);
        EXPECT_EQ(quick->action, routeOpenSelected(s, in, fs).action);
    }
    in.firstSelectedName = "notes.txt";
    in.searchResultPath = dir / "notes.txt";
    EXPECT_FALSE(routeWithoutDisk(list(1), in));      // a file or a folder: the disk says
    EXPECT_FALSE(routeWithoutDisk(tree(false), in));  // the trash or a folder
    EXPECT_FALSE(routeWithoutDisk(searching(list(1), 1, true), in));
}

TEST_F(OpenRoutes, OpenFolderFallsBackToTheListsOwnFolder) {
    in.firstSelectedName = "notes.txt";
    EXPECT_EQ(openFolderTarget(list(1), in, "", fs), dir.path());
    in.firstSelectedName = "sub";
    EXPECT_EQ(openFolderTarget(list(1), in, "", fs), dir / "sub");

    CommandState viewer;
    viewer.activeKind = app::ActiveKind::Viewer;
    EXPECT_EQ(openFolderTarget(viewer, in, dir / "notes.txt", fs), dir.path());
    EXPECT_EQ(openFolderTarget(viewer, in, "", fs), std::nullopt);

    in.treeFolder = dir / "gone";
    EXPECT_EQ(openFolderTarget(tree(false), in, "", fs), std::nullopt);
}

TEST_F(OpenRoutes, FileViewerOnlyForAnExistingFile) {
    in.firstSelectedName = "notes.txt";
    EXPECT_EQ(fileViewerTarget(list(1), in, fs), dir / "notes.txt");
    in.firstSelectedName = "sub";
    EXPECT_EQ(fileViewerTarget(list(1), in, fs), std::nullopt);
    in.firstSelectedName = "notes.txt";
    EXPECT_EQ(fileViewerTarget(tree(false), in, fs), std::nullopt);
}

}  // namespace
}  // namespace arbel::commands
