#include "core/lists/list_sort.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/lists/file_list_model.h"
#include "support/temp_dir.h"

namespace arbel::lists {
namespace {

using Names = std::vector<std::string>;

Names names(const FileListModel& m) {
    EXPECT_EQ(m.selfCheck(), "");
    Names out;
    for (std::size_t i = 0; i < m.size(); ++i) out.emplace_back(m.name(i));
    return out;
}

void setTimes(const std::string& path, int64_t seconds) {
    struct timespec ts[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), ts, AT_SYMLINK_NOFOLLOW), 0);
}

void setSize(const std::string& path, off_t size) {
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
}

// A folder with two sub-folders and files whose sizes, times and extensions
// order differently from their names.
class SortedFolder : public ::testing::Test {
protected:
    void SetUp() override {
        setTimes(dir.makeDir("Beta"), 1000);
        setTimes(dir.makeDir("alpha"), 2000);
        std::string big = dir.writeFile("b.TXT");
        setSize(big, 100000000);  // 100,000,000: eleven characters with separators
        setTimes(big, 3000 * 60);
        std::string mid = dir.writeFile("C.doc");
        setSize(mid, 99999999);
        setTimes(mid, 1000 * 60);
        std::string small = dir.writeFile("a.zip", "x");
        setTimes(small, 2000 * 60);
        model.setFolder(dir.path());
        model.reread();
    }
    test::TempDir dir;
    FileListModel model;
};

TEST_F(SortedFolder, NameSortIsCaseInsensitiveWithFoldersFirstBothWays) {
    EXPECT_EQ(names(model), (Names{"alpha", "Beta", "a.zip", "b.TXT", "C.doc"}));
    EXPECT_TRUE(model.setSortColumn(FileInfo::Name));  // same key: reversed
    EXPECT_EQ(names(model), (Names{"Beta", "alpha", "C.doc", "b.TXT", "a.zip"}));
}

TEST_F(SortedFolder, SizeSortIsNumericBeyondTenCharacters) {
    model.setSortColumn(FileInfo::Size);
    EXPECT_EQ(names(model), (Names{"alpha", "Beta", "a.zip", "C.doc", "b.TXT"}));
    model.setSortColumn(FileInfo::Size);
    EXPECT_EQ(names(model), (Names{"Beta", "alpha", "b.TXT", "C.doc", "a.zip"}));
}

TEST_F(SortedFolder, DatesSortNewestFirstUnlessReversed) {
    model.setSortColumn(FileInfo::Modified);
    EXPECT_EQ(names(model), (Names{"alpha", "Beta", "b.TXT", "a.zip", "C.doc"}));
    model.setSortColumn(FileInfo::Modified);
    EXPECT_EQ(names(model), (Names{"Beta", "alpha", "C.doc", "a.zip", "b.TXT"}));
}

TEST_F(SortedFolder, ExtensionSortFoldsCaseAndFallsBackToName) {
    dir.writeFile("z.doc");
    model.reread();
    model.setSortColumn(FileInfo::DosExt);
    EXPECT_EQ(names(model), (Names{"alpha", "Beta", "C.doc", "z.doc", "b.TXT", "a.zip"}));
}

TEST_F(SortedFolder, AnotherColumnStartsAscendingAndUnwantedColumnsAreIgnored) {
    model.setSortColumn(FileInfo::Size);
    model.setSortColumn(FileInfo::Size);
    EXPECT_TRUE(model.sortOrder().reversed);
    model.setSortColumn(FileInfo::Name);
    EXPECT_FALSE(model.sortOrder().reversed);
    EXPECT_EQ(model.sortOrder().column, FileInfo::Name);

    EXPECT_FALSE(model.setSortColumn(FileInfo::All));
    model.setViewColumns(infoBit(FileInfo::Name));
    EXPECT_FALSE(model.setSortColumn(FileInfo::Size));
    EXPECT_EQ(model.sortOrder().column, FileInfo::Name);
    model.setViewColumns(infoBit(FileInfo::All));
    EXPECT_TRUE(model.setSortColumn(FileInfo::Size));
}

TEST(ListSort, EqualFoldedNamesStillGetATotalOrder) {
    test::TempDir dir;
    dir.writeFile("readme");
    dir.writeFile("README");
    dir.writeFile("ReadMe");
    FileListModel m;
    m.setFolder(dir.path());
    m.reread();
    EXPECT_EQ(names(m), (Names{"README", "ReadMe", "readme"}));
    m.setSortColumn(FileInfo::Name);
    EXPECT_EQ(names(m), (Names{"readme", "ReadMe", "README"}));
}

TEST(ListSort, NonAsciiNamesFoldForOrder) {
    test::TempDir dir;
    dir.writeFile("\xC3\x89t\xC3\xA9");  // "Été"
    dir.writeFile(
        "\xC3\xA9"
        "cole");  // "école"
    dir.writeFile("zebra");
    FileListModel m;
    m.setFolder(dir.path());
    m.reread();
    // Under the byte-order locale of the tests, accented letters follow z, but
    // their case no longer separates them.
    EXPECT_EQ(names(m), (Names{"zebra",
                               "\xC3\xA9"
                               "cole",
                               "\xC3\x89t\xC3\xA9"}));
}

}  // namespace
}  // namespace arbel::lists
