#include "platform/volumes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/stall_fs.h"
#include "support/temp_dir.h"

namespace arbel {
namespace {

std::vector<std::string> mountPoints(const std::vector<Volume>& v) {
    std::vector<std::string> out;
    for (const auto& x : v) out.push_back(x.mountPoint);
    return out;
}

TEST(MountInfo, ParsesFieldsEscapesAndOptionalTagsAndSkipsGarbage) {
    const char* text =
        "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "garbage line\n"
        "88 27 8:17 / /media/ann/My\\040Disk rw,nosuid shared:5 master:2 - vfat /dev/sdb1 rw,uid=1000\n"
        "89 27 0:50 /sub /mnt/back\\134slash rw - nfs4 server:/export rw\n"
        "90 27 x:1 / /bad rw - ext4 /dev/x rw\n";
    auto m = parseMountInfo(text);
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].mountPoint, "/");
    EXPECT_EQ(m[0].major, 254u);
    EXPECT_EQ(m[1].mountPoint, "/media/ann/My Disk");
    EXPECT_EQ(m[1].fsType, "vfat");
    EXPECT_EQ(m[1].source, "/dev/sdb1");
    EXPECT_EQ(m[1].parentId, 27);
    EXPECT_EQ(m[2].mountPoint, "/mnt/back\\slash");
    EXPECT_EQ(m[2].root, "/sub");
    EXPECT_EQ(m[2].source, "server:/export");
}

TEST(Volumes, PicksUserVisibleMountsRootFirstAndClassifiesThem) {
    const char* text =
        "22 27 0:21 / /proc rw - proc proc rw\n"
        "23 27 0:22 / /sys rw - sysfs sysfs rw\n"
        "24 27 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
        "27 1 0:40 / / rw - overlay overlay rw\n"
        "30 27 0:27 / /run rw - tmpfs tmpfs rw\n"
        "31 30 0:28 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        "40 27 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
        "50 27 8:17 / /media/ann/USB rw - vfat /dev/sdb1 rw\n"
        "51 27 11:0 / /mnt/cd ro - iso9660 /dev/sr0 ro\n"
        "52 27 0:60 / /srv/share rw - cifs //nas/share rw\n"
        "53 27 8:2 / /home/ann/data rw - ext4 /dev/sda2 rw\n"
        "54 27 0:61 / /mnt/ram rw - tmpfs tmpfs rw\n"
        "55 27 8:3 / /boot rw - ext4 /dev/sda3 rw\n"
        "56 27 8:33 / /mnt/stick rw - ext4 /dev/sdc1 rw\n"
        // mounted twice at the same point: the later mount is the one seen
        "57 27 8:4 / /mnt/twice rw - ext4 /dev/sda4 rw\n"
        "58 57 8:5 / /mnt/twice rw - xfs /dev/sda5 rw\n"
        // a pseudo file system on top hides the volume below it
        "59 27 8:6 / /mnt/hidden rw - ext4 /dev/sda6 rw\n"
        "60 59 0:70 / /mnt/hidden rw - autofs systemd-1 rw\n";
    VolumeContext ctx;
    ctx.home = "/home/ann";
    ctx.labels["8:17"] = "USB";
    ctx.uuids["8:2"] = "1234-ABCD";
    ctx.removableDevice = [](unsigned major, unsigned minor) { return major == 8 && minor == 33; };
    auto v = volumesFromMountInfo(parseMountInfo(text), ctx);
    EXPECT_EQ(mountPoints(v),
              (std::vector<std::string>{"/", "/home/ann/data", "/media/ann/USB", "/mnt/cd", "/mnt/ram",
                                        "/mnt/stick", "/mnt/twice", "/srv/share"}));
    auto type = [&](const std::string& mp) {
        for (const auto& x : v)
            if (x.mountPoint == mp) return x.type;
        return DriveType::Unknown;
    };
    EXPECT_EQ(type("/"), DriveType::Unknown);  // overlay root: no block device
    EXPECT_EQ(type("/home/ann/data"), DriveType::Fixed);
    EXPECT_EQ(type("/media/ann/USB"), DriveType::Removable);
    EXPECT_EQ(type("/mnt/cd"), DriveType::CDRom);
    EXPECT_EQ(type("/mnt/ram"), DriveType::RamDisk);
    EXPECT_EQ(type("/mnt/stick"), DriveType::Removable);  // by the device, not the place
    EXPECT_EQ(type("/srv/share"), DriveType::Remote);
    EXPECT_EQ(v[6].fsType, "xfs");
    EXPECT_EQ(v[1].uuid, "1234-ABCD");
    EXPECT_EQ(v[2].label, "USB");
    EXPECT_EQ(volumeCaption(v[2], true), "USB");                // removable: its display name
    EXPECT_EQ(volumeCaption(v[7], true), "//nas/share");        // remote: the share
    EXPECT_EQ(volumeCaption(v[1], true), " (/home/ann/data)");  // unlabelled keeps the blank
    EXPECT_EQ(volumeCaption(v[1], false), "(/home/ann/data)");
    EXPECT_EQ(volumeCaption(v[0], true), "File System (/)");
}

