#include "core/lists/folder_read.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <algorithm>

#include <functional>

#include <set>

#include "core/lists/file_list_model.h"
#include "platform/attributes.h"
#include "support/mounts.h"
#include "support/temp_dir.h"

namespace arbel::lists {
namespace {

const ListFormat kFmt{",", "yyyy-MM-dd", "HH:mm"};

std::vector<std::string> names(const FileListModel& m) {
    EXPECT_EQ(m.selfCheck(), "");
    std::vector<std::string> out;
    for (std::size_t i = 0; i < m.size(); ++i) out.emplace_back(m.name(i));
    return out;
}

using Names = std::vector<std::string>;

using arbel::test::asUnprivileged;

// Many empty files, quickly (one open each, no parent checks).
void fillFolder(const test::TempDir& dir, int count) {
    for (int i = 0; i < count; ++i) {
        int fd = ::open((dir / ("f" + std::to_string(i))).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
}

FileListModel modelOf(const std::string& folder, FileTypes types = kWindowFileTypes,
                      std::string_view mask = "*.*") {
    FileListModel m;
    m.setFileTypes(types);
    m.setMask(mask);
    m.setFolder(folder);
    m.reread();
    EXPECT_EQ(m.selfCheck(), "");
    return m;
}

TEST(FolderRead, EmptyFolderGivesNoEntriesAndNoCounts) {
    test::TempDir dir;
    FileListModel m = modelOf(dir.path());
    EXPECT_EQ(m.size(), 0u);
    EXPECT_EQ(m.folderCount(), 0u);
    EXPECT_EQ(m.totalBytes(), 0u);
    EXPECT_TRUE(m.lastErrors().empty());
}

TEST(FolderRead, ListsFoldersFirstWithCellsAndCounts) {
    test::TempDir dir;
    dir.writeFile("b.txt", "12345");
    dir.writeFile("A.c", "1");
    dir.writeFile(".profile", "12");
    dir.writeFile("Makefile", "");
    dir.makeDir("zeta");
    dir.makeDir("Alpha");
    FileListModel m = modelOf(dir.path());
    EXPECT_EQ(names(m), (Names{"Alpha", "zeta", ".profile", "A.c", "b.txt", "Makefile"}));
    EXPECT_EQ(m.folderCount(), 2u);
    EXPECT_EQ(m.fileCount(), 4u);
    EXPECT_EQ(m.totalBytes(), 8u);

    long b = m.findName("b.txt");
    ASSERT_GE(b, 0);
    EXPECT_EQ(m.cell(b, Cell::Extension, kFmt), ".TXT");
    EXPECT_EQ(m.cell(b, Cell::Size, kFmt), "         5");
    EXPECT_EQ(m.cell(b, Cell::SizeKey, kFmt), "5");
    EXPECT_EQ(m.cell(b, Cell::Attributes, kFmt), "\xC2\xB7 \xC2\xB7 \xC2\xB7 \xC2\xB7");
    EXPECT_EQ(m.cell(b, Cell::ModifiedKey, kFmt).size(), 12u);
    EXPECT_EQ(m.cell(b, Cell::EndMark, kFmt), ".");
    EXPECT_EQ(m.cell(m.findName("Makefile"), Cell::Extension, kFmt), " ");
    EXPECT_EQ(m.cell(m.findName(".profile"), Cell::Extension, kFmt), " ");
    EXPECT_EQ(m.cell(m.findName(".profile"), Cell::Attributes, kFmt), "\xC2\xB7 \xC2\xB7 \xC2\xB7 h");
    long z = m.findName("zeta");
    EXPECT_EQ(m.cell(z, Cell::Extension, kFmt), "");
    EXPECT_EQ(m.cell(z, Cell::Size, kFmt), "");
    EXPECT_EQ(m.cell(z, Cell::SizeKey, kFmt), "");
}

TEST(FolderRead, AttributeFilterHidesOnlyWhatItLacks) {
    test::TempDir dir;
    dir.writeFile("plain.txt", "x");
    std::string ro = dir.writeFile("locked.txt", "x");
    ASSERT_TRUE(setReadOnly(ro, true).ok());
    dir.writeFile(".hidden", "x");

    EXPECT_EQ(names(modelOf(dir.path())), (Names{".hidden", "locked.txt", "plain.txt"}));
    EXPECT_EQ(names(modelOf(dir.path(), kWindowFileTypes & ~ftReadonly)), (Names{".hidden", "plain.txt"}));
    EXPECT_EQ(names(modelOf(dir.path(), kWindowFileTypes & ~ftHidden)), (Names{"locked.txt", "plain.txt"}));
    // A file without attributes is shown even when no kind is allowed.
    EXPECT_EQ(names(modelOf(dir.path(), 0)), (Names{"plain.txt"}));
    EXPECT_EQ(names(modelOf(dir.path(), ftAll)).size(), 3u);
    FileListModel m = modelOf(dir.path());
    EXPECT_EQ(m.cell(m.findName("locked.txt"), Cell::Attributes, kFmt), "r \xC2\xB7 \xC2\xB7 \xC2\xB7");
}

TEST(FolderRead, StoredArchiveAndSystemBitsShowAndFilter) {
    test::TempDir dir;
    std::string f = dir.writeFile("arch.dat", "x");
    if (!writeDosAttrib(f, kAttrArchive | kAttrSystem, kAttrArchive | kAttrSystem).ok()) {
        GTEST_SKIP() << "no user extended attributes here";
    }
    FileListModel m = modelOf(dir.path());
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m.cell(0, Cell::Attributes, kFmt), "\xC2\xB7 a s \xC2\xB7");
    EXPECT_EQ(modelOf(dir.path(), kWindowFileTypes & ~ftArchive).size(), 0u);
    EXPECT_EQ(modelOf(dir.path(), kWindowFileTypes & ~ftSystem).size(), 0u);
}

TEST(FolderRead, SparseFileOfFiveGibibytesKeepsItsSize) {
    test::TempDir dir;
    std::string big = dir.writeFile("big.img");
    ASSERT_EQ(::truncate(big.c_str(), 5LL << 30), 0);
    dir.writeFile("small", "abc");
    FileListModel m = modelOf(dir.path());
    long row = m.findName("big.img");
    ASSERT_GE(row, 0);
    EXPECT_EQ(m.entry(row).size, 5368709120ull);
    EXPECT_EQ(m.cell(row, Cell::Size, kFmt), "5,368,709,120");
    EXPECT_EQ(m.cell(row, Cell::SizeKey, kFmt), "5368709120");
    EXPECT_EQ(m.totalBytes(), 5368709123ull);
}

TEST(FolderRead, InvalidUtf8NamesKeepTheirBytes) {
    test::TempDir dir;
    std::string odd = "caf\xE9 \xFF.txt";
    dir.writeFile(odd, "x");
    dir.writeFile("-n\nline", "y");
    FileListModel m = modelOf(dir.path(), kWindowFileTypes, "*.txt");
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m.name(0), odd);
    EXPECT_EQ(test::readFile(m.fullPath(0)), "x");
    EXPECT_EQ(modelOf(dir.path()).size(), 2u);
}

TEST(FolderRead, NamesMadeOfDotsAreOrdinaryEntries) {
    test::TempDir dir;
    dir.writeFile("..foo", "1");
    dir.writeFile("....", "22");
    dir.writeFile("..\xff", "333");
    dir.makeDir("...");
    FileListModel m = modelOf(dir.path());
    auto listed = names(m);
    for (std::string n : {"..foo", "....", "..\xff", "..."})
        EXPECT_EQ(std::count(listed.begin(), listed.end(), n), 1) << n;
    EXPECT_EQ(m.fileCount(), 3u);
    EXPECT_EQ(m.totalBytes(), 6u);
    long folder = m.findName("...");
    ASSERT_GE(folder, 0);
    EXPECT_FALSE(m.entry(std::size_t(folder)).flags & kEntryParent);
    EXPECT_TRUE(m.entry(std::size_t(folder)).flags & kEntryFolder);
    EXPECT_EQ(m.fullPath(std::size_t(m.findName("..foo"))), dir / "..foo");
}

TEST(FolderRead, LinksShowWhatTheyPointTo) {
    test::TempDir dir;
    dir.makeDir("real");
    dir.writeFile("file.txt", "hello");
    dir.makeLink("to-dir", "real");
    dir.makeLink("to-file", "file.txt");
    dir.makeLink("broken", "nowhere");
    FileListModel m = modelOf(dir.path());
    EXPECT_EQ(names(m), (Names{"real", "to-dir", "broken", "file.txt", "to-file"}));
    const FileEntry& toDir = m.entry(m.findName("to-dir"));
    EXPECT_TRUE(toDir.isFolder());
    EXPECT_TRUE(toDir.flags & kEntryLink);
    const FileEntry& toFile = m.entry(m.findName("to-file"));
    EXPECT_EQ(toFile.size, 5u);
    EXPECT_TRUE(m.entry(m.findName("broken")).flags & kEntryDangling);
    EXPECT_EQ(m.folderCount(), 2u);
}

TEST(FolderRead, FolderSwitchesAndMaskApplyToTheirKinds) {
    test::TempDir dir;
    dir.makeDir("docs.txt");
    dir.writeFile("a.txt");
    dir.writeFile("b.doc");
    FileListModel m;
    m.setFolder(dir.path());
    m.setMask("*.doc");
    m.reread();
    EXPECT_EQ(names(m), (Names{"docs.txt", "b.doc"}));  // masks never hide folders

    EXPECT_TRUE(m.setDisplayParentDir(true));
    m.reread();
    EXPECT_EQ(names(m), (Names{"..", "docs.txt", "b.doc"}));
    EXPECT_EQ(m.folderCount(), 2u);

    EXPECT_TRUE(m.setDisplayDirectory(false));
    EXPECT_FALSE(m.setDisplayDirectory(false));
    m.reread();
    EXPECT_EQ(names(m), (Names{"b.doc"}));
    EXPECT_EQ(m.folderCount(), 0u);
    EXPECT_FALSE(m.setDisplayParentDir(false));  // no reread: folders are off anyway
}

TEST(FolderRead, TwoFoldersMakeOneSortedList) {
    test::TempDir dir;
    dir.writeFile("one/b.txt", "1");
    dir.writeFile("one/d.txt", "1");
    dir.writeFile("two/a.txt", "22");
    dir.writeFile("two/c.txt", "22");
    FileListModel m;
    m.setDirectoryText(dir / "two" + ";" + dir / "one/");
    m.reread();
    EXPECT_EQ(names(m), (Names{"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(m.fullPath(0), dir / "two/a.txt");
    EXPECT_EQ(m.fullPath(1), dir / "one/b.txt");
    EXPECT_EQ(m.totalBytes(), 6u);
    EXPECT_EQ(m.directoryText(), dir / "one/" + ";" + dir / "two/");
}

TEST(FolderRead, FolderWithSemicolonInItsNameShowsOnlyItself) {
    test::TempDir dir;
    dir.writeFile("a;b/inside", "x");
    dir.writeFile("a/decoy", "x");
    dir.writeFile("b/decoy", "x");
    FileListModel m;
    m.setFolder(dir / "a;b");
    m.reread();
    EXPECT_EQ(names(m), (Names{"inside"}));
    EXPECT_TRUE(m.lastErrors().empty());
}

TEST(FolderRead, MissingOrUnreadableFolderGivesNoEntriesButAnError) {
    test::TempDir dir;
    FileListModel m = modelOf(dir / "missing");
    EXPECT_EQ(m.size(), 0u);
    ASSERT_EQ(m.lastErrors().size(), 1u);
    EXPECT_EQ(m.lastErrors()[0].code, ENOENT);
    FileListModel notDir = modelOf(dir.writeFile("plain", "x"));
    EXPECT_EQ(notDir.size(), 0u);
    ASSERT_EQ(notDir.lastErrors().size(), 1u);
    EXPECT_EQ(notDir.lastErrors()[0].code, ENOTDIR);

    std::string locked = dir.makeDir("locked");
    dir.writeFile("locked/secret", "x");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    int code = asUnprivileged([&] {
        FileListModel l = modelOf(locked);
        if (l.size() != 0) return 1;
        if (l.lastErrors().size() != 1) return 2;
        return l.lastErrors()[0].code == EACCES ? 0 : 3;
    });
    EXPECT_EQ(code, 0);
}

TEST(FolderRead, FolderWithoutSearchPermissionListsNamesOnly) {
    test::TempDir dir;
    std::string f = dir.makeDir("noexec");
    dir.writeFile("noexec/x.txt", "x");
    ASSERT_EQ(::chmod(f.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    int code = asUnprivileged([&] {
        FileListModel m = modelOf(f);
        if (m.size() != 1) return 1;
        if (!(m.entry(0).flags & kEntryNoStatus)) return 2;
        if (m.name(0) != "x.txt") return 3;
        return m.cell(0, Cell::Modified, kFmt).empty() ? 0 : 4;
    });
    EXPECT_EQ(code, 0);
}

TEST(FolderRead, EntriesVanishingDuringTheReadAreLeftOut) {
    test::TempDir dir;
    constexpr int kFiles = 300;
    fillFolder(dir, kFiles);
    ReadRequest req;
    req.folders = {dir.path() + "/"};
    req.progressEvery = 100;
    bool removed = false;
    ReadOutcome out = readFolders(req, nullptr, [&](uint64_t seen) {
        if (removed || seen >= kFiles) return;
        removed = true;
        for (int i = 0; i < kFiles; ++i) ::unlink((dir / ("f" + std::to_string(i))).c_str());
    });
    ASSERT_TRUE(removed);
    EXPECT_LT(out.listing.entries.size(), static_cast<std::size_t>(kFiles));
    EXPECT_GE(out.listing.entries.size(), 100u);
    for (const FileEntry& e : out.listing.entries) EXPECT_FALSE(e.flags & kEntryNoStatus);
    EXPECT_TRUE(out.errors.empty());
}

TEST(FolderRead, CancelStopsTheRead) {
    test::TempDir dir;
    fillFolder(dir, 300);
    CancelToken cancel;
    ReadRequest req;
    req.folders = {dir.path(), dir.path()};
    req.progressEvery = 100;
    ReadOutcome out = readFolders(req, &cancel, [&](uint64_t) { cancel.cancel(); });
    EXPECT_TRUE(out.cancelled);
    EXPECT_EQ(out.listing.entries.size(), 100u);
    EXPECT_EQ(out.listing.folders.size(), 1u);
}

TEST(FolderRead, AddFileKeepsOrderAndCounts) {
    test::TempDir dir;
    dir.writeFile("a.txt", "1");
    dir.writeFile("c.txt", "1");
    FileListModel m = modelOf(dir.path());
    dir.writeFile("b.txt", "333");
    auto row = m.addFile(dir / "b.txt");
    ASSERT_TRUE(row.ok());
    EXPECT_EQ(*row, 1u);
    EXPECT_EQ(names(m), (Names{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(m.totalBytes(), 5u);
    dir.makeDir("sub");
    ASSERT_TRUE(m.addFile(dir / "sub/").ok());
    EXPECT_EQ(m.name(0), "sub");
    EXPECT_EQ(m.folderCount(), 1u);
    EXPECT_FALSE(m.addFile(dir / "gone").ok());
    EXPECT_EQ(m.size(), 4u);
}

}  // namespace
}  // namespace arbel::lists
