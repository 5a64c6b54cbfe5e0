#pragma once
// A private X server (Xvfb) for the tests that need real key events: started
// on a free display when the fixture is made, ended with it. display() is
// empty, and whyNot() says why, when no server could be started.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace arbel::test {

// The program's path from PATH, or "" when it is not installed.
inline std::string findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

class XServer {
public:
    XServer() {
        const std::string xvfb = findProgram("Xvfb");
        if (xvfb.empty()) {
            why_ = "Xvfb is not installed";
            return;
        }
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            why_ = "no pipe for Xvfb";
            return;
        }
        const std::string fd = std::to_string(fds[1]);
        pid_ = ::fork();
        if (pid_ == 0) {
            // The server writes its display number to the pipe once it takes clients.
            // It ends with the test, even one killed by its time limit, and
            // keeps its chatter and the test's output pipe to itself.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::fcntl(fds[1], F_SETFD, 0);
            int null = ::open("/dev/null", O_RDWR);
            if (null >= 0) ::dup2(null, 0), ::dup2(null, 1), ::dup2(null, 2);
            std::vector<const char*> args = {"Xvfb",         "-displayfd", fd.c_str(), "-screen",  "0",
                                             "1280x1024x24", "-nolisten",  "tcp",      "-noreset", nullptr};
            ::execv(xvfb.c_str(), const_cast<char* const*>(args.data()));
            ::_exit(127);
        }
        ::close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (::poll(&p, 1, 20000) > 0) {
            char c;
            if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
            number += c;
        }
        ::close(fds[0]);
        if (pid_ < 0 || number.empty()) {
            why_ = "Xvfb did not start";
            stop();
            return;
        }
        display_ = ":" + number;
    }
    ~XServer() { stop(); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& display() const { return display_; }
    const std::string& whyNot() const { return why_; }

private:
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

    pid_t pid_ = -1;
    std::string display_;
    std::string why_;
};

}  // namespace arbel::test
