// Folder Size on real trees: what counts, what is counted once, what is never
// entered, and the texts the frame shows.

#include "core/lists/folder_size.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>

#include "core/lists/whatdisk.h"
#include "support/temp_dir.h"

namespace arbel::lists {
namespace {

int asUnprivileged(const std::function<int()>& check) {
    if (::geteuid() != 0) return check();
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
        ::_exit(check());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return 91;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST(FolderSize, CountsDotFilesAndDotFoldersBelowEveryLevel) {
    test::TempDir dir;
    dir.writeFile("t/.profile", std::string(100, 'x'));
    dir.writeFile("t/.cache/blob", std::string(1000, 'x'));
    dir.writeFile("t/sub/.hidden", std::string(10, 'x'));
    dir.writeFile("t/sub/plain", std::string(1, 'x'));
    FolderSize s = GetDirectorySize(dir / "t");
    EXPECT_EQ(s.bytes, 1111u);
    EXPECT_EQ(s.files, 4u);
    EXPECT_EQ(s.folders, 2u);
    EXPECT_EQ(s.unreadable, 0u);
    EXPECT_TRUE(s.isFolder);
    // A folder holding only a dot file is not empty.
    EXPECT_EQ(GetDirectorySize(dir / "t/.cache").bytes, 1000u);
    // A file or a missing name is no folder and counts nothing.
    FolderSize file = GetDirectorySize(dir / "t/.profile");
    EXPECT_FALSE(file.isFolder);
    EXPECT_EQ(file.bytes, 0u);
    EXPECT_FALSE(GetDirectorySize(dir / "t/missing").isFolder);
}

TEST(FolderSize, HardLinkedFileCountsOnce) {
    test::TempDir dir;
    std::string a = dir.writeFile("t/a", std::string(4096, 'x'));
    dir.makeDir("t/other");
    ASSERT_EQ(::link(a.c_str(), (dir / "t/b").c_str()), 0);
    ASSERT_EQ(::link(a.c_str(), (dir / "t/other/c").c_str()), 0);
    dir.writeFile("t/d", "12345");
    FolderSize s = GetDirectorySize(dir / "t");
    EXPECT_EQ(s.bytes, 4096u + 5u);
    EXPECT_EQ(s.files, 2u);
    // Each folder of a multiple request is measured on its own.
    FolderSizeJob job({dir / "t", dir / "t/other"});
    CancelToken cancel;
    ASSERT_TRUE(job.run(cancel));
    EXPECT_EQ(job.results()[0].bytes, 4101u);
    EXPECT_EQ(job.results()[1].bytes, 4096u);
}

TEST(FolderSize, LinksAreNeverFollowed) {
    test::TempDir dir;
    dir.writeFile("outside/big", std::string(50000, 'x'));
    dir.writeFile("t/own", "abc");
    dir.makeLink("t/to-outside", dir / "outside");
    dir.makeLink("t/to-file", dir / "outside/big");
    dir.makeLink("t/loop", ".");
    dir.makeLink("t/up", dir / "t");
    dir.makeLink("t/dangling", dir / "nowhere");
    FolderSize s = GetDirectorySize(dir / "t");
    EXPECT_EQ(s.bytes, 3u);
    EXPECT_EQ(s.files, 1u);
    EXPECT_EQ(s.folders, 0u);
    // The start itself may be a link the user chose: it is measured as its folder.
    EXPECT_EQ(GetDirectorySize(dir / "t/to-outside").bytes, 50000u);
}

TEST(FolderSize, UnreadableFolderCountsNothingAndTheCountGoesOn) {
    test::TempDir dir;
    dir.writeFile("t/a/readable", std::string(7, 'x'));
    dir.writeFile("t/b/locked/secret", std::string(900, 'x'));
    dir.writeFile("t/c/readable", std::string(3, 'x'));
    ASSERT_EQ(::chmod((dir / "t/b/locked").c_str(), 0), 0);
    for (const char* d : {"", "/t", "/t/a", "/t/b", "/t/c"}) ::chmod((dir.path() + d).c_str(), 0755);
    int code = asUnprivileged([&] {
        FolderSize s = GetDirectorySize(dir / "t");
        if (s.bytes != 10) return 1;
        if (s.unreadable != 1) return 2;
        if (folderSizeReport("/t", s, ListFormat{}).find("could not be read") == std::string::npos) return 3;
        FolderSize locked = GetDirectorySize(dir / "t/b/locked");
        return locked.bytes == 0 && locked.unreadable == 1 ? 0 : 4;
    });
    EXPECT_EQ(code, 0);
    ::chmod((dir / "t/b/locked").c_str(), 0755);
}

TEST(FolderSize, SparseFileOfFiveGibibytesNeedsSixtyFourBits) {
    test::TempDir dir;
    std::string f = dir.writeFile("t/sparse");
    int fd = ::open(f.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t(5) << 30), 0);
    ::close(fd);
    dir.writeFile("t/small", "x");
    FolderSize s = GetDirectorySize(dir / "t");
    EXPECT_EQ(s.bytes, (uint64_t(5) << 30) + 1);
    // Almost nothing of it is on disk, and the report says so.
    EXPECT_LT(s.allocated, uint64_t(1) << 20);
    std::string report = folderSizeReport("/t", s, ListFormat{});
    EXPECT_NE(report.find("5,368,709,121 bytes"), std::string::npos) << report;
    EXPECT_NE(report.find("5,120.00 mb"), std::string::npos) << report;
    EXPECT_NE(report.find(" bytes on disk"), std::string::npos) << report;
}

// A folder deeper than the walk keeps handles for: every level is still counted
// (the closed handles are reopened on the way back up). Each level also has a
// sibling folder, so whatever order the folder gives, siblings come after the
// deep branch at many levels.
TEST(FolderSize, VeryDeepTreeIsCountedWhole) {
    test::TempDir dir;
    std::string rel = "t";
    for (int i = 0; i < 150; ++i) {
        dir.writeFile(rel + "/s" + std::to_string(i) + "/f", "xx");
        rel += "/d";
    }
    dir.makeDir(rel);
    FolderSize s = GetDirectorySize(dir / "t");
    EXPECT_EQ(s.files, 150u);
    EXPECT_EQ(s.bytes, 300u);
    EXPECT_EQ(s.folders, 300u);
}

TEST(FolderSize, PseudoFileSystemsAreNotEntered) {
    FolderSize proc = GetDirectorySize("/proc");
    EXPECT_EQ(proc.bytes, 0u);
    EXPECT_EQ(proc.files, 0u);
}

// Mounts below the start: a real file system is crossed into, a pseudo one is
// not, and a bind mount of the folder into itself cannot make the walk loop.
class FolderSizeMounts : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root (the CI runs the tests as root)";
        dir.writeFile("t/top", std::string(11, 'x'));
        mountPoint = dir.makeDir("t/mnt");
        if (::mount("arbel-test", mountPoint.c_str(), "tmpfs", 0, "size=1m") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        mounted.push_back(mountPoint);
    }
    void TearDown() override {
        for (auto it = mounted.rbegin(); it != mounted.rend(); ++it) ::umount2(it->c_str(), MNT_DETACH);
    }
    test::TempDir dir;
    std::string mountPoint;
    std::vector<std::string> mounted;
};

TEST_F(FolderSizeMounts, CrossesRealMountsSkipsPseudoOnesAndSurvivesBindLoops) {
    dir.writeFile("t/mnt/inside", std::string(200, 'x'));
    std::string procAt = dir.makeDir("t/mnt/proc");
    ASSERT_EQ(::mount("proc", procAt.c_str(), "proc", 0, nullptr), 0) << std::strerror(errno);
    mounted.push_back(procAt);
    std::string loop = dir.makeDir("t/loop");
    ASSERT_EQ(::mount((dir / "t").c_str(), loop.c_str(), nullptr, MS_BIND, nullptr), 0)
        << std::strerror(errno);
    mounted.push_back(loop);

    FolderSize s = GetDirectorySize(dir / "t");
    EXPECT_EQ(s.bytes, 211u);
    EXPECT_EQ(s.files, 2u);
}

TEST(FolderSizeJob, CancelledCountReportsFailure) {
    test::TempDir dir;
    for (int i = 0; i < 50; ++i) dir.writeFile("t/d" + std::to_string(i) + "/f", "x");
    CancelToken cancel;
    cancel.cancel();
    FolderSizeJob job({dir / "t"});
    EXPECT_FALSE(job.run(cancel));

    // Cancelled from another thread in the middle of a larger count.
    for (int i = 0; i < 2000; ++i)
        dir.writeFile("u/d" + std::to_string(i % 200) + "/f" + std::to_string(i), "x");
    CancelToken later;
    FolderSizeJob big({dir / "u"});
    std::thread stopper([&] {
        while (big.filesCounted() == 0) std::this_thread::yield();
        later.cancel();
    });
    const bool finished = big.run(later);
    stopper.join();
    if (!finished) {
        EXPECT_LT(big.filesCounted(), 2000u);
    }
    EXPECT_GT(big.peakMemory(), 0u);
}

TEST(FolderSizeReport, LinesOfTheTreesMessage) {
    FolderSize s;
    s.bytes = s.allocated = 1536;
    EXPECT_EQ(
        folderSizeReport("/home/ann", s, ListFormat{}),
        "/home/ann\nspace used:\n          1,536 bytes     \n          2 kb     \n          0.00 mb     ");
    ListFormat de;
    de.thousandsSep = ".";
    de.decimalPoint = ",";
    s.bytes = s.allocated = 1234567890123;
    EXPECT_EQ(folderSizeReport("/x", s, de),
              "/x\nspace used:\n          1.234.567.890.123 bytes     \n"
              "          1.205.632.705 kb     \n          1.177.375,69 mb     ");
}

TEST(FolderSizeReport, FractionsRoundHalfUp) {
    ListFormat f;
    EXPECT_EQ(formatFraction(0, 1024, 0, f), "0");
    EXPECT_EQ(formatFraction(511, 1024, 0, f), "0");
    EXPECT_EQ(formatFraction(512, 1024, 0, f), "1");
    EXPECT_EQ(formatFraction(5242, 1048576, 2, f), "0.00");
    EXPECT_EQ(formatFraction(5243, 1048576, 2, f), "0.01");
    EXPECT_EQ(formatFraction(UINT64_MAX, 1, 2, f), "18,446,744,073,709,551,615.00");
}

// Runs a program with its arguments (no shell); its exit code.
int runProgram(std::vector<std::string> args) {
    pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// On a file system that keeps half its blocks for root, the free text is the
// half an ordinary user can write, not the blocks that are merely free.
TEST(Whatdisk, FreeSpaceLeavesOutTheBlocksKeptForRoot) {
    if (::geteuid() != 0) GTEST_SKIP() << "a loop mount needs root (the CI runs the tests as root)";
    test::TempDir dir;
    std::string image = dir / "fs.img", at = dir.makeDir("mnt");
    int fd = ::open(image.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 16 << 20), 0);
    ::close(fd);
    if (runProgram({"mkfs.ext4", "-q", "-F", "-m", "50", image}) != 0)
        GTEST_SKIP() << "mkfs.ext4 failed or is missing";
    if (runProgram({"mount", "-o", "loop", image, at}) != 0) GTEST_SKIP() << "no loop devices here";
    struct statvfs vfs;
    ASSERT_EQ(::statvfs(at.c_str(), &vfs), 0);
    const std::string text = whatdisk(at, ".");
    runProgram({"umount", at});
    ASSERT_LT(vfs.f_bavail * 3, vfs.f_bfree * 2);  // the reserve is really there
    EXPECT_EQ(text, freeSpaceText(uint64_t(vfs.f_bavail) * vfs.f_frsize, "."));
    EXPECT_EQ(text.substr(text.size() - 7), "k free ");
}

}  // namespace
}  // namespace arbel::lists
