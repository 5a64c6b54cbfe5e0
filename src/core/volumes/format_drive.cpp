#include "core/volumes/format_drive.h"

#include "platform/paths.h"

namespace arbel::volumes {

namespace {

bool sameDevice(const Volume& a, const Volume& b) {
    return a.mountPoint == b.mountPoint || (a.major != 0 && a.major == b.major && a.minor == b.minor);
}

}  // namespace

int resultCodeOf(const ServiceResult& r) {
    switch (r.outcome) {
        case ServiceOutcome::Done:
            return kFormatted;
        case ServiceOutcome::Absent:
            return kServiceAbsent;
        case ServiceOutcome::Cancelled:
            return kServiceCancelled;
        case ServiceOutcome::NotAuthorized:
            return kServiceNotAuthorized;
        case ServiceOutcome::Failed:
            break;
    }
    return kServiceFailed;
}

int TFormatDrive::check() {
    message_.clear();
    newMountPoint_.clear();
    volume_ = Volume{};
    const std::vector<Volume> all = service_.volumes();
    const Volume* v = volumeOf(all, Drive);
    if (!v) return result_ = kCannotFormat;
    volume_ = *v;
    switch (v->type) {
        case DriveType::Unknown:
        case DriveType::Remote:
        case DriveType::CDRom:
        case DriveType::RamDisk:
            return result_ = kCannotFormat;
        case DriveType::Removable:
        case DriveType::Fixed:
            break;
    }
    if (blockDeviceOf(*v).empty()) return result_ = kCannotFormat;
    // The device, not only the mount point: a bind mount of the system's disk is the
    // system's disk.
    for (const std::string& path : service_.protectedPaths())
        if (const Volume* holder = volumeOf(all, path); holder && sameDevice(*holder, *v))
            return result_ = kProtectedVolume;
    if (v->type == DriveType::Fixed && !AllowHD) return result_ = kFixedNotAllowed;
    if (v->type == DriveType::Removable && !service_.mediumPresent(*v)) return result_ = kNoMedium;
    return result_ = kFormatted;
}

bool TFormatDrive::Execute(const FormatRequest& request) {
    if (check() != kFormatted) return false;
    ServiceResult r = service_.format(volume_, request);
    message_ = r.message;
    newMountPoint_ = r.value;
    result_ = resultCodeOf(r);
    return result_ == kFormatted;
}

FormatRequest TFormatDrive::proposal() const {
    FormatRequest request;
    if (volume_.fsType == "exfat" || volume_.fsType == "ext4") request.fsType = volume_.fsType;
    request.label = volume_.label;
    request.fullErase = DefaultAction != TFormatOptions::foQuick;
    return request;
}

}  // namespace arbel::volumes
