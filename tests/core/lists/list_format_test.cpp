#include "core/lists/list_format.h"

#include <gtest/gtest.h>

#include "core/lists/path_label.h"
#include "core/lists/whatdisk.h"
#include "support/temp_dir.h"

namespace arbel::lists {
namespace {

TEST(ListFormat, NumbersGroupAndSizeCellsAlignRight) {
    EXPECT_EQ(formatGrouped(0, ","), "0");
    EXPECT_EQ(formatGrouped(999, ","), "999");
    EXPECT_EQ(formatGrouped(1000, ","), "1,000");
    EXPECT_EQ(formatGrouped(1234567, "."), "1.234.567");
    EXPECT_EQ(formatGrouped(18446744073709551615ull, ","), "18,446,744,073,709,551,615");
    EXPECT_EQ(formatSizeCell(123, ","), "       123");
    EXPECT_EQ(formatSizeCell(99999999, ","), "99,999,999");
    EXPECT_EQ(formatSizeCell(100000000, ","), "100,000,000");
    // A multi-byte separator still pads to ten characters, not ten bytes.
    EXPECT_EQ(formatSizeCell(1234, "\xE2\x80\xAF"),
              "     1\xE2\x80\xAF"
              "234");
}

TEST(ListFormat, TimesFollowThePatternsInLocalTime) {
    // Tests run with TZ=UTC. 2023-03-04 05:06:07.
    const int64_t t = 1677906367;
    EXPECT_EQ(formatTime(t, "yyyy-MM-dd HH:mm:ss"), "2023-03-04 05:06:07");
    EXPECT_EQ(formatTime(t, "d/M/yy"), "4/3/23");
    EXPECT_EQ(formatTime(t, "h:mm AP"), "5:06 AM");
    EXPECT_EQ(formatTime(t + 12 * 3600, "hh:mm ap"), "05:06 pm");
    EXPECT_EQ(formatTime(t, "dd 'of' MM"), "04 of 03");
    EXPECT_EQ(formatModified(t, ListFormat{",", "dd.MM.yyyy", "HH:mm"}), "04.03.2023  05:06");
    EXPECT_EQ(modifiedSortKey(t), "202303040506");
    EXPECT_EQ(modifiedSortKey(-1), "196912312359");
}

TEST(ListFormat, FolderStatusLine) {
    EXPECT_EQ(folderStatusText(1, 123, 0, ","), "1 file/123 bytes ");
    EXPECT_EQ(folderStatusText(0, 0, 3, ","), "0 files/0 bytes 3 folders");
    EXPECT_EQ(folderStatusText(12, 1234567, 1, ","), "12 files/1,234,567 bytes 1 folder");
    EXPECT_EQ(folderStatusText(1, 5368709120ull, 0, ","), "1 file/5,368,709,120 bytes ");
}

TEST(ListFormat, SelectionLine) {
    EXPECT_EQ(selectionText(0, 0, 0, ","), " nothing selected");
    EXPECT_EQ(selectionText(0, 0, 1, ","), "  1 folder selected");
    EXPECT_EQ(selectionText(0, 0, 4, ","), "  4 folders selected");
    EXPECT_EQ(selectionText(2, 2000, 1, ","), "  2 files/2,000 bytes and 1 folder selected");
    EXPECT_EQ(selectionText(1, 7, 0, ","), "  1 file/7 bytes selected");
}

TEST(Whatdisk, FreeSpaceInKilobytes) {
    EXPECT_EQ(freeSpaceText(0, ","), "0k free ");
    EXPECT_EQ(freeSpaceText(1023, ","), "0k free ");
    EXPECT_EQ(freeSpaceText(5ull << 40, ","), "5,368,709,120k free ");
    test::TempDir dir;
    EXPECT_NE(whatdisk(dir.path()).find("k free "), std::string::npos);
    EXPECT_EQ(whatdisk(dir / "missing"), "");
}

// Width = number of code points, as if every character were one unit wide.
int codePoints(std::string_view s) {
    int n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

TEST(PathLabel, ShortensFromTheLeftKeepingRootAndLast) {
    const std::string p = "/home/ann/projects/arbel/src/file.txt";  // 37
    EXPECT_EQ(fitPath(p, 37, codePoints), p);
    EXPECT_EQ(fitPath(p, 36, codePoints), "/.../ann/projects/arbel/src/file.txt");
    EXPECT_EQ(fitPath(p, 35, codePoints), "/.../projects/arbel/src/file.txt");
    EXPECT_EQ(fitPath(p, 22, codePoints), "/.../src/file.txt");
    EXPECT_EQ(fitPath(p, 17, codePoints), "/.../src/file.txt");
    EXPECT_EQ(fitPath(p, 16, codePoints), "/.../file.txt");
    // No room for the root: dots and the last part only.
    EXPECT_EQ(fitPath(p, 13, codePoints), ".../file.txt");
    // The last part alone is too wide: it is shown without dots.
    EXPECT_EQ(fitPath(p, 12, codePoints), "file.txt");
    EXPECT_EQ(fitPath(p, 3, codePoints), "file.txt");
    // Wider again brings hidden parts back.
    EXPECT_EQ(fitPath(p, 30, codePoints), "/.../arbel/src/file.txt");
}

TEST(PathLabel, FromTheRightAndOtherSeparators) {
    const std::string p = "/home/ann/projects/file.txt";
    EXPECT_EQ(fitPath(p, 24, codePoints, "/", TDirection::drFromRight), "/home/ann/.../file.txt");
    EXPECT_EQ(fitPath("c:\\dir\\sub\\deeper\\file.txt", 22, codePoints, "\\"), "c:\\...\\deeper\\file.txt");
    EXPECT_EQ(fitPath("rel/a/b/c.txt", 11, codePoints), ".../b/c.txt");
    EXPECT_EQ(fitPath("rel/a/b/c.txt", 10, codePoints), ".../c.txt");
    EXPECT_EQ(fitPath("", 0, codePoints), "");
    EXPECT_EQ(fitPath("/\xC3\xA9t\xC3\xA9/long/name.txt", 17, codePoints), "/.../name.txt");
}

}  // namespace
}  // namespace arbel::lists
