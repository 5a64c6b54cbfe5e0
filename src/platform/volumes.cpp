#include "platform/volumes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/paths.h"

namespace arbel {

namespace {

// mountinfo escapes blank, tab, newline and backslash as \ooo.
std::string unescapeOctal(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        auto oct = [](char c) { return c >= '0' && c <= '7'; };
        if (s[i] == '\\' && i + 3 < s.size() && oct(s[i + 1]) && oct(s[i + 2]) && oct(s[i + 3])) {
            out.push_back(char(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) | (s[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.push_back(s[i]);
    }
    return out;
}

std::vector<std::string_view> splitBlanks(std::string_view line) {
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) parts.push_back(line.substr(start, i - start));
    }
    return parts;
}

bool parseInt(std::string_view s, long& out) {
    if (s.empty() || s.size() > 18) return false;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

bool isStrictlyBelow(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && isSameOrBelow(path, folder);
}

std::string deviceKey(unsigned major, unsigned minor) {
    return std::to_string(major) + ":" + std::to_string(minor);
}

DriveType classify(const MountInfoEntry& m, const VolumeContext& ctx) {
    if (isNetworkFileSystemType(m.fsType)) return DriveType::Remote;
    if (m.fsType == "iso9660" || m.fsType == "udf" || m.source.rfind("/dev/sr", 0) == 0)
        return DriveType::CDRom;
    if (m.fsType == "tmpfs" || m.fsType == "ramfs") return DriveType::RamDisk;
    bool block = m.source.rfind("/dev/", 0) == 0 && m.major != 0;
    if (block && ctx.removableDevice && ctx.removableDevice(m.major, m.minor)) return DriveType::Removable;
    if (isSameOrBelow(m.mountPoint, "/media") || isSameOrBelow(m.mountPoint, "/run/media"))
        return DriveType::Removable;
    if (block) return DriveType::Fixed;
    return DriveType::Unknown;
}

bool userVisible(const MountInfoEntry& m, const VolumeContext& ctx) {
    if (m.mountPoint == "/") return true;
    if (isPseudoFileSystemType(m.fsType) || m.fsType == "overlay" || m.fsType == "squashfs") return false;
    if (m.fsType == "fuse.gvfsd-fuse" || m.fsType == "fuse.portal") return false;  // containers, not shares
    if (isStrictlyBelow(m.mountPoint, "/media") || isStrictlyBelow(m.mountPoint, "/run/media") ||
        isStrictlyBelow(m.mountPoint, "/mnt"))
        return true;
    if (!ctx.home.empty() && ctx.home != "/" && isStrictlyBelow(m.mountPoint, ctx.home)) return true;
    if (isNetworkFileSystemType(m.fsType)) {
        // A network file system anywhere, except inside the system's own trees.
        return !isSameOrBelow(m.mountPoint, "/proc") && !isSameOrBelow(m.mountPoint, "/sys") &&
               !isSameOrBelow(m.mountPoint, "/dev");
    }
    return false;
}

// udev names its by-label links with \xHH escapes for unsafe bytes.
std::string unescapeUdev(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
            out.push_back(char(std::strtol(std::string(s.substr(i + 2, 2)).c_str(), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// Maps "major:minor" of each device linked from a /dev/disk/by-* folder to the link's name.
std::map<std::string, std::string> readDiskLinks(const char* folder) {
    std::map<std::string, std::string> out;
    DIR* d = ::opendir(folder);
    if (!d) return out;
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.') continue;
        struct stat st;
        if (::fstatat(::dirfd(d), e->d_name, &st, 0) != 0 || !S_ISBLK(st.st_mode)) continue;
        out[deviceKey(::major(st.st_rdev), ::minor(st.st_rdev))] = unescapeUdev(e->d_name);
    }
    ::closedir(d);
    return out;
}

bool readFlagFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char c = 0;
    ssize_t n = ::read(fd, &c, 1);
    ::close(fd);
    return n == 1 && c == '1';
}

bool sysRemovable(unsigned major, unsigned minor) {
    std::string dev = "/sys/dev/block/" + deviceKey(major, minor);
    if (readFlagFile(dev + "/removable")) return true;
    // A partition: the disk holding it is the parent folder.
    struct stat st;
    if (::stat((dev + "/partition").c_str(), &st) == 0) return readFlagFile(dev + "/../removable");
    return false;
}

std::string readWholeFile(const char* path) {
    std::string text;
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buf[16384];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buf, size_t(n));
    }
    ::close(fd);
    return text;
}

}  // namespace

std::vector<MountInfoEntry> parseMountInfo(std::string_view text) {
    std::vector<MountInfoEntry> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        auto f = splitBlanks(line);
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        auto dash = std::find(f.begin(), f.end(), std::string_view("-"));
        if (f.size() < 7 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) continue;
        MountInfoEntry m;
        long id, parent, maj, min;
        size_t colon = f[2].find(':');
        if (!parseInt(f[0], id) || !parseInt(f[1], parent) || colon == std::string_view::npos ||
            !parseInt(f[2].substr(0, colon), maj) || !parseInt(f[2].substr(colon + 1), min))
            continue;
        m.mountId = int(id);
        m.parentId = int(parent);
        m.major = unsigned(maj);
        m.minor = unsigned(min);
        m.root = unescapeOctal(f[3]);
        m.mountPoint = unescapeOctal(f[4]);
        m.options = std::string(f[5]);
        m.fsType = unescapeOctal(dash[1]);
        m.source = unescapeOctal(dash[2]);
        if (f.end() - dash > 3) m.superOptions = std::string(dash[3]);
        if (m.mountPoint.empty() || m.mountPoint[0] != '/') continue;
        out.push_back(std::move(m));
    }
    return out;
}

bool isPseudoFileSystemType(std::string_view t) {
    static constexpr std::string_view kPseudo[] = {
        "proc",     "sysfs",    "devtmpfs",    "devpts",      "cgroup",    "cgroup2",
        "mqueue",   "debugfs",  "tracefs",     "securityfs",  "pstore",    "bpf",
        "configfs", "fusectl",  "binfmt_misc", "autofs",      "hugetlbfs", "rpc_pipefs",
        "nsfs",     "efivarfs", "selinuxfs",   "fuse.portal", "nfsd"};
    return std::find(std::begin(kPseudo), std::end(kPseudo), t) != std::end(kPseudo);
}

bool isNetworkFileSystemType(std::string_view t) {
    static constexpr std::string_view kNet[] = {
        "nfs",         "nfs4",      "cifs",           "smb3",           "smbfs", "fuse.sshfs",
        "9p",          "afs",       "davfs",          "fuse.davfs2",    "ceph",  "glusterfs",
        "fuse.rclone", "fuse.s3fs", "fuse.curlftpfs", "fuse.gvfsd-fuse"};
    return std::find(std::begin(kNet), std::end(kNet), t) != std::end(kNet);
}

std::vector<Volume> volumesFromMountInfo(const std::vector<MountInfoEntry>& mounts,
                                         const VolumeContext& ctx) {
    // Later lines are mounted on top of earlier ones at the same point.
    std::map<std::string, const MountInfoEntry*> top;
    for (const auto& m : mounts) {
        if (userVisible(m, ctx))
            top[m.mountPoint] = &m;
        else if (top.count(m.mountPoint))
            top.erase(m.mountPoint);  // hidden by a pseudo mount on top
    }
    std::vector<Volume> out;
    for (const auto& [point, m] : top) {
        Volume v;
        v.mountPoint = point;
        v.fsType = m->fsType;
        v.source = m->source;
        v.major = m->major;
        v.minor = m->minor;
        v.mountId = m->mountId;
        v.type = classify(*m, ctx);
        std::string key = deviceKey(m->major, m->minor);
        if (auto it = ctx.labels.find(key); it != ctx.labels.end()) v.label = it->second;
        if (auto it = ctx.uuids.find(key); it != ctx.uuids.end()) v.uuid = it->second;
        if (v.type == DriveType::Remote)
            v.displayName = m->source.empty() ? baseName(point) : m->source;
        else if (v.type == DriveType::Removable)
            v.displayName = v.label.empty() ? baseName(point) : v.label;
        out.push_back(std::move(v));
    }
    // std::map ordered them by mount point, and "/" sorts before every other absolute path.
    return out;
}

VolumeContext systemVolumeContext() {
    VolumeContext ctx;
    if (const char* h = std::getenv("HOME"); h && *h) {
        ctx.home = h;
        while (ctx.home.size() > 1 && ctx.home.back() == '/') ctx.home.pop_back();
    }
    if (const char* r = std::getenv("XDG_RUNTIME_DIR"); r && *r) ctx.runtimeDir = r;
    ctx.labels = readDiskLinks("/dev/disk/by-label");
    ctx.uuids = readDiskLinks("/dev/disk/by-uuid");
    ctx.removableDevice = sysRemovable;
    return ctx;
}

GvfsName parseGvfsName(std::string_view name) {
    GvfsName out;
    size_t colon = name.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        out.wellFormed = false;
        return out;
    }
    out.type = std::string(name.substr(0, colon));
    std::string_view rest = name.substr(colon + 1);
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string_view pair = rest.substr(0, comma);
        size_t eq = pair.find('=');
        if (eq == std::string_view::npos)
            out.wellFormed = false;
        else
            out.keys[std::string(pair.substr(0, eq))] = std::string(pair.substr(eq + 1));
        if (comma == std::string_view::npos) break;
        rest = rest.substr(comma + 1);
    }
    return out;
}

