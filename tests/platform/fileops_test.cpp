#include "platform/fileops.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace arbel {
namespace {

using test::exists;
using test::readFile;
using test::TempDir;

TEST(FileOps, PathHelpersHandleRootAndTrailingSlashes) {
    EXPECT_EQ(joinPath("/", "a"), "/a");
    EXPECT_EQ(joinPath("/x/", "a"), "/x/a");
    EXPECT_EQ(parentPath("/a"), "/");
    EXPECT_EQ(parentPath("/a/b/"), "/a");
    EXPECT_EQ(baseName("/a/b/"), "b");
    EXPECT_TRUE(isSameOrBelow("/a/b", "/a/"));
    EXPECT_FALSE(isSameOrBelow("/ab", "/a"));
}

TEST(FileOps, RenameNoReplaceRefusesFilesAndEmptyFolders) {
    TempDir tmp;
    tmp.writeFile("a", "a");
    tmp.writeFile("b", "b");
    tmp.makeDir("empty");
    EXPECT_EQ(renameNoReplace(tmp / "a", tmp / "b").error().code, EEXIST);
    EXPECT_EQ(renameNoReplace(tmp / "a", tmp / "empty").error().code, EEXIST);
    EXPECT_EQ(readFile(tmp / "b"), "b");
    ASSERT_TRUE(renameNoReplace(tmp / "a", tmp / "c").ok());
    EXPECT_EQ(readFile(tmp / "c"), "a");
}

TEST(FileOps, IsInsideSeesThroughLinksAndDotDot) {
    TempDir tmp;
    tmp.makeDir("top/mid/low");
    tmp.makeLink("shortcut", "top/mid");
    struct stat top;
    ::stat((tmp / "top").c_str(), &top);
    EXPECT_TRUE(*isInside(tmp / "shortcut/low", top.st_dev, top.st_ino));
    EXPECT_TRUE(*isInside(tmp / "top/mid/../mid", top.st_dev, top.st_ino));
    EXPECT_FALSE(*isInside(tmp.path(), top.st_dev, top.st_ino));
    EXPECT_FALSE(isInside(tmp / "nowhere", top.st_dev, top.st_ino).ok());
}

TEST(FileOps, RemoveTreeFilterKeepsWhatItIsTold) {
    TempDir tmp;
    tmp.writeFile("t/keep/k", "k");
    tmp.writeFile("t/go/g", "g");
    tmp.writeFile("t/x", "x");
    int dirFd = ::open(tmp.path().c_str(), O_RDONLY | O_DIRECTORY);
    RemoveHooks hooks;
    hooks.shouldRemove = [](const std::string& rel, const struct stat&) { return rel != "keep/k"; };
    EXPECT_EQ(removeTree(dirFd, "t", tmp / "t", hooks), RemoveOutcome::Incomplete);
    EXPECT_TRUE(exists(tmp / "t/keep/k"));
    EXPECT_FALSE(exists(tmp / "t/go"));
    EXPECT_FALSE(exists(tmp / "t/x"));
    ::close(dirFd);
}

}  // namespace
}  // namespace arbel
