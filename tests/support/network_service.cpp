#include "support/network_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "support/disk_service.h"

namespace arbel::test {

namespace {

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

}  // namespace

GvfsFixture::GvfsFixture() {
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
    ftpPid_ = spawnProgram({"/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p",
                            std::to_string(port_), "-d", dir_ / "share", "-u", "ann", "-P", "secret"},
                           {}, dir_ / "ftp.log");
    if (ftpPid_ < 0 || !waitFor([&] { return answers(port_); }, std::chrono::seconds(10))) {
        reason_ = "the FTP server did not start: " + readFile(dir_ / "ftp.log");
        return;
    }
    address_ = "unix:path=" + (dir_ / "sessbus");
    env_ = {"DBUS_SESSION_BUS_ADDRESS=" + address_, "XDG_RUNTIME_DIR=" + run};
    busPid_ = spawnProgram({"/usr/bin/dbus-daemon", "--session", "--nofork", "--address=" + address_}, env_,
                           dir_ / "bus.log");
    struct stat st;
    if (busPid_ < 0 ||
        !waitFor([&] { return ::stat((dir_ / "sessbus").c_str(), &st) == 0; }, std::chrono::seconds(5))) {
        reason_ = "dbus-daemon would not start a session bus: " + readFile(dir_ / "bus.log");
        return;
    }
    gvfsdPid_ = spawnProgram({"/usr/libexec/gvfsd", "--no-fuse"}, env_, dir_ / "gvfsd.log");
    auto owned = [&] {
        std::string out;
        runProgram(
            {"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
             "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner", "org.gtk.vfs.Daemon"},
            &out, env_);
        return out.find("true") != std::string::npos;
    };
    if (gvfsdPid_ < 0 || !waitFor(owned, std::chrono::seconds(10))) {
        reason_ = "gvfsd did not start on the private session bus: " + readFile(dir_ / "gvfsd.log");
        return;
    }
    // This process's GIO talks to that bus from now on.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    ::unsetenv("GIO_USE_VFS");
}

GvfsFixture::~GvfsFixture() {
    stopProcess(gvfsdPid_, true);
    stopProcess(busPid_, true);
    stopProcess(ftpPid_, true);
}

}  // namespace arbel::test
