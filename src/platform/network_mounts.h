#pragma once
// Network locations (smb, sftp, ftp, dav, davs, nfs) mounted and unmounted through
// GIO and the gvfs daemons. Each call runs its own main loop on a private context,
// so it belongs on a worker thread: it returns when GIO is done. Questions GIO asks on
// the way (a password, "log in anyway?") go to the caller's callbacks, on that worker
// thread; they may block until the user answered.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace arbel {

struct PasswordRequest {
    std::string location;
    std::string message;  // what the server or gvfs says
    std::string user;     // the defaults gvfs proposes
    std::string domain;
    bool needUser = false;
    bool needDomain = false;
    bool needPassword = false;
    bool anonymousAllowed = false;
};

struct PasswordAnswer {
    bool cancelled = true;
    bool anonymous = false;
    std::string user;
    std::string domain;
    std::string password;
};

struct MountCallbacks {
    std::function<PasswordAnswer(const PasswordRequest&)> askPassword;
    // The index of the chosen answer, or -1 to give up.
    std::function<int(const std::string& message, const std::vector<std::string>& choices)> askQuestion;
    // Polled while GIO works: true stops the operation.
    std::function<bool()> cancelled;
};

enum class NetworkOutcome { Done, Cancelled, Failed };

struct NetworkResult {
    NetworkOutcome outcome = NetworkOutcome::Done;
    std::string location;
    std::string message;
    bool ok() const { return outcome == NetworkOutcome::Done; }
};

struct NetworkMount {
    std::string name;      // what GIO calls it ("ftp on 127.0.0.1")
    std::string location;  // its root, a URI ("ftp://127.0.0.1:2121/")
    std::string path;      // a local path to it (gvfs FUSE), empty when there is none
};

// The locations Arbel offers to connect to, by scheme.
bool isNetworkLocation(std::string_view uri);

// Empty when a gvfs daemon answers on the session bus; otherwise why not.
std::string networkServiceProblem();

NetworkResult mountLocation(const std::string& uri, const MountCallbacks& callbacks);
// The network mounts now (only those of a network scheme).
std::vector<NetworkMount> networkMounts();
NetworkResult unmountLocation(const std::string& location, const MountCallbacks& callbacks);

// The names in a mounted location's folder, through GIO (for checks and tests: gvfs
// may have no local path).
std::vector<std::string> listLocation(const std::string& uri, std::string* error = nullptr);

}  // namespace arbel
