#include "support/disk_service.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/udisks.h"

extern char** environ;

namespace arbel::test {

namespace {

constexpr const char* kUdisksd = "/usr/libexec/udisks2/udisksd";
constexpr const char* kUdevd = "/lib/systemd/systemd-udevd";

bool executable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

// The program's full path on PATH (or /sbin, /usr/sbin), empty when missing.
std::string findProgram(const std::string& name) {
    std::string path = ::getenv("PATH") ? ::getenv("PATH") : "";
    path += ":/usr/sbin:/sbin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t colon = path.find(':', start);
        std::string dir = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!dir.empty() && executable(dir + "/" + name)) return dir + "/" + name;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return {};
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> p;
    for (auto& s : strings) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
}

std::vector<std::string> environmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    for (const auto& add : extra) {
        std::string name = add.substr(0, add.find('=') + 1);
        std::erase_if(env, [&](const std::string& s) { return s.rfind(name, 0) == 0; });
        env.push_back(add);
    }
    return env;
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

}  // namespace

// Starts a program in the background; its output goes to `log`. Returns the pid or -1.
int spawnProgram(std::vector<std::string> argv, const std::vector<std::string>& env, const std::string& log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    auto envs = environmentWith(env);
    auto args = pointers(argv);
    auto envp = pointers(envs);
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? int(pid) : -1;
}

void stopProcess(int pid, bool child) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    if (!child) {
        for (int i = 0; i < 50 && ::kill(pid, 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return;
    }
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

int runProgram(const std::vector<std::string>& argvIn, std::string* out,
               const std::vector<std::string>& env) {
    std::vector<std::string> argv = argvIn;
    if (argv.empty()) return -1;
    if (argv[0].find('/') == std::string::npos) argv[0] = findProgram(argv[0]);
    if (argv[0].empty()) return -1;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    auto envs = environmentWith(env);
    auto args = pointers(argv);
    auto envp = pointers(envs);
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) text.append(buf, size_t(n));
    ::close(pipeFds[0]);
    if (rc != 0) return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string blkidValue(const std::string& device, const std::string& tag) {
    std::string out;
    // -p reads the device itself, not blkid's cache.
    if (runProgram({"blkid", "-p", "-s", tag, "-o", "value", device}, &out) != 0) return {};
    return trimmed(out);
}

bool DiskServiceFixture::fail(std::string why) {
    reason_ = std::move(why);
    return false;
}

DiskServiceFixture::DiskServiceFixture(const std::string& fsType, const std::string& label,
                                       bool startService) {
    if (::geteuid() != 0) {
        fail("loop devices need root, and this test runs as uid " + std::to_string(::geteuid()));
        return;
    }
    for (const char* tool : {"losetup", "blkid", "udevadm", "dbus-daemon", "truncate"})
        if (findProgram(tool).empty()) {
            fail(std::string(tool) + " is not installed");
            return;
        }
    const std::string mkfs = fsType == "ext4" ? "mkfs.ext4" : "mkfs.vfat";
    if (findProgram(mkfs).empty()) {
        fail(mkfs + " is not installed");
        return;
    }
    if (startService && !executable(kUdisksd)) {
        fail(std::string(kUdisksd) + " is not installed (Debian package udisks2)");
        return;
    }
    const std::string image = dir_ / "disk.img";
    if (runProgram({"truncate", "-s", "64M", image}) != 0) {
        fail("could not make the image file " + image);
        return;
    }
    std::string dev;
    if (runProgram({"losetup", "-f", "--show", image}, &dev) != 0 || trimmed(dev).empty()) {
        fail("losetup could not attach " + image + " (no loop devices here?)");
        return;
    }
    device_ = trimmed(dev);
    std::vector<std::string> make = fsType == "ext4"
                                        ? std::vector<std::string>{mkfs, "-q", "-F", "-L", label, device_}
                                        : std::vector<std::string>{mkfs, "-n", label, device_};
    if (runProgram(make) != 0) {
        fail(mkfs + " failed on " + device_);
        return;
    }
    if (!startUdev() || !startBus()) return;
    if (startService) (void)startUdisks();
}

bool DiskServiceFixture::startUdev() {
    // A control socket left behind by a udevd that died answers nothing: ping it.
    struct stat st;
    bool running =
        ::stat("/run/udev/control", &st) == 0 && runProgram({"udevadm", "control", "--ping", "-t", "2"}) == 0;
    if (!running) {
        if (!executable(kUdevd)) return fail(std::string(kUdevd) + " is not installed (Debian package udev)");
        if (runProgram({kUdevd, "--daemon"}) != 0) return fail("systemd-udevd could not be started");
        startedUdev_ = true;
    }
    const std::string name = device_.substr(device_.rfind('/') + 1);
    // Only this device: the test has no business with the machine's disks.
    runProgram({"udevadm", "trigger", "--action=add", "--subsystem-match=block", "--sysname-match=" + name});
    runProgram({"udevadm", "settle", "-t", "5"});
    return true;
}

bool DiskServiceFixture::startBus() {
    const std::string socket = dir_ / "sysbus";
    const std::string config = dir_.writeFile(
        "bus.conf",
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig>\n  <type>system</type>\n  <listen>unix:path=" +
            socket +
            "</listen>\n  <auth>EXTERNAL</auth>\n"
            "  <policy context=\"default\">\n    <allow user=\"*\"/>\n    <allow own=\"*\"/>\n"
            "    <allow send_type=\"method_call\"/>\n    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
            "    <allow eavesdrop=\"true\"/>\n  </policy>\n</busconfig>\n");
    std::string pid;
    if (runProgram({"dbus-daemon", "--config-file=" + config, "--fork", "--print-pid"}, &pid) != 0)
        return fail("dbus-daemon would not start a private system bus");
    busPid_ = std::atoi(trimmed(pid).c_str());
    busAddress_ = "unix:path=" + socket;
    return true;
}

bool DiskServiceFixture::startUdisks() {
    udisksPid_ = spawnProgram({kUdisksd, "--no-debug"}, {"DBUS_SYSTEM_BUS_ADDRESS=" + busAddress_},
                              dir_ / "udisksd.log");
    if (udisksPid_ < 0) return fail("udisksd could not be started");
    UDisksClient client(busAddress_, std::chrono::seconds(2));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    ServiceResult last;
    while (std::chrono::steady_clock::now() < deadline) {
        last = client.blockObject(device_);
        if (last.ok()) return true;
        if (::waitpid(udisksPid_, nullptr, WNOHANG) == udisksPid_) {
            udisksPid_ = -1;
            return fail("udisksd ended at start: " + readFile(dir_ / "udisksd.log"));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return fail("udisksd did not show " + device_ + " within 20 s: " + last.message);
}

DiskServiceFixture::~DiskServiceFixture() {
    stopProcess(udisksPid_, true);
    stopProcess(busPid_, false);
    if (!device_.empty()) {
        runProgram({"umount", device_});  // never leave it mounted, whatever a test did
        runProgram({"losetup", "-d", device_});
    }
    if (startedUdev_) runProgram({"udevadm", "control", "--exit"});
}

}  // namespace arbel::test
