#include "platform/dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <map>

#include "support/temp_dir.h"

namespace arbel {
namespace {

TEST(DirHandle, EnumeratesNamesAndTypesWithoutDotEntriesAndKeepsOddBytes) {
    test::TempDir tmp;
    tmp.writeFile("plain.txt", "x");
    tmp.makeDir("sub");
    tmp.makeLink("link", "sub");
    std::string odd = "bad\xff\xfename\nline";
    tmp.writeFile(odd, "y");

    auto dir = DirHandle::open(tmp.path());
    ASSERT_TRUE(dir.ok());
    std::map<std::string, EntryType> seen;
    for (int pass = 0; pass < 2; ++pass) {  // a handle can be read twice
        seen.clear();
        ASSERT_TRUE(forEachEntry(*dir, [&](const RawEntry& e) {
                        seen[std::string(e.name)] = e.type;
                        return true;
                    }).ok());
        ASSERT_EQ(seen.size(), 4u);
    }
    EXPECT_EQ(seen["sub"], EntryType::Dir);
    EXPECT_EQ(seen["link"], EntryType::Link);
    EXPECT_EQ(seen[odd], EntryType::File);

    auto st = statAt(*dir, odd, false);
    ASSERT_TRUE(st.ok());
    EXPECT_EQ(st->st_size, 1);
}

TEST(DirHandle, OpenChildRefusesLinksAndReportsThePath) {
    test::TempDir tmp;
    tmp.makeDir("real");
    tmp.makeLink("viaLink", "real");
    auto dir = DirHandle::open(tmp.path());
    ASSERT_TRUE(dir.ok());
    EXPECT_TRUE(dir->openChild("real").ok());
    auto viaLink = dir->openChild("viaLink");
    ASSERT_FALSE(viaLink.ok());
    EXPECT_EQ(viaLink.error().path, "viaLink");

    auto missing = DirHandle::open(tmp / "nope");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ENOENT);
}

TEST(CurrentFolder, KeepsTheLinkPathTheUserCameThrough) {
    test::TempDir dir;
    std::string real = dir.makeDir("real");
    std::string link = dir.makeLink("link", "real");
    char* saved = ::getcwd(nullptr, 0);
    ASSERT_EQ(::chdir(link.c_str()), 0);
    ::setenv("PWD", link.c_str(), 1);
    EXPECT_EQ(currentFolder(), link);
    // A stale $PWD naming another folder is not believed.
    ::setenv("PWD", dir.path().c_str(), 1);
    char* resolved = ::realpath(real.c_str(), nullptr);
    EXPECT_EQ(currentFolder(), resolved);
    std::free(resolved);
    // A removed current folder has no path.
    ASSERT_EQ(::chdir(real.c_str()), 0);
    ASSERT_EQ(::rmdir(real.c_str()), 0);
    EXPECT_EQ(currentFolder(), "");
    ASSERT_EQ(::chdir(saved), 0);
    std::free(saved);
}

}  // namespace
}  // namespace arbel
