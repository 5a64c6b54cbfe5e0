// The go-to dialog's browser on real folders: which entries are folders (links
// to folders too, files and broken links not), in reading order, and the chain
// of folders above the one browsed.
#include "core/launch/folder_browse.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace arbel::launch {
namespace {

using Names = std::vector<std::string>;

TEST(FolderBrowse, ListsFoldersAndLinksToFoldersInReadingOrder) {
    test::TempDir dir;
    dir.makeDir("beta");
    dir.makeDir("Alpha");
    dir.makeDir("alpha");
    dir.makeDir("caf\xe9");
    dir.makeDir(".hidden");
    dir.writeFile("file.txt");
    dir.makeLink("to-beta", dir / "beta");
    dir.makeLink("to-file", dir / "file.txt");
    dir.makeLink("dangling", dir / "gone");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(subfolderNames(dir.path()), (Names{".hidden", "Alpha", "alpha", "beta", "caf\xe9", "to-beta"}));
    EXPECT_TRUE(subfolderNames(dir / "file.txt").empty());
    EXPECT_TRUE(subfolderNames(dir / "missing").empty());
}

TEST(FolderBrowse, RowsRunFromTheRootToTheFolderThenItsChildren) {
    const auto rows = browseRows("/home/ann", {"a b", "z"});
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].folder, "/");
    EXPECT_EQ(rows[1].folder, "/home");
    EXPECT_EQ(rows[2].folder, "/home/ann");
    EXPECT_TRUE(rows[2].current);
    EXPECT_EQ(rows[3].folder, "/home/ann/a b");
    EXPECT_EQ(rows[3].depth, 3);
    EXPECT_FALSE(rows[3].current);
    const auto root = browseRows("/", {"etc"});
    ASSERT_EQ(root.size(), 2u);
    EXPECT_EQ(root[1].folder, "/etc");
    EXPECT_EQ(root[1].depth, 1);

    EXPECT_EQ(withoutTrailingSlash("/a/b/"), "/a/b");
    EXPECT_EQ(withoutTrailingSlash("/"), "/");
    EXPECT_EQ(withoutTrailingSlash("/a//"), "/a/");  // one only
}

}  // namespace
}  // namespace arbel::launch
