// Network locations through GIO and the real gvfs daemons: a private session bus, the
// machine's gvfsd on it and an FTP server of the test's own on 127.0.0.1.
#include "platform/network_mounts.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "support/disk_service.h"
#include "support/temp_dir.h"

namespace arbel {
namespace {

using test::runProgram;

int freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool answers(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

template <class F>
bool waitFor(F&& condition, std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

// The session side of a desktop for one test: bus, gvfsd (without its FUSE bridge)
// and an FTP server that wants user "ann" with password "secret".
class GvfsFixture {
public:
    GvfsFixture() {
        for (const char* p : {"/usr/libexec/gvfsd", "/usr/libexec/gvfsd-ftp"})
            if (::access(p, X_OK) != 0) {
                reason_ = std::string(p) + " is not installed (Debian packages gvfs-daemons, gvfs-backends)";
                return;
            }
        if (runProgram({"/usr/bin/python3", "-c", "import pyftpdlib"}) != 0) {
            reason_ = "/usr/bin/python3 has no pyftpdlib (Debian package python3-pyftpdlib)";
            return;
        }
        const std::string run = dir_.makeDir("run");
        ::chmod(run.c_str(), 0700);
        dir_.writeFile("share/hello.txt", "hello over ftp\n");
        port_ = freePort();
        ftpPid_ =
            test::spawnProgram({"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                                std::to_string(port_), "-d", dir_ / "share", "-u", "ann", "-P", "secret"},
                               {}, dir_ / "ftp.log");
        if (ftpPid_ < 0 || !waitFor([&] { return answers(port_); }, std::chrono::seconds(10))) {
            reason_ = "the FTP server did not start: " + test::readFile(dir_ / "ftp.log");
            return;
        }
        address_ = "unix:path=" + (dir_ / "sessbus");
        env_ = {"DBUS_SESSION_BUS_ADDRESS=" + address_, "XDG_RUNTIME_DIR=" + run};
        busPid_ =
            test::spawnProgram({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address_},
                               env_, dir_ / "bus.log");
        struct stat st;
        if (busPid_ < 0 ||
            !waitFor([&] { return ::stat((dir_ / "sessbus").c_str(), &st) == 0; }, std::chrono::seconds(5))) {
            reason_ = "dbus-daemon would not start a session bus: " + test::readFile(dir_ / "bus.log");
            return;
        }
        gvfsdPid_ = test::spawnProgram({"/usr/libexec/gvfsd", "--no-fuse"}, env_, dir_ / "gvfsd.log");
        auto owned = [&] {
            std::string out;
            runProgram({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                        "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner",
                        "org.gtk.vfs.Daemon"},
                       &out, env_);
            return out.find("true") != std::string::npos;
        };
        if (gvfsdPid_ < 0 || !waitFor(owned, std::chrono::seconds(10))) {
            reason_ = "gvfsd did not start on the private session bus: " + test::readFile(dir_ / "gvfsd.log");
            return;
        }
        // This process's GIO talks to that bus from now on.
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
        ::unsetenv("GIO_USE_VFS");
    }
    ~GvfsFixture() {
        test::stopProcess(gvfsdPid_, true);
        test::stopProcess(busPid_, true);
        test::stopProcess(ftpPid_, true);
    }
    bool ok() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    std::string location() const { return "ftp://ann@127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    test::TempDir dir_;
    std::string reason_, address_;
    std::vector<std::string> env_;
    int port_ = -1, ftpPid_ = -1, busPid_ = -1, gvfsdPid_ = -1;
};

const NetworkMount* findMount(const std::vector<NetworkMount>& mounts, int port) {
    auto it = std::find_if(mounts.begin(), mounts.end(), [&](const NetworkMount& m) {
        return m.location.find(":" + std::to_string(port)) != std::string::npos ||
               m.location.find("127.0.0.1") != std::string::npos;
    });
    return it == mounts.end() ? nullptr : &*it;
}

TEST(NetworkLocations, ConnectListAndDisconnectAnFtpServer) {
    GvfsFixture gvfs;
    if (!gvfs.ok()) GTEST_SKIP() << gvfs.reason();
    EXPECT_EQ(networkServiceProblem(), "");

    // A wrong password first: gvfs asks again, and the second answer logs in.
    std::vector<PasswordRequest> asked;
    MountCallbacks callbacks;
    callbacks.askPassword = [&](const PasswordRequest& r) {
        asked.push_back(r);
        PasswordAnswer a;
        a.cancelled = false;
        a.user = "ann";
        a.password = asked.size() == 1 ? "wrong" : "secret";
        return a;
    };
    NetworkResult r = mountLocation(gvfs.location(), callbacks);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked.front().needPassword);
    EXPECT_EQ(asked.front().location, gvfs.location());

    auto mounts = networkMounts();
    const NetworkMount* m = findMount(mounts, 0);
    ASSERT_TRUE(m) << "the new mount is among the network mounts";
    std::string error;
    auto names = listLocation(m->location, &error);
    EXPECT_NE(std::find(names.begin(), names.end(), "hello.txt"), names.end()) << error;

    r = unmountLocation(m->location, callbacks);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_FALSE(findMount(networkMounts(), 0));
}

TEST(NetworkLocations, ACancelledPasswordMountsNothing) {
    GvfsFixture gvfs;
    if (!gvfs.ok()) GTEST_SKIP() << gvfs.reason();
    int asked = 0;
    MountCallbacks callbacks;
    callbacks.askPassword = [&](const PasswordRequest&) {
        ++asked;
        return PasswordAnswer{};  // cancelled
    };
    NetworkResult r = mountLocation(gvfs.location(), callbacks);
    EXPECT_EQ(r.outcome, NetworkOutcome::Cancelled) << r.message;
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(findMount(networkMounts(), 0));

    // A stop request from the caller ends a mount that is waiting.
    callbacks.askPassword = nullptr;
    callbacks.cancelled = [] { return true; };
    r = mountLocation("ftp://127.0.0.1:1/", callbacks);
    EXPECT_NE(r.outcome, NetworkOutcome::Done);
}

TEST(NetworkLocations, OnlyNetworkSchemesAreLocations) {
    for (const char* uri :
         {"smb://nas/data", "sftp://host/", "ftp://h/", "dav://h/", "davs://h/x", "nfs://h/e"})
        EXPECT_TRUE(isNetworkLocation(uri)) << uri;
    for (const char* uri : {"file:///tmp", "trash:///", "smb://", "http://h/", "/home/ann", ""})
        EXPECT_FALSE(isNetworkLocation(uri)) << uri;
}

}  // namespace
}  // namespace arbel
