#pragma once
// The disk service (udisks2) on the system bus: labels, unmounts, mounts and formats
// block devices. Authorisation is the service's business (it asks polkit); this client
// only reports what the service answered. Every call is synchronous with a time limit,
// so callers run it off the interface thread.

#include <chrono>
#include <memory>
#include <string>

namespace arbel {

// How a call to the disk service ended.
enum class ServiceOutcome {
    Done,
    Absent,         // no system bus, or nobody owns the service's name
    Cancelled,      // the user dismissed the authorisation request
    NotAuthorized,  // polkit refused
    Failed,         // the service tried and reported an error
};

struct ServiceResult {
    ServiceOutcome outcome = ServiceOutcome::Done;
    std::string volume;     // the device or mount point the call was about
    std::string message;    // the service's own words (empty on success)
    std::string errorName;  // the D-Bus error name, when there was one
    std::string value;      // what a successful call returned (a mount point, an object path)
    bool ok() const { return outcome == ServiceOutcome::Done; }
};

struct FormatRequest {
    std::string fsType = "vfat";  // "vfat", "exfat", "ext4"
    std::string label;
    bool fullErase = false;  // overwrite the whole device with zeroes first
};

class UDisksClient {
public:
    // busAddress empty: the machine's system bus (DBUS_SYSTEM_BUS_ADDRESS when set).
    explicit UDisksClient(std::string busAddress = {},
                          std::chrono::milliseconds timeout = std::chrono::seconds(25));
    ~UDisksClient();
    UDisksClient(const UDisksClient&) = delete;
    UDisksClient& operator=(const UDisksClient&) = delete;

    // Whether the service answers at all.
    ServiceResult probe();
    // The object path of the block device (a device node or a link to one).
    ServiceResult blockObject(const std::string& device);
    // Whether the drive holding the device has a medium; true for devices without a drive.
    ServiceResult mediaAvailable(const std::string& device, bool& available);
    ServiceResult setLabel(const std::string& device, const std::string& label);
    ServiceResult unmount(const std::string& device);
    // Mounts where the service chooses; value is the mount point.
    ServiceResult mount(const std::string& device);
    // Unmounts the file system when it is mounted, formats, and mounts the new file
    // system again when the old one was mounted (value: the new mount point).
    ServiceResult format(const std::string& device, const FormatRequest& request);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace arbel
