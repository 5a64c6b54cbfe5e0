#pragma once
// The machine's volumes (what the folder tree shows at its top level): "/" and the
// mounts a desktop shows as devices, read from /proc/self/mountinfo. Listing never
// touches the mounted file systems themselves, so a dead network mount cannot block
// it; reading a volume (statvfs) goes through probeVolume, which has a time limit.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace arbel {

// One line of /proc/self/mountinfo, with the octal escapes (\040 ...) decoded.
struct MountInfoEntry {
    int mountId = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;        // the part of the file system mounted here
    std::string mountPoint;  // folder form: "/", "/media/ann/USB"
    std::string options;
    std::string fsType;  // "ext4", "fuse.sshfs", ...
    std::string source;  // "/dev/sdb1", "//server/share", "host:/export"
    std::string superOptions;
};

// Lines that do not parse are skipped.
std::vector<MountInfoEntry> parseMountInfo(std::string_view text);

// The kinds of drive of the tree's DriveTypes filter.
enum class DriveType : uint8_t { Unknown, Removable, Fixed, Remote, CDRom, RamDisk };

struct Volume {
    std::string mountPoint;  // folder form, no trailing "/" except the root
    std::string fsType;
    std::string source;
    unsigned major = 0;
    unsigned minor = 0;
    int mountId = 0;
    DriveType type = DriveType::Unknown;
    std::string label;        // file-system label, empty when it has none
    std::string uuid;         // file-system UUID when known
    std::string displayName;  // what a desktop calls a removable or remote volume
};

// What the classification needs to know about the machine besides the mount table,
// gathered by systemVolumeContext() and injected in tests.
struct VolumeContext {
    std::string home;        // the user's home folder (folder form)
    std::string runtimeDir;  // XDG_RUNTIME_DIR, for gvfs shares
    // Labels and UUIDs of block devices, keyed by "major:minor".
    std::map<std::string, std::string> labels;
    std::map<std::string, std::string> uuids;
    // Whether the block device major:minor (or the disk holding that partition) is
    // removable. Null: nothing is removable by device.
    std::function<bool(unsigned major, unsigned minor)> removableDevice;
};

// True for file systems that are never volumes and that recursive work never enters
// (proc, sysfs, cgroup, devpts, ...). Does not judge tmpfs: that depends on the place.
bool isPseudoFileSystemType(std::string_view fsType);
bool isNetworkFileSystemType(std::string_view fsType);

// Picks the volumes out of a mount table: "/" first, then the user-visible mounts in
// mount-point order. A mount point mounted more than once is listed once (the mount
// on top wins).
std::vector<Volume> volumesFromMountInfo(const std::vector<MountInfoEntry>& mounts, const VolumeContext& ctx);

// The share folders a gvfs mount shows ("smb-share:server=nas,share=data", ...), as
// remote volumes below gvfsMount, with their desktop names ("data on nas").
std::vector<Volume> gvfsShareVolumes(const std::string& gvfsMount, const std::vector<std::string>& names);
std::string gvfsDisplayName(std::string_view shareFolderName);

// A gvfs share folder name split into its type ("smb-share") and its keys, values
// as written (still percent-escaped). `wellFormed` is false when the name has no
// type or a part without "="; such parts are left out of `keys`.
struct GvfsName {
    std::string type;
    std::map<std::string, std::string> keys;
    bool wellFormed = true;
};
GvfsName parseGvfsName(std::string_view shareFolderName);

VolumeContext systemVolumeContext();
// The machine's volumes now. Reads only /proc, /sys and /dev.
std::vector<Volume> listVolumes();

// The volume a path belongs to: the one whose mount point is its longest prefix
// (by whole components). Null when none.
const Volume* volumeOf(const std::vector<Volume>& volumes, std::string_view path);

// The tree's caption of a volume: label + " (" + mount point + ")" (an unlabelled
// volume keeps the leading blank; "/" without a label reads "File System (/)"),
// "(" + mount point + ")" when the volume cannot be read, and the display name for
// removable and remote volumes.
std::string volumeCaption(const Volume& volume, bool readable);

// What reading the volume found out. serial is an identity of the mounted file
// system (changes when the medium or the mount changes); 0xFFFFFFFF when unreadable.
struct VolumeState {
    bool readable = false;
    uint32_t serial = 0xFFFFFFFFu;
    bool timedOut = false;
};
inline constexpr uint32_t kUnreadableSerial = 0xFFFFFFFFu;

// statvfs of the mount point, waiting at most `timeout`. Local block devices are read
// directly; remote and unknown ones on helper threads, all at once, against one
// deadline. A volume whose earlier probe still hangs answers "unreadable" (timedOut)
// at once, without a new thread; one whose earlier probe answered after its caller
// gave up answers with that late result, so asking again finds a slow volume as
// soon as it has answered.
//
// The deadline is short: the interface asks this while it starts and on every mount
// change, and a dead mount must not be felt there. A volume that answers later is
// picked up by asking again (the tree does, every few seconds, while one is unanswered).
inline constexpr std::chrono::milliseconds kVolumeAnswerDeadline{150};
std::vector<VolumeState> probeVolumes(const std::vector<Volume>& volumes,
                                      std::chrono::milliseconds timeout = kVolumeAnswerDeadline);
VolumeState probeVolume(const Volume& volume, std::chrono::milliseconds timeout = kVolumeAnswerDeadline);

// Whether an open folder lies on a pseudo file system (proc, sysfs, cgroup, ...),
// which recursive work never enters.
bool isPseudoFileSystemAt(int fd);

// Free bytes for an unprivileged user (f_bavail * f_frsize), 64-bit. Blocks like
// statvfs does: call it off the interface thread for remote volumes.
Result<uint64_t> freeSpace(const std::string& path);

}  // namespace arbel
