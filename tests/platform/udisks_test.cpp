// The disk service client against the real udisksd on a private system bus, on a
// loop device made for the test; blkid reads the device itself to check the result.
#include "platform/udisks.h"

#include <gtest/gtest.h>

#include "support/disk_service.h"

namespace arbel {
namespace {

using test::blkidValue;
using test::DiskServiceFixture;

TEST(DiskService, LabelsAndFormatsALoopDevice) {
    DiskServiceFixture disk("vfat", "TESTLBL");
    if (!disk.ok()) GTEST_SKIP() << disk.reason();
    UDisksClient client(disk.busAddress());

    ServiceResult r = client.setLabel(disk.device(), "NEWLBL");
    ASSERT_TRUE(r.ok()) << r.errorName << ": " << r.message;
    EXPECT_EQ(blkidValue(disk.device(), "LABEL"), "NEWLBL");

    bool medium = false;
    EXPECT_TRUE(client.mediaAvailable(disk.device(), medium).ok());
    EXPECT_TRUE(medium) << "a loop device has no drive that could lack a medium";

    r = client.format(disk.device(), FormatRequest{"ext4", "EXTL", false});
    ASSERT_TRUE(r.ok()) << r.errorName << ": " << r.message;
    EXPECT_EQ(blkidValue(disk.device(), "TYPE"), "ext4");
    EXPECT_EQ(blkidValue(disk.device(), "LABEL"), "EXTL");
    EXPECT_TRUE(r.value.empty()) << "an unmounted device is not mounted afterwards: " << r.value;

    // Back to vfat through the same client: the service follows the new file system.
    r = client.format(disk.device(), FormatRequest{"vfat", "BACK", false});
    ASSERT_TRUE(r.ok()) << r.errorName << ": " << r.message;
    EXPECT_EQ(blkidValue(disk.device(), "TYPE"), "vfat");
    EXPECT_EQ(blkidValue(disk.device(), "LABEL"), "BACK");
}

TEST(DiskService, AMountedVolumeIsUnmountedFormattedAndMountedAgain) {
    DiskServiceFixture disk("ext4", "MOUNTED");
    if (!disk.ok()) GTEST_SKIP() << disk.reason();
    UDisksClient client(disk.busAddress());
    ServiceResult m = client.mount(disk.device());
    if (!m.ok()) GTEST_SKIP() << "the service cannot mount here: " << m.message;

    ServiceResult r = client.format(disk.device(), FormatRequest{"ext4", "FRESH", false});
    ASSERT_TRUE(r.ok()) << r.errorName << ": " << r.message;
    EXPECT_EQ(blkidValue(disk.device(), "LABEL"), "FRESH");
    EXPECT_FALSE(r.value.empty()) << "the new file system is mounted again";
    EXPECT_TRUE(client.unmount(disk.device()).ok());
}

TEST(DiskService, RefusalsCarryTheVolumeAndTheServicesWords) {
    DiskServiceFixture disk("vfat", "KEEP");
    if (!disk.ok()) GTEST_SKIP() << disk.reason();
    UDisksClient client(disk.busAddress());

    ServiceResult unknown = client.setLabel("/dev/arbel-no-such-disk", "X");
    EXPECT_EQ(unknown.outcome, ServiceOutcome::Failed);
    EXPECT_EQ(unknown.volume, "/dev/arbel-no-such-disk");
    EXPECT_FALSE(unknown.message.empty());

    // A file system type the service does not know: its error, nothing written.
    ServiceResult bad = client.format(disk.device(), FormatRequest{"no-such-fs", "X", false});
    EXPECT_EQ(bad.outcome, ServiceOutcome::Failed);
    EXPECT_EQ(bad.volume, disk.device());
    EXPECT_FALSE(bad.errorName.empty());
    EXPECT_EQ(blkidValue(disk.device(), "LABEL"), "KEEP");
}

TEST(DiskService, WithoutTheServiceNothingChanges) {
    // The bus runs, but nobody owns the service's name.
    DiskServiceFixture disk("vfat", "STAYS", /*startService=*/false);
    if (!disk.ok()) GTEST_SKIP() << disk.reason();
    UDisksClient client(disk.busAddress(), std::chrono::seconds(3));
    ServiceResult r = client.setLabel(disk.device(), "CHANGED");
    EXPECT_EQ(r.outcome, ServiceOutcome::Absent) << r.errorName << ": " << r.message;
    EXPECT_FALSE(r.message.empty());
    r = client.format(disk.device(), FormatRequest{"ext4", "CHANGED", false});
    EXPECT_EQ(r.outcome, ServiceOutcome::Absent);
    EXPECT_EQ(blkidValue(disk.device(), "LABEL"), "STAYS");
    EXPECT_EQ(blkidValue(disk.device(), "TYPE"), "vfat");
}

TEST(DiskService, NoBusIsAClearAbsence) {
    UDisksClient client("unix:path=/nonexistent/arbel-bus");
    ServiceResult r = client.format("/dev/loop0", FormatRequest{});
    EXPECT_EQ(r.outcome, ServiceOutcome::Absent);
    EXPECT_NE(r.message.find("system bus"), std::string::npos) << r.message;
    EXPECT_EQ(r.volume, "/dev/loop0");
}

}  // namespace
}  // namespace arbel