std::string gvfsDisplayName(std::string_view name) {
    if (name.find(':') == std::string_view::npos) return std::string(name);
    std::map<std::string, std::string> keys = parseGvfsName(name).keys;
    std::string host = keys.count("server") ? keys["server"] : keys.count("host") ? keys["host"] : "";
    if (keys.count("share") && !host.empty()) return keys["share"] + " on " + host;
    if (!host.empty()) return host;
    return std::string(name);
}

std::vector<Volume> gvfsShareVolumes(const std::string& gvfsMount, const std::vector<std::string>& names) {
    std::vector<Volume> out;
    for (const auto& n : names) {
        if (n.empty() || n[0] == '.') continue;
        Volume v;
        v.mountPoint = gvfsMount + "/" + n;
        v.fsType = "gvfs";
        v.source = n;
        v.type = DriveType::Remote;
        v.displayName = gvfsDisplayName(n);
        out.push_back(std::move(v));
    }
    return out;
}

namespace {

// The names in a gvfs mount, read on a helper thread: gvfsd may hang, and with it
// every readdir of its folder.
std::vector<std::string> listGvfsNames(const std::string& folder) {
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        bool done = false;
        std::vector<std::string> names;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, folder] {
        std::vector<std::string> names;
        if (DIR* d = ::opendir(folder.c_str())) {
            while (dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
            ::closedir(d);
        }
        std::lock_guard lock(shared->m);
        shared->names = std::move(names);
        shared->done = true;
        shared->cv.notify_all();
    }).detach();
    std::unique_lock lock(shared->m);
    if (!shared->cv.wait_for(lock, std::chrono::milliseconds(300), [&] { return shared->done; })) return {};
    return shared->names;
}

}  // namespace

