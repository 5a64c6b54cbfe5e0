// Dialog rules without a screen: questions, the status line after a delete, the
// histories and which windows a folder concerns.

#include "core/ops/dialog_text.h"

#include <gtest/gtest.h>

#include "core/ops/item_gathering.h"
#include "support/temp_dir.h"

namespace arbel::ops {
namespace {

TEST(DialogText, DeleteQuestionsCountFilesAndFolders) {
    EXPECT_EQ(deleteQuestion(1, 0), "Delete 1 file from:");
    EXPECT_EQ(deleteQuestion(3, 1), "Delete 3 files and 1 folder from:");
    EXPECT_EQ(deleteQuestion(0, 2), "Delete 2 folders from:");
    EXPECT_EQ(searchDeleteQuestion(1), "Delete selected file?");
    EXPECT_EQ(searchDeleteQuestion(2), "Delete 2 files?");
}

TEST(DialogText, StatusLineUsesSixtyFourBitTotalsAndShowsTheMask) {
    auto groups = [](uint64_t n) {
        std::string s = std::to_string(n);
        for (int i = int(s.size()) - 3; i > 0; i -= 3) s.insert(size_t(i), ",");
        return s;
    };
    EXPECT_EQ(listStatusLine(12, 1234567, 3, "*.*", groups), "12 files/1,234,567 bytes 3 folders");
    EXPECT_EQ(listStatusLine(1, 5'000'000'000ULL, 0, "*.txt", groups),
              "1 file/5,000,000,000 bytes         MASKED  *.TXT");
}

TEST(DialogText, HistoryKeepsFifteenDistinctEntriesWithoutLineBreaks) {
    std::vector<std::string> old;
    for (int i = 0; i < 20; ++i) old.push_back("/target/" + std::to_string(i));
    auto h = updatedHistory("/Target/New", old);
    ASSERT_EQ(h.size(), 15u);
    EXPECT_EQ(h[0], "/Target/New");  // kept as typed, not lower-cased
    EXPECT_EQ(h[14], "/target/13");

    h = updatedHistory("/target/3", {"/target/1", "/target/3", "/evil\n[Quenby]", "/target/1"});
    EXPECT_EQ(h, (std::vector<std::string>{"/target/3", "/target/1"}));
    EXPECT_TRUE(updatedHistory("/a\nb", {}).empty());
}

TEST(DialogText, WindowMatchingIsByPathNotSubstring) {
    EXPECT_TRUE(windowShowsFolderOrBelow("/tmp", "/tmp"));
    EXPECT_TRUE(windowShowsFolderOrBelow("/tmp/sub/x", "/tmp"));
    EXPECT_FALSE(windowShowsFolderOrBelow("/tmp2", "/tmp"));
    EXPECT_FALSE(windowShowsFolderOrBelow("/media/home", "/home"));
    EXPECT_FALSE(windowShowsFolderOrBelow("/tmp", "/tmp/sub"));
    EXPECT_TRUE(windowShowsFolderOrBelow("/anything", "/"));
}

TEST(ItemGathering, TakesWhatEachSourceSelectsAndSkipsVanishedSearchRows) {
    arbel::test::TempDir tmp;
    tmp.writeFile("f/a", "a");
    tmp.makeDir("f/sub");
    GatherInput list;
    list.from = GatherFrom::FolderWindow;
    list.windowFolder = tmp / "f";
    list.selectedNames = {"gone", "sub", "a"};
    auto g = gatherItems(list);
    EXPECT_EQ(g.items, (std::vector<std::string>{tmp / "f/gone", tmp / "f/sub", tmp / "f/a"}));
    EXPECT_EQ(g.firstItem, tmp / "f/sub");
    EXPECT_EQ(g.operationSource, tmp / "f");

    GatherInput search;
    search.from = GatherFrom::Search;
    search.selectedRows = {{tmp / "f", "gone"}, {tmp / "f", "a"}};
    g = gatherItems(search);
    EXPECT_EQ(g.items, (std::vector<std::string>{tmp / "f/a"}));

    GatherInput tree;
    tree.from = GatherFrom::Tree;
    tree.treeFolder = tmp / "f/sub";
    g = gatherItems(tree);
    EXPECT_EQ(g.items, (std::vector<std::string>{tmp / "f/sub"}));
    EXPECT_EQ(g.operationSource, tmp / "f");
    tree.treeFolder = tmp / "f/a";  // not a folder: nothing
    EXPECT_TRUE(gatherItems(tree).items.empty());
}

}  // namespace
}  // namespace arbel::ops
