#pragma once
// TFormatDrive: formats the volume holding Drive through the disk service, after the
// refusals the tools always made: volumes that cannot be formatted, a removable
// volume without its medium, a fixed disk unless AllowHD, and (never formattable)
// the volumes that hold "/", the home folder or the running program.
//
// The interface asks the user between check() and format(): the design's shell
// dialog was the user's consent, and Arbel shows its own.

#include <cstdint>
#include <string>

#include "core/volumes/volume_service.h"

namespace arbel::volumes {

enum class TFormatOptions : uint8_t { foQuick = 0, foNormal = 1, foSystem = 2 };

// Result codes.
inline constexpr int kFormatted = 0;
inline constexpr int kCannotFormat = -100;     // unknown, remote, optical, RAM, no block device
inline constexpr int kNoMedium = -101;         // removable volume without its medium
inline constexpr int kFixedNotAllowed = -102;  // fixed disk while AllowHD is off
inline constexpr int kProtectedVolume = -103;  // holds "/", the home folder or the program
// The disk service's answer, when it did not format.
inline constexpr int kServiceFailed = 1;
inline constexpr int kServiceCancelled = 2;  // the user dismissed the authorisation
inline constexpr int kServiceNotAuthorized = 3;
inline constexpr int kServiceAbsent = 4;

int resultCodeOf(const ServiceResult& r);

class TFormatDrive {
public:
    explicit TFormatDrive(VolumeService& service) : service_(service) {}

    TFormatOptions DefaultAction = TFormatOptions::foQuick;
    std::string Drive;  // a path on the volume to format (the mount point, usually)
    bool AllowHD = false;

    // The refusals only: 0 when the volume may be formatted.
    int check();
    // check(), then the format. True when formatted.
    bool Execute(const FormatRequest& request);

    int result() const { return result_; }
    // The volume of the last check (empty mount point when none held Drive).
    const Volume& volume() const { return volume_; }
    // The disk service's own words when it refused or failed.
    const std::string& message() const { return message_; }
    // Where the new file system is mounted when the old one was mounted and the service
    // mounted it again (the place may differ: a new label, a new folder).
    const std::string& newMountPoint() const { return newMountPoint_; }
    // The format the user is offered first: the design's DefaultAction chooses quick
    // or full; the file system stays what the volume has when the tools can make it.
    FormatRequest proposal() const;

private:
    VolumeService& service_;
    int result_ = 0;
    Volume volume_;
    std::string message_;
    std::string newMountPoint_;
};

}  // namespace arbel::volumes