TEST(Volumes, GvfsSharesAreRemoteVolumesWithTheirDesktopNames) {
    auto v = gvfsShareVolumes("/run/user/1000/gvfs", {"smb-share:server=nas,share=data", ".hidden",
                                                      "sftp:host=example.org,user=ann", "odd"});
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].mountPoint, "/run/user/1000/gvfs/smb-share:server=nas,share=data");
    EXPECT_EQ(v[0].type, DriveType::Remote);
    EXPECT_EQ(volumeCaption(v[0], true), "data on nas");
    EXPECT_EQ(volumeCaption(v[1], false), "example.org");
    EXPECT_EQ(v[2].displayName, "odd");
}

TEST(Volumes, PathBelongsToTheLongestMountPrefixByWholeComponents) {
    std::vector<Volume> v(3);
    v[0].mountPoint = "/";
    v[1].mountPoint = "/media/a";
    v[2].mountPoint = "/media/a/b";
    EXPECT_EQ(volumeOf(v, "/media/ab")->mountPoint, "/");
    EXPECT_EQ(volumeOf(v, "/media/a")->mountPoint, "/media/a");
    EXPECT_EQ(volumeOf(v, "/media/a/")->mountPoint, "/media/a");
    EXPECT_EQ(volumeOf(v, "/media/a/bc/d")->mountPoint, "/media/a");
    EXPECT_EQ(volumeOf(v, "/media/a/b/c")->mountPoint, "/media/a/b");
    EXPECT_EQ(volumeOf({}, "/x"), nullptr);
}

TEST(Volumes, ProbeReadsLocalAndRemoteVolumesAndReportsMissingOnesUnreadable) {
    test::TempDir tmp;
    Volume local;
    local.mountPoint = tmp.path();
    local.type = DriveType::Fixed;
    Volume remote = local;
    remote.type = DriveType::Remote;  // goes through the helper thread
    Volume gone = local;
    gone.mountPoint = tmp / "missing";
    gone.type = DriveType::Remote;
    auto states = probeVolumes({local, remote, gone});
    ASSERT_EQ(states.size(), 3u);
    EXPECT_TRUE(states[0].readable);
    EXPECT_NE(states[0].serial, kUnreadableSerial);
    EXPECT_EQ(states[0].serial, probeVolume(local).serial);  // stable while nothing changes
    EXPECT_TRUE(states[1].readable);
    EXPECT_FALSE(states[2].readable);
    EXPECT_EQ(states[2].serial, kUnreadableSerial);

    Volume other = local;
    other.uuid = "5678";
    EXPECT_NE(probeVolume(other).serial, states[0].serial);  // another file system, another serial

    auto free = freeSpace(tmp.path());
    ASSERT_TRUE(free.ok());
    EXPECT_GT(*free, 0u);
    auto missing = freeSpace(tmp / "missing");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().path, tmp / "missing");
}

// A mount slower than the probe's deadline: it is reported unanswered while it is
// asked, never waited for twice, and seen as it is once it has answered.
TEST(VolumeProbe, ASlowMountIsNotWaitedForTwiceAndIsSeenOnceItAnswers) {
    if (const std::string why = test::StallFs::unavailableReason(); !why.empty()) GTEST_SKIP() << why;
    test::TempDir tmp;
    test::StallFs fs(tmp.makeDir("mnt"));
    ASSERT_TRUE(fs.mounted());
    Volume v;
    v.mountPoint = fs.path();
    v.type = DriveType::Unknown;
    ASSERT_TRUE(probeVolume(v).readable);

    fs.stallAll(std::chrono::milliseconds(600));
    auto clock = std::chrono::steady_clock::now();
    auto ms = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - clock)
            .count();
    };
    VolumeState first = probeVolume(v);
    EXPECT_TRUE(first.timedOut);
    EXPECT_FALSE(first.readable);
    EXPECT_LT(ms(), 450);
    clock = std::chrono::steady_clock::now();
    EXPECT_TRUE(probeVolume(v).timedOut);  // the first is still stuck: not asked again
    EXPECT_LT(ms(), 100);

    // Its answer comes after the caller gave up; the next caller gets it at once,
    // where asking again would only time out again on a mount this slow.
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    clock = std::chrono::steady_clock::now();
    VolumeState late = probeVolume(v);
    EXPECT_LT(ms(), 100);
    EXPECT_FALSE(late.timedOut);
    EXPECT_TRUE(late.readable);
    EXPECT_NE(late.serial, kUnreadableSerial);
    fs.release();
}

}  // namespace
}  // namespace arbel
