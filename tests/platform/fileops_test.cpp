#include "platform/fileops.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/dir.h"
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

int openRead(const std::string& p) {
    return ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
}

int openWrite(const std::string& p) {
    return ::open(p.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") out.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Both ways of copying give the same bytes, report every byte once, and stop
// when told to.
TEST(FileOps, CopyFileDataCopiesEveryByteEitherWayAndStopsWhenTold) {
    TempDir tmp;
    std::string data;
    for (int i = 0; data.size() < (3u << 20) + 777; ++i) data += std::to_string(int64_t(i) * 7919) + ";";
    tmp.writeFile("in", data);
    for (bool range : {true, false}) {
        int in = openRead(tmp / "in"), out = openWrite(tmp / "out");
        uint64_t copied = 0, reported = 0;
        Status s = copyFileData(
            in, out, &copied, [&](uint64_t n) { return (reported += n), true; }, range);
        ::close(in);
        ::close(out);
        ASSERT_TRUE(s.ok()) << range;
        EXPECT_EQ(copied, data.size());
        EXPECT_EQ(reported, data.size());
        EXPECT_EQ(readFile(tmp / "out"), data) << range;
    }
    int in = openRead(tmp / "in"), out = openWrite(tmp / "out");
    int calls = 0;
    Status s = copyFileData(
        in, out, nullptr, [&](uint64_t) { return ++calls < 2; }, false);
    EXPECT_EQ(s.error().code, ECANCELED);
    EXPECT_EQ(calls, 2);
    struct stat st;
    ::fstat(out, &st);
    EXPECT_EQ(st.st_size, 2 << 20);  // two blocks, not one byte more
    ::close(in);
    ::close(out);
}

// A write cut short by a file-size limit is continued, so the limit is found and
// reported instead of a silently shorter copy.
TEST(FileOps, CopyFileDataFinishesShortWritesOrFails) {
    TempDir tmp;
    tmp.writeFile("in", std::string((1 << 20) + (1 << 19), 'w'));  // one and a half buffers
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    struct rlimit was;
    ::getrlimit(RLIMIT_FSIZE, &was);
    struct rlimit lim = was;
    lim.rlim_cur = (1 << 20) + (1 << 18);  // the second write is short
    int in = openRead(tmp / "in"), out = openWrite(tmp / "out");
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
    Status s = copyFileData(in, out, nullptr, nullptr, false);
    ::setrlimit(RLIMIT_FSIZE, &was);
    ::sigaction(SIGXFSZ, &old, nullptr);
    ::close(in);
    ::close(out);
    ASSERT_FALSE(s.ok());
    EXPECT_EQ(s.error().code, EFBIG);
}

// Holes in the source stay holes in the copy, and a hole at the end keeps the size.
TEST(FileOps, CopyFileDataKeepsHoles) {
    TempDir tmp;
    int fd = openWrite(tmp / "sparse");
    ASSERT_EQ(::pwrite(fd, "data", 4, 256 << 20), 4);
    ASSERT_EQ(::ftruncate(fd, 512 << 20), 0);
    ::close(fd);
    for (bool range : {true, false}) {
        int in = openRead(tmp / "sparse"), out = openWrite(tmp / "copy");
        uint64_t copied = 0;
        ASSERT_TRUE(copyFileData(in, out, &copied, nullptr, range).ok());
        struct stat st;
        ::fstat(out, &st);
        EXPECT_EQ(st.st_size, 512 << 20);
        EXPECT_LT(st.st_blocks * 512, 4 << 20) << range;
        EXPECT_EQ(copied, uint64_t(512) << 20);
        char buf[4];
        EXPECT_EQ(::pread(out, buf, 4, 256 << 20), 4);
        EXPECT_EQ(std::string(buf, 4), "data");
        ::close(in);
        ::close(out);
    }
}

// A temporary file has no name until committed (or a hidden one where the file
// system cannot do without); a commit never replaces by accident, and a discard
// leaves nothing.
TEST(FileOps, TemporaryFilesBesideATarget) {
    TempDir tmp;
    tmp.writeFile("d/taken", "old");
    int dir = ::open((tmp / "d").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(dir, 0);
    for (bool anonymous : {true, false}) {
        auto t = createTempBeside(dir, "taken", anonymous);
        ASSERT_TRUE(t.ok());
        EXPECT_EQ(t->anonymous(), anonymous);
        ASSERT_EQ(::write(t->fd, "new", 3), 3);
        EXPECT_EQ(folderEntries(tmp / "d").size(), anonymous ? 1u : 2u);
        Status s = commitTemp(dir, *t, "taken", false);
        ASSERT_FALSE(s.ok());
        EXPECT_EQ(s.error().code, EEXIST);
        EXPECT_EQ(readFile(tmp / "d/taken"), "old");
        ASSERT_TRUE(commitTemp(dir, *t, "taken", true).ok());  // the user agreed
        EXPECT_EQ(readFile(tmp / "d/taken"), "new");
        EXPECT_EQ(folderEntries(tmp / "d"), std::vector<std::string>{"taken"});
        tmp.writeFile("d/taken", "old");

        auto fresh = createTempBeside(dir, "fresh", anonymous);
        ASSERT_TRUE(fresh.ok());
        ASSERT_EQ(::write(fresh->fd, "f", 1), 1);
        ASSERT_TRUE(commitTemp(dir, *fresh, "fresh", false).ok());
        EXPECT_EQ(readFile(tmp / "d/fresh"), "f");
        EXPECT_EQ(fresh->fd, -1);
        ::unlink((tmp / "d/fresh").c_str());

        auto dropped = createTempBeside(dir, "dropped", anonymous);
        ASSERT_TRUE(dropped.ok());
        discardTemp(dir, *dropped);
        EXPECT_EQ(folderEntries(tmp / "d"), std::vector<std::string>{"taken"});
    }
    std::string longName(255, 'n');
    auto t = createTempBeside(dir, longName, false);
    ASSERT_TRUE(t.ok());  // the hidden name still fits
    EXPECT_LE(t->name.size(), 255u);
    discardTemp(dir, *t);
    ::close(dir);
}

TEST(FileOps, MakeDirsCreatesMissingParentsAndRefusesFiles) {
    TempDir tmp;
    ASSERT_TRUE(makeDirs(tmp / "a/b/c").ok());
    struct stat st;
    ASSERT_EQ(::stat((tmp / "a/b/c").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(makeDirs(tmp / "a/b").ok());  // already there
    tmp.writeFile("file", "x");
    EXPECT_EQ(makeDirs(tmp / "file").error().code, ENOTDIR);
    EXPECT_EQ(makeDirs(tmp / "file/below").error().code, ENOTDIR);
    EXPECT_EQ(readFile(tmp / "file"), "x");
    EXPECT_EQ(makeDirs("").error().code, ENOENT);
}

// Only "." and ".." are left out; every other name comes back byte for byte,
// those made of dots included.
TEST(FileOps, EnumerationListsEveryOddName) {
    TempDir tmp;
    const std::vector<std::string> names = {
        "...", "..foo", "..\xff", ".h", "a\nb", "\x01\x7f", std::string(255, 'z')};
    for (const auto& n : names) tmp.writeFile(n, n);
    tmp.makeDir("....");
    auto dir = DirHandle::open(tmp.path());
    ASSERT_TRUE(dir.ok());
    std::vector<std::string> seen;
    ASSERT_TRUE(forEachEntry(*dir, [&](const RawEntry& e) {
                    seen.emplace_back(e.name);
                    return true;
                }).ok());
    std::sort(seen.begin(), seen.end());
    std::vector<std::string> expected = names;
    expected.push_back("....");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);
    // A second enumeration of the same handle starts from the beginning.
    size_t again = 0;
    ASSERT_TRUE(forEachEntry(*dir, [&](const RawEntry&) { return ++again, true; }).ok());
    EXPECT_EQ(again, expected.size());
}

}  // namespace
}  // namespace arbel
