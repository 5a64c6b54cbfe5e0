// Reading a volume with a time limit. statvfs on a dead NFS or CIFS mount sleeps
// uninterruptibly; the interface thread must never be the one that sleeps.

#include <sys/statfs.h>
#include <sys/statvfs.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/volumes.h"

namespace arbel {

namespace {

struct Probe {
    bool done = false;
    bool ok = false;
    unsigned long fsid = 0;
    std::chrono::steady_clock::time_point finishedAt;
};

// An answer that came after its caller gave up is kept this long for the next
// caller, so a slow volume is seen once it answers instead of being asked again
// (and waited for again) every time.
constexpr auto kLateAnswerKept = std::chrono::seconds(5);

std::mutex gMutex;
std::condition_variable gDone;
// Probes of remote volumes, by mount point, until a caller collects them.
std::map<std::string, std::shared_ptr<Probe>> gProbes;

uint32_t fnv1a(std::string_view bytes) {
    uint32_t h = 2166136261u;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

uint32_t serialOf(const Volume& v, unsigned long fsid) {
    std::string id = v.uuid;
    if (id.empty())
        id = std::to_string(fsid) + "/" + std::to_string(v.major) + ":" + std::to_string(v.minor) + "/" +
             std::to_string(v.mountId);
    uint32_t h = fnv1a(id);
    return h == kUnreadableSerial ? h - 1 : h;
}

bool mayHang(const Volume& v) {
    return v.type == DriveType::Remote || v.type == DriveType::Unknown;
}

VolumeState finished(const Volume& v, bool ok, unsigned long fsid) {
    VolumeState s;
    if (!ok) return s;
    s.readable = true;
    s.serial = serialOf(v, fsid);
    return s;
}

}  // namespace

std::vector<VolumeState> probeVolumes(const std::vector<Volume>& volumes, std::chrono::milliseconds timeout) {
    std::vector<VolumeState> states(volumes.size());
    std::vector<std::shared_ptr<Probe>> pending(volumes.size());
    {
        std::lock_guard lock(gMutex);
        for (size_t i = 0; i < volumes.size(); ++i) {
            if (!mayHang(volumes[i])) continue;
            auto it = gProbes.find(volumes[i].mountPoint);
            if (it != gProbes.end()) {
                const Probe& earlier = *it->second;
                if (!earlier.done) {
                    states[i].timedOut = true;  // still stuck from an earlier probe
                    continue;
                }
                const bool fresh = std::chrono::steady_clock::now() - earlier.finishedAt < kLateAnswerKept;
                if (fresh) states[i] = finished(volumes[i], earlier.ok, earlier.fsid);
                gProbes.erase(it);
                if (fresh) continue;
            }
            auto probe = std::make_shared<Probe>();
            gProbes[volumes[i].mountPoint] = probe;
            pending[i] = probe;
            std::thread([probe, path = volumes[i].mountPoint] {
                struct statvfs s;
                bool ok = ::statvfs(path.c_str(), &s) == 0;
                std::lock_guard guard(gMutex);
                probe->ok = ok;
                probe->fsid = ok ? s.f_fsid : 0;
                probe->finishedAt = std::chrono::steady_clock::now();
                probe->done = true;
                gDone.notify_all();
            }).detach();
        }
    }
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (mayHang(volumes[i])) continue;
        struct statvfs s;
        bool ok = ::statvfs(volumes[i].mountPoint.c_str(), &s) == 0;
        states[i] = finished(volumes[i], ok, ok ? s.f_fsid : 0);
    }
    auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(gMutex);
    for (size_t i = 0; i < volumes.size(); ++i) {
        if (!pending[i]) continue;
        auto& probe = pending[i];
        if (!gDone.wait_until(lock, deadline, [&] { return probe->done; })) {
            states[i].timedOut = true;
            continue;
        }
        gProbes.erase(volumes[i].mountPoint);
        states[i] = finished(volumes[i], probe->ok, probe->fsid);
    }
    return states;
}

VolumeState probeVolume(const Volume& volume, std::chrono::milliseconds timeout) {
    return probeVolumes({volume}, timeout).front();
}

bool isPseudoFileSystemAt(int fd) {
    struct statfs s;
    if (::fstatfs(fd, &s) != 0) return false;
    switch (static_cast<unsigned long>(s.f_type)) {
        case 0x9fa0:      // proc
        case 0x62656572:  // sysfs
        case 0x1cd1:      // devpts
        case 0x27e0eb:    // cgroup
        case 0x63677270:  // cgroup2
        case 0x64626720:  // debugfs
        case 0x74726163:  // tracefs
        case 0x73636673:  // securityfs
        case 0x6165676c:  // pstore
        case 0xcafe4a11:  // bpf
        case 0x62656570:  // configfs
        case 0x65735543:  // fusectl
        case 0x42494e4d:  // binfmt_misc
        case 0x0187:      // autofs
        case 0x6e736673:  // nsfs
        case 0xde5e81e4:  // efivarfs
        case 0x19800202:  // mqueue
        case 0xf97cff8c:  // selinuxfs
            return true;
        default:
            return false;
    }
}

}  // namespace arbel