std::vector<Volume> listVolumes() {
    auto mounts = parseMountInfo(readWholeFile("/proc/self/mountinfo"));
    auto volumes = volumesFromMountInfo(mounts, systemVolumeContext());
    for (const auto& m : mounts) {
        if (m.fsType != "fuse.gvfsd-fuse") continue;
        for (auto& v : gvfsShareVolumes(m.mountPoint, listGvfsNames(m.mountPoint)))
            volumes.push_back(std::move(v));
    }
    std::stable_sort(volumes.begin(), volumes.end(), [](const Volume& a, const Volume& b) {
        if (a.mountPoint == "/" || b.mountPoint == "/") return a.mountPoint == "/" && b.mountPoint != "/";
        return a.mountPoint < b.mountPoint;
    });
    return volumes;
}

const Volume* volumeOf(const std::vector<Volume>& volumes, std::string_view path) {
    const Volume* best = nullptr;
    for (const auto& v : volumes) {
        if (isSameOrBelow(path, v.mountPoint) && (!best || v.mountPoint.size() > best->mountPoint.size()))
            best = &v;
    }
    return best;
}

std::string volumeCaption(const Volume& v, bool readable) {
    if ((v.type == DriveType::Removable || v.type == DriveType::Remote) && !v.displayName.empty())
        return v.displayName;
    if (!readable) return "(" + v.mountPoint + ")";
    if (v.label.empty() && v.mountPoint == "/") return "File System (/)";
    return v.label + " (" + v.mountPoint + ")";
}

Result<uint64_t> freeSpace(const std::string& path) {
    struct statvfs s;
    if (::statvfs(path.c_str(), &s) != 0) return errnoError(path);
    return uint64_t(s.f_bavail) * uint64_t(s.f_frsize);
}

}  // namespace arbel
