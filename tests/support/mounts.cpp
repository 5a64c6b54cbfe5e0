#include "support/mounts.h"

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/temp_dir.h"

namespace arbel::test {

namespace {

std::string newFolder(const char* what) {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/arbel-" + what + "-XXXXXX";
    return ::mkdtemp(templ.data()) ? templ : std::string();
}

}  // namespace

ScratchMount::ScratchMount(uint64_t bytes, const std::string& options) {
    path_ = newFolder("mnt");
    if (path_.empty()) {
        reason_ = std::string("cannot make a mount point: ") + std::strerror(errno);
        return;
    }
    std::string data = "size=" + std::to_string(bytes) + ",mode=0755";
    if (!options.empty()) data += "," + options;
    if (::mount("arbel-test", path_.c_str(), "tmpfs", 0, data.c_str()) != 0) {
        reason_ = std::string("cannot mount a tmpfs (needs root): ") + std::strerror(errno);
        ::rmdir(path_.c_str());
        return;
    }
    mounted_ = true;
}

ScratchMount::~ScratchMount() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);  // takes what was on it along
    if (!path_.empty()) ::rmdir(path_.c_str());
}

BindMount::BindMount(const std::string& from, const std::string& onto) : onto_(onto) {
    if (::mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        reason_ = std::string("cannot bind-mount (needs root): ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

BindMount::~BindMount() {
    if (mounted_) ::umount2(onto_.c_str(), MNT_DETACH);
}

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

}  // namespace arbel::test
