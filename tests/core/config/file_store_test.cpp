// Writes that the system refuses, and crashes in the middle of a write: the old
// settings file must survive whole in every case.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "core/config/file_store.h"
#include "core/config/ini_file.h"
#include "support/temp_dir.h"

namespace arbel::config {
namespace {

using test::readFile;
using test::TempDir;

int countEntries(const std::string& dir) {
    int n = 0;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            n += std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..";
        ::closedir(d);
    }
    return n;
}

void expectRefused(IniFile& ini, const std::string& shownPath) {
    try {
        ini.writeString("Quenby", "editor", "/usr/bin/vi");
        ADD_FAILURE() << "write to " << shownPath << " succeeded";
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + shownPath);
        EXPECT_NE(e.code(), 0);
    }
}

TEST(FileStore, RefusedWritesLeaveTheOldFileWhole) {
    TempDir dir;
    // A parent that is a file: no user, not even root, may create anything below it.
    std::string blocked = dir.writeFile("plain") + "/arbel/Arbelwin.cfg";
    IniFile underFile(blocked);
    expectRefused(underFile, blocked);

    // A folder where the file should be.
    std::string folder = dir.makeDir("cfgdir");
    IniFile onFolder(folder);
    expectRefused(onFolder, folder);
    EXPECT_EQ(onFolder.readString("Quenby", "editor", "def"), "def");

    // A pipe in the file's place must neither hang a read nor be written through.
    std::string fifo = dir / "fifo.cfg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    IniFile onFifo(fifo);
    EXPECT_EQ(onFifo.readInteger("Quenby", "gifspeed", 50), 50);
    expectRefused(onFifo, fifo);

    // A full disk, as the file size limit makes it.
    const std::string old = "[Quenby]\neditor=/old\n";
    std::string path = dir.writeFile("sub/Arbelwin.cfg", old);
    IniFile ini(path);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool refused = false;
    try {
        ini.writeString("Quenby", "editor", "/a/much/longer/value");
    } catch (const WriteError& e) {
        refused = e.code() == EFBIG;
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(refused);
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(countEntries(dir / "sub"), 1) << "temporary file left behind";
}

TEST(FileStore, ReadOnlyFileIsRefused) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    std::string path = dir.writeFile("Arbelwin.cfg", "[q]\nk=1\n");
    ::chmod(path.c_str(), 0444);
    // Root writes anything, so the refusal is checked as an ordinary user in a child.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        IniFile ini(path);
        try {
            ini.writeInteger("q", "k", 2);
        } catch (const WriteError& e) {
            ::_exit(e.code() == EACCES ? 0 : 4);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(path), "[q]\nk=1\n");
}

TEST(FileStore, ReplacementKeepsLinksModeAndCreatesFolders) {
    TempDir dir;
    std::string real = dir.writeFile("dotfiles/arbel.cfg", "[q]\nk=1\n");
    ::chmod(real.c_str(), 0640);
    std::string link = dir.makeLink("Arbelwin.cfg", "dotfiles/arbel.cfg");
    IniFile ini(link);
    ini.writeInteger("q", "k", 2);
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(readFile(real), "[q]\nk=2\n");
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // The settings folder of a new user does not exist yet: the first write makes
    // it. Any other missing folder refuses the write.
    std::string missing = dir / "no/such/Arbelwin.cfg";
    IniFile elsewhere(missing);
    expectRefused(elsewhere, missing);
    EXPECT_FALSE(test::exists(dir / "no"));

    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    std::string savedXdg = oldXdg ? oldXdg : "";
    ::setenv("XDG_CONFIG_HOME", (dir / "home/.config").c_str(), 1);
    std::string fresh = configPath(dir / "no/program/folder");
    EXPECT_EQ(fresh, dir / "home/.config/arbel/Arbelwin.cfg");
    IniFile first(fresh);
    first.writeString("Quenby", "blue", "no");
    oldXdg ? ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(readFile(fresh), "[Quenby]\nblue=no\n");
    ASSERT_EQ(::stat((dir / "home/.config/arbel").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// A writer killed at random moments, over and over: every time, the file must be
// one whole generation (its first and last keys agree) and no stray file may
// disturb the next writer.
TEST(FileStore, KilledWriterLeavesAWholeFile) {
    TempDir dir;
    std::string path = dir / "Arbelwin.cfg";
    const std::string filler(20000, 'f');
    for (int round = 0; round < 20; ++round) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            IniFile ini(path);
            for (int gen = round * 100000;; ++gen) {
                std::string g = std::to_string(gen);
                ini.writeValues("gen", {{"first", g}, {"filler", filler}, {"last", g}});
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5 + round * 7 % 23));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        IniFile ini(path);
        std::string first = ini.readString("gen", "first", "none");
        if (first == "none") continue;  // killed before its first write finished
        EXPECT_EQ(ini.readString("gen", "last", ""), first) << "round " << round;
        EXPECT_EQ(ini.readString("gen", "filler", "").size(), 1023u);
    }
    // Temporary files of killed writers are hidden and harmless to the next write.
    IniFile ini(path);
    ini.writeString("gen", "first", "done");
    EXPECT_EQ(ini.readString("gen", "first", ""), "done");
}

TEST(FileStore, TwoProcessesSavingAtOnceKeepEachOthersKeys) {
    TempDir dir;
    std::string path = dir.writeFile("Arbelwin.cfg", "[q]\nstart=1\n");
    constexpr int kKeys = 150;
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> writers;
    for (int w = 0; w < 2; ++w) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            char c;
            ::close(go[1]);
            if (::read(go[0], &c, 1) != 0) ::_exit(2);  // both start when the pipe closes
            IniFile ini(path);
            for (int i = 0; i < kKeys; ++i)
                ini.writeInteger("q", "w" + std::to_string(w) + "k" + std::to_string(i), i);
            ::_exit(0);
        }
        writers.push_back(pid);
    }
    ::close(go[0]);
    ::close(go[1]);
    for (pid_t pid : writers) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    IniFile ini(path);
    EXPECT_EQ(ini.readSection("q").size(), size_t(2 * kKeys + 1));
    EXPECT_EQ(ini.readInteger("q", "w1k149", -1), 149);
    EXPECT_EQ(ini.readInteger("q", "w0k149", -1), 149);
}

TEST(FileStore, AStuckLockHolderDelaysAWriteOnlyByTheTimeLimit) {
    TempDir dir;
    std::string path = dir.writeFile("Arbelwin.cfg", "[q]\nk=1\n");
    {
        UpdateLock first = lockForUpdate(path);
        ASSERT_TRUE(first.held());
        auto start = std::chrono::steady_clock::now();
        UpdateLock second = lockForUpdate(path, {}, 150);
        auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(second.held());
        EXPECT_GE(waited, std::chrono::milliseconds(140));
        EXPECT_LT(waited, std::chrono::seconds(2));
    }
    // Released with its holder; the waiter that gave up may still hold it for a
    // moment before it lets go, so this one waits a little.
    EXPECT_TRUE(lockForUpdate(path, {}, 1000).held());
    // The lock is the one of the folder holding the file a link points to.
    std::string link = dir.makeLink("links/linked.cfg", "../Arbelwin.cfg");
    UpdateLock viaLink = lockForUpdate(link);
    EXPECT_TRUE(viaLink.held());
    EXPECT_FALSE(lockForUpdate(path, {}, 0).held());
}

}  // namespace
}  // namespace arbel::config
