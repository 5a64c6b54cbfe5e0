#include <gtest/gtest.h>

#include "core/volumes/format_drive.h"
#include "core/volumes/network.h"
#include "core/volumes/volume_information.h"

namespace arbel::volumes {
namespace {

Volume vol(std::string mountPoint, DriveType type, std::string fsType, std::string source, unsigned major = 0,
           unsigned minor = 0, std::string label = {}) {
    Volume v;
    v.mountPoint = std::move(mountPoint);
    v.type = type;
    v.fsType = std::move(fsType);
    v.source = std::move(source);
    v.major = major;
    v.minor = minor;
    v.label = std::move(label);
    return v;
}

// A machine described by a list; records what it was asked to do.
class FakeService : public VolumeService {
public:
    std::vector<Volume> list;
    std::vector<std::string> protectedList{"/", "/home/ann", "/usr/bin/arbel"};
    std::vector<std::string> noMedium;  // mount points of removable volumes without medium
    ServiceResult answer;
    std::vector<std::string> formatted;

    std::vector<Volume> volumes() override { return list; }
    bool mediumPresent(const Volume& v) override {
        return std::find(noMedium.begin(), noMedium.end(), v.mountPoint) == noMedium.end();
    }
    std::vector<std::string> protectedPaths() override { return protectedList; }
    ServiceResult format(const Volume& v, const FormatRequest& request) override {
        formatted.push_back(v.mountPoint + " " + request.fsType + " " + request.label);
        return answer;
    }
    ServiceResult setLabel(const Volume&, const std::string&) override { return answer; }
};

class FormatDrive : public ::testing::Test {
protected:
    FakeService machine;
    void SetUp() override {
        machine.list = {
            vol("/", DriveType::Fixed, "ext4", "/dev/vda1", 254, 1),
            vol("/data", DriveType::Fixed, "xfs", "/dev/vdb1", 254, 17),
            vol("/home", DriveType::Fixed, "ext4", "/dev/vdc1", 254, 33),
            vol("/media/ann/STICK", DriveType::Removable, "vfat", "/dev/sdb1", 8, 17, "Stick"),
            vol("/media/ann/CARD", DriveType::Removable, "exfat", "/dev/mmcblk0p1", 179, 1),
            vol("/media/ann/DVD", DriveType::CDRom, "iso9660", "/dev/sr0", 11, 0),
            vol("/mnt/nas", DriveType::Remote, "cifs", "//nas/data"),
            vol("/mnt/ram", DriveType::RamDisk, "tmpfs", "tmpfs"),
            vol("/mnt/odd", DriveType::Unknown, "fuse.something", "something"),
            vol("/mnt/overlay", DriveType::Fixed, "overlay", "overlay"),
            vol("/mnt/rootbind", DriveType::Fixed, "ext4", "/dev/vda1", 254, 1),
        };
    }
    int run(const std::string& drive, bool allowHD = true) {
        TFormatDrive f(machine);
        f.Drive = drive;
        f.AllowHD = allowHD;
        f.Execute(FormatRequest{"vfat", "NEW", false});
        return f.result();
    }
};

TEST_F(FormatDrive, VolumesThatCannotBeFormattedEndAtMinus100WithoutTheService) {
    for (const char* drive :
         {"/media/ann/DVD", "/mnt/nas", "/mnt/ram", "/mnt/odd", "/mnt/overlay", "relative/path"})
        EXPECT_EQ(run(drive), kCannotFormat) << drive;
    EXPECT_TRUE(machine.formatted.empty());
}

TEST_F(FormatDrive, RemovableWithoutMediumAndFixedWithoutAllowHDAreRefused) {
    machine.noMedium = {"/media/ann/CARD"};
    EXPECT_EQ(run("/media/ann/CARD"), kNoMedium);
    EXPECT_EQ(run("/data", /*allowHD=*/false), kFixedNotAllowed);
    EXPECT_EQ(run("/data/below/the/mount", false), kFixedNotAllowed) << "a path stands for its volume";
    EXPECT_TRUE(machine.formatted.empty());
    // A removable volume needs no AllowHD.
    EXPECT_EQ(run("/media/ann/STICK", false), kFormatted);
    EXPECT_EQ(machine.formatted, std::vector<std::string>{"/media/ann/STICK vfat NEW"});
}

TEST_F(FormatDrive, TheSystemHomeAndProgramVolumesAreNeverFormatted) {
    EXPECT_EQ(run("/"), kProtectedVolume);
    EXPECT_EQ(run("/", false), kProtectedVolume) << "the refusal says why, whatever AllowHD";
    EXPECT_EQ(run("/home"), kProtectedVolume);
    EXPECT_EQ(run("/mnt/rootbind"), kProtectedVolume) << "a bind mount of the system's disk is that disk";
    machine.protectedList = {"/", "/media/ann/STICK/arbel/bin/arbel"};
    EXPECT_EQ(run("/media/ann/STICK"), kProtectedVolume) << "Arbel running from the stick";
    EXPECT_EQ(run("/home"), kFormatted) << "with no home on it, /home is an ordinary disk";
    EXPECT_EQ(machine.formatted, std::vector<std::string>{"/home vfat NEW"});
}

TEST_F(FormatDrive, TheServicesAnswerIsTheResult) {
    struct Case {
        ServiceOutcome outcome;
        int code;
    } cases[] = {{ServiceOutcome::Done, kFormatted},
                 {ServiceOutcome::Cancelled, kServiceCancelled},
                 {ServiceOutcome::NotAuthorized, kServiceNotAuthorized},
                 {ServiceOutcome::Absent, kServiceAbsent},
                 {ServiceOutcome::Failed, kServiceFailed}};
    for (const Case& c : cases) {
        machine.answer =
            ServiceResult{c.outcome, "/dev/sdb1", c.outcome == ServiceOutcome::Done ? "" : "busy", {}, {}};
        TFormatDrive f(machine);
        f.Drive = "/media/ann/STICK";
        EXPECT_EQ(f.Execute(FormatRequest{}), c.code == kFormatted);
        EXPECT_EQ(f.result(), c.code);
        EXPECT_EQ(f.message(), c.code == kFormatted ? "" : "busy");
    }
}

TEST_F(FormatDrive, TheProposalKeepsAFileSystemTheToolsCanMakeAndTheLabel) {
    TFormatDrive f(machine);
    f.Drive = "/media/ann/CARD";
    f.DefaultAction = TFormatOptions::foNormal;
    ASSERT_EQ(f.check(), kFormatted);
    EXPECT_EQ(f.proposal().fsType, "exfat");
    EXPECT_TRUE(f.proposal().fullErase);
    f.Drive = "/data";
    f.AllowHD = true;
    f.DefaultAction = TFormatOptions::foQuick;
    ASSERT_EQ(f.check(), kFormatted);
    EXPECT_EQ(f.proposal().fsType, "vfat") << "xfs is not offered";
    EXPECT_FALSE(f.proposal().fullErase);
    f.Drive = "/media/ann/STICK";
    ASSERT_EQ(f.check(), kFormatted);
    EXPECT_EQ(f.proposal().label, "Stick");
}

TEST(VolumeInformation, LabelAsStoredAndFailuresGoToTheCaller) {
    FakeService machine;
    machine.list = {vol("/", DriveType::Fixed, "ext4", "/dev/vda1", 254, 1, "MixedCase Root"),
                    vol("/media/a", DriveType::Removable, "vfat", "/dev/sdb1", 8, 17, "lower")};
    TVolumeInformation info(machine);
    std::vector<int> errors;
    info.OnError = [&](int e) { errors.push_back(e); };
    std::string label = "before";
    info.Drive = "/media/a";
    ASSERT_TRUE(info.GetLabel(label));
    EXPECT_EQ(label, "lower");
    info.Drive = "/usr/share";
    ASSERT_TRUE(info.GetLabel(label));
    EXPECT_EQ(label, "MixedCase Root");
    EXPECT_TRUE(errors.empty());

    machine.list.clear();
    label = "kept";
    EXPECT_FALSE(info.GetLabel(label));
    EXPECT_EQ(label, "kept");
    EXPECT_EQ(errors, std::vector<int>{ENOENT});
    info.OnError = nullptr;
    EXPECT_FALSE(info.GetLabel(label)) << "no handler: still only a return value";
}

TEST(VolumeInformation, UNCDriveIsWhereANetworkVolumeComesFrom) {
    FakeService machine;
    machine.list = {vol("/", DriveType::Fixed, "ext4", "/dev/vda1", 254, 1),
                    vol("/mnt/share", DriveType::Remote, "cifs", "//server/share"),
                    vol("/mnt/export", DriveType::Remote, "nfs4", "host:/export"),
                    vol("/run/user/1000/gvfs/smb-share:server=nas,share=data", DriveType::Remote, "gvfs",
                        "smb-share:server=nas,share=data")};
    TVolumeInformation info(machine);
    auto unc = [&](const char* drive) {
        info.Drive = drive;
        return info.UNCDrive();
    };
    EXPECT_EQ(unc("/mnt/share/sub"), "//server/share");
    EXPECT_EQ(unc("/mnt/export"), "host:/export");
    EXPECT_EQ(unc("/run/user/1000/gvfs/smb-share:server=nas,share=data/x"), "smb://nas/data/");
    EXPECT_EQ(unc("/etc"), "/");
    machine.list.clear();
    EXPECT_EQ(unc("/etc"), "");
}

TEST(GvfsLocation, MountNamesBecomeLocations) {
    EXPECT_EQ(gvfsLocation("smb-share:server=nas,share=data"), "smb://nas/data/");
    EXPECT_EQ(gvfsLocation("smb-share:domain=WORK,server=nas,share=data,user=ann"),
              "smb://WORK;ann@nas/data/");
    EXPECT_EQ(gvfsLocation("sftp:host=example.org,port=2222,user=ann"), "sftp://ann@example.org:2222/");
    EXPECT_EQ(gvfsLocation("ftp:host=127.0.0.1,port=2121"), "ftp://127.0.0.1:2121/");
    EXPECT_EQ(gvfsLocation("dav:host=h,prefix=%2Fremote.php%2Fdav,ssl=true"), "davs://h/remote.php/dav/");
    EXPECT_EQ(gvfsLocation("sftp:host=fe80::1"), "sftp://[fe80::1]/");
    EXPECT_EQ(gvfsLocation("plainfolder"), "");
    EXPECT_EQ(gvfsLocation("sftp:noequals"), "");
    EXPECT_EQ(gvfsLocation("sftp:user=ann"), "") << "no host";
}

TEST(NetworkLocation, TypedLocationsAreTrimmedAndNeedASchemeArbelMountsAndAServer) {
    auto c = checkLocation("  sftp://ann@example.org:2222/home \n");
    EXPECT_EQ(c.location, "sftp://ann@example.org:2222/home");
    EXPECT_EQ(c.problem, "");
    EXPECT_EQ(checkLocation("smb://nas").problem, "");
    EXPECT_NE(checkLocation("").problem, "");
    EXPECT_NE(checkLocation("nas/share").problem, "");
    EXPECT_NE(checkLocation("://nas").problem, "");
    EXPECT_NE(checkLocation("http://nas/").problem, "") << "not a file-sharing scheme";
    EXPECT_EQ(checkLocation("ftp:///folder").problem, "The location names no server.");
    EXPECT_EQ(checkLocation("ftp://ann@:21/").problem, "The location names no server.");
}

}  // namespace
}  // namespace arbel::volumes
