#include "platform/dir.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace arbel
