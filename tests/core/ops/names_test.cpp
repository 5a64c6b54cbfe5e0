// Typed names: rename and new folder stay inside the folder they were typed for
// and never replace anything.

#include "core/ops/names.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace arbel::ops {
namespace {

using arbel::test::exists;
using arbel::test::readFile;
using arbel::test::TempDir;

TEST(Names, ItemNameMustBeOneComponent) {
    for (const std::string& bad :
         std::vector<std::string>{"", ".", "..", "../x", "a/b", std::string("nul\0in", 6)}) {
        EXPECT_EQ(checkItemName(bad), kInvalidName) << bad;
    }
    for (const std::string& good :
         std::vector<std::string>{"a", "...", "-dash", "new\nline", "bad\xff", std::string(255, 'n'), "c:"}) {
        EXPECT_TRUE(checkItemName(good).empty()) << good;
    }
}

TEST(Names, NewFolderNestsCreatesAndRefusesEscapes) {
    TempDir tmp;
    auto r = createNewFolder(tmp.path(), "/one/two//three");
    ASSERT_TRUE(r.created) << r.message;
    EXPECT_EQ(r.path, tmp / "one/two/three");
    EXPECT_TRUE(exists(tmp / "one/two/three"));

    r = createNewFolder(tmp.path(), "one/two");
    EXPECT_FALSE(r.created);
    EXPECT_EQ(r.message, kFolderInUse);

    for (std::string bad : {"../escape", "a/../../b", "/", "", "./x"}) {
        r = createNewFolder(tmp / "one", bad);
        EXPECT_FALSE(r.created) << bad;
        EXPECT_EQ(r.message, kFolderInvalid) << bad;
    }
    EXPECT_FALSE(exists(tmp / "escape"));

    tmp.writeFile("file", "f");
    r = createNewFolder(tmp / "file", "sub");
    EXPECT_FALSE(r.created);
    EXPECT_EQ(r.message, kFolderFailed);
    EXPECT_EQ(r.error.code, ENOTDIR);

    r = createNewFolder("/", "");  // the root as parent: no doubled "/" in what it would make
    EXPECT_FALSE(r.created);
    EXPECT_EQ(createNewFolder(tmp.path(), "x:y").path, tmp / "x:y");  // ':' is an ordinary character
}

TEST(Names, RenameNeverReplacesAndKeepsOddBytes) {
    TempDir tmp;
    std::string odd = "odd\xff\nname";
    tmp.writeFile(odd, "o");
    tmp.writeFile("taken", "t");
    tmp.makeDir("emptydir");

    auto r = renameItem(tmp / odd, "taken");
    EXPECT_FALSE(r.renamed);
    EXPECT_EQ(r.message, kNameInUse);
    EXPECT_EQ(readFile(tmp / "taken"), "t");

    r = renameItem(tmp / "taken", "emptydir");  // rename(2) alone would replace an empty folder
    EXPECT_FALSE(r.renamed);
    EXPECT_TRUE(exists(tmp / "emptydir"));

    r = renameItem(tmp / odd, "../outside");
    EXPECT_FALSE(r.renamed);
    EXPECT_EQ(r.message, kInvalidName);

    r = renameItem(tmp / odd, "renamed\xfe");
    ASSERT_TRUE(r.renamed);
    EXPECT_EQ(r.newPath, tmp / "renamed\xfe");
    EXPECT_EQ(readFile(tmp / "renamed\xfe"), "o");

    r = renameItem(tmp / "vanished", "x");
    EXPECT_FALSE(r.renamed);
    EXPECT_EQ(r.message, std::string(kCannotRename) + (tmp / "vanished"));
}

}  // namespace
}  // namespace arbel::ops
