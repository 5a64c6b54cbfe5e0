#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace arbel {
namespace {

using test::TempDir;

TEST(Paths, JoinAndParentHandleTheRoot) {
    EXPECT_EQ(joinPath("/", "etc"), "/etc");
    EXPECT_EQ(joinPath("/home/ann", "a b"), "/home/ann/a b");
    EXPECT_EQ(parentPath("/etc"), "/");
    EXPECT_EQ(parentPath("/home/ann/x.txt"), "/home/ann");
    EXPECT_EQ(parentPath("/"), "/");
    EXPECT_EQ(baseName("/"), "/");
    EXPECT_EQ(baseName("/home/ann/x.txt"), "x.txt");
}

TEST(Paths, BareNamesHaveTheCurrentFolderAsParent) {
    // A temporary file beside a relative settings path must land beside it, not inside it.
    EXPECT_EQ(parentPath("Arbelwin.cfg"), ".");
    EXPECT_EQ(joinPath(parentPath("Arbelwin.cfg"), "x"), "./x");
    EXPECT_EQ(baseName("Arbelwin.cfg"), "Arbelwin.cfg");
}

TEST(Paths, NamesAreBytesNotText) {
    const std::string odd = "/tmp/a\xff\xfe b\n";
    EXPECT_EQ(baseName(odd), "a\xff\xfe b\n");
    EXPECT_EQ(parentPath(odd + "/-x"), odd);
    EXPECT_TRUE(isSameOrBelow(odd + "/c", odd));
    EXPECT_FALSE(isSameOrBelow("/tmp/a\xff", odd));
}

TEST(PathFacts, FolderFileAndLinkAreToldApart) {
    TempDir tmp;
    const std::string file = tmp.writeFile("f.txt", "x");
    const std::string dir = tmp.makeDir("d");
    const std::string toDir = tmp.makeLink("toDir", "d");
    const std::string dangling = tmp.makeLink("dangling", "nowhere");
    ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0600), 0);

    EXPECT_TRUE(isFolder(dir));
    EXPECT_TRUE(isFolder(toDir));  // links are followed
    EXPECT_FALSE(isFolder(file));
    EXPECT_FALSE(isFolder(dangling));
    EXPECT_FALSE(isFolder(""));

    EXPECT_TRUE(isRegularFile(file));
    EXPECT_FALSE(isRegularFile(tmp / "fifo"));
    EXPECT_TRUE(isExistingNonFolder(tmp / "fifo"));
    EXPECT_FALSE(isExistingNonFolder(toDir));
    EXPECT_FALSE(isExistingNonFolder(dangling));

    EXPECT_TRUE(pathExists(dangling));  // the link itself is there
    EXPECT_FALSE(isGone(dangling));
    EXPECT_TRUE(isGone(tmp / "missing"));
    EXPECT_FALSE(pathExists(tmp / "missing"));
}

TEST(PathFacts, ExecutableMeansARegularFileWithAnExecuteBit) {
    TempDir tmp;
    const std::string prog = tmp.writeFile("prog", "#!/bin/sh\n");
    const std::string text = tmp.writeFile("text", "x");
    ASSERT_EQ(::chmod(prog.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(tmp.makeDir("d").c_str(), 0700), 0);
    EXPECT_TRUE(isExecutableFile(prog));
    EXPECT_TRUE(isExecutableFile(tmp.makeLink("toProg", "prog")));
    EXPECT_FALSE(isExecutableFile(text));
    EXPECT_FALSE(isExecutableFile(tmp / "d"));  // a searchable folder is not a program
}

TEST(PathFacts, DataHomeFollowsTheXdgRules) {
    const char* oldHome = std::getenv("HOME");
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string savedHome = oldHome ? oldHome : "", savedData = oldData ? oldData : "";

    ::setenv("HOME", "/home/ann", 1);
    ::setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(dataHome(), "/data");
    ::setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
    EXPECT_EQ(dataHome(), "/home/ann/.local/share");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(homeFolder(), "/home/ann");
    ::unsetenv("HOME");
    EXPECT_EQ(homeFolder(), "");
    EXPECT_EQ(dataHome(), "");

    if (oldHome) ::setenv("HOME", savedHome.c_str(), 1);
    if (oldData) ::setenv("XDG_DATA_HOME", savedData.c_str(), 1);
}

}  // namespace
}  // namespace arbel
