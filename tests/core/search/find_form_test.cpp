#include "core/search/find_form.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_dir.h"

namespace arbel::search {
namespace {

using Names = std::vector<std::string>;

TEST(FindForm, SizeTextsBecomeByteLimits) {
    EXPECT_EQ(kilobytesToBytes("100", false), 102400u);
    EXPECT_EQ(kilobytesToBytes(" 5 ", true), 5120u);
    EXPECT_EQ(kilobytesToBytes("8388608", true), 8ULL << 30);  // beyond 32 bits
    // Not a number: that end of the range stays open.
    for (const char* t : {"", "abc", "12k", "-3", "1.5"}) {
        EXPECT_EQ(kilobytesToBytes(t, false), 0u) << t;
        EXPECT_EQ(kilobytesToBytes(t, true), TMyFF::kNoLimit) << t;
    }
    EXPECT_EQ(kilobytesToBytes("99999999999999999999999", false), TMyFF::kNoLimit);
    EXPECT_EQ(kilobytesToBytes("18014398509481984", true), TMyFF::kNoLimit);  // 2^54 KB overflows
}

TEST(FindForm, ResultCells) {
    EXPECT_EQ(sizeCell(0), "0 KB");
    EXPECT_EQ(sizeCell(1), "1 KB");
    EXPECT_EQ(sizeCell(1024), "1 KB");
    EXPECT_EQ(sizeCell(1025), "2 KB");
    EXPECT_EQ(sizeCell(5ULL << 30), "5242880 KB");
    EXPECT_EQ(attributeCell(kAttrArchive), "-a---");
    EXPECT_EQ(attributeCell(kAttrReadOnly | kAttrHidden), "r--h-");
    EXPECT_EQ(attributeCell(63), "rashd");
    EXPECT_EQ(attributeCell(64 | kAttrSystem), "--s--");  // unknown high bits are ignored
}

TEST(FindForm, HistoryKeepsEachMaskOnceNewestFirst) {
    Names h;
    h = rememberMask(h, "*.txt");
    h = rememberMask(h, "*.txt");  // twice: stored once, at the top
    EXPECT_EQ(h, Names{"*.txt"});
    h = rememberMask(h, "*.c");
    h = rememberMask(h, "*.*");  // the default is always offered, never stored
    EXPECT_EQ(h, (Names{"*.c", "*.txt"}));
    h = rememberMask(h, "*.txt");  // used again: back to the top
    EXPECT_EQ(h, (Names{"*.txt", "*.c"}));
    for (int i = 0; i < 20; ++i) h = rememberMask(h, "m" + std::to_string(i));
    ASSERT_EQ(h.size(), kFindSpecsKept);
    EXPECT_EQ(h.front(), "m19");
    EXPECT_EQ(h.back(), "m6");

    // A file written by an older version may hold "*.*" and repeats.
    EXPECT_EQ(comboEntries({"*.*", "a", "*.*", "b", "a", ""}), (Names{"*.*", "a", "b"}));
}

TEST(FindForm, RequestConfiguresTheFinder) {
    test::TempDir tmp;
    tmp.writeFile("big.dat", std::string(100 * 1024, 'b'));
    tmp.writeFile("small.dat", std::string(100 * 1024 - 1, 's'));
    std::string old = tmp.writeFile("sub/old.dat", "needle");
    struct timespec ts[2] = {{0, 0}, {0, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, old.c_str(), ts, 0), 0);
    tmp.writeFile("sub/.hidden.dat", "x");

    auto found = [&](const FindRequest& r) {
        TMyFF ff;
        configure(ff, r);
        Names out;
        ff.OnAddFile = [&](const std::string& folder, const FoundFile& f, bool&) {
            out.push_back(folder.substr(tmp.path().size() + 1) + std::string(f.name));
        };
        EXPECT_TRUE(ff.execute(tmp.path()));
        std::sort(out.begin(), out.end());
        return out;
    };
    FindRequest r;
    EXPECT_EQ(found(r), (Names{"big.dat", "small.dat"}));  // sub-folders off by default
    r.recurse = true;
    EXPECT_EQ(found(r), (Names{"big.dat", "small.dat", "sub/.hidden.dat", "sub/old.dat"}));
    r.sizeOn = true;  // "100" KB, "min"
    EXPECT_EQ(found(r), Names{"big.dat"});
    r.sizeIsMax = true;
    r.sizeKB = "1";
    EXPECT_EQ(found(r), (Names{"sub/.hidden.dat", "sub/old.dat"}));
    r.attributesOn = true;
    r.hidden = false;
    EXPECT_EQ(found(r), Names{"sub/old.dat"});
    r.containingOn = true;
    r.containing = "NEEDLE";
    EXPECT_EQ(found(r), Names{"sub/old.dat"});
    r.datesOn = true;  // a "from" date that could not be read leaves that end open
    r.toValid = true;
    r.toNs = 1000;
    EXPECT_EQ(found(r), Names{"sub/old.dat"});
    r.fromValid = true;
    r.fromNs = 1;
    EXPECT_EQ(found(r), Names{});
}

}  // namespace
}  // namespace arbel::search
