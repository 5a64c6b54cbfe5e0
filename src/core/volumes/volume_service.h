#pragma once
// What the volume tools ask of the machine: the volumes, whether a removable one has
// its medium, which paths must never lose their volume, and the disk service's label
// and format. The system's answers come from the mount table and the disk service;
// tests inject a list of their own.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/udisks.h"
#include "platform/volumes.h"

namespace arbel::volumes {

class VolumeService {
public:
    virtual ~VolumeService() = default;
    virtual std::vector<Volume> volumes() = 0;
    // A removable volume's medium is in (the drive reports it, or its mount answers).
    virtual bool mediumPresent(const Volume& volume) = 0;
    // The paths whose volumes are never formatted: "/", the home folder, the program.
    virtual std::vector<std::string> protectedPaths() = 0;
    virtual ServiceResult format(const Volume& volume, const FormatRequest& request) = 0;
    virtual ServiceResult setLabel(const Volume& volume, const std::string& label) = 0;
};

// The machine: /proc/self/mountinfo and the disk service on the system bus.
class SystemVolumeService : public VolumeService {
public:
    SystemVolumeService();
    ~SystemVolumeService() override;
    std::vector<Volume> volumes() override;
    bool mediumPresent(const Volume& volume) override;
    std::vector<std::string> protectedPaths() override;
    ServiceResult format(const Volume& volume, const FormatRequest& request) override;
    ServiceResult setLabel(const Volume& volume, const std::string& label) override;

private:
    UDisksClient& client();
    std::mutex clientMutex_;
    std::unique_ptr<UDisksClient> client_;
};

// The service the interface's volume commands use: the machine's, or the one a test
// put in its place (null puts the machine's back). Shared, so that a running job
// keeps the one it started with.
std::shared_ptr<VolumeService> volumeService();
void setVolumeService(std::shared_ptr<VolumeService> service);

// The block device a volume lives on, or empty when it has none (network, tmpfs,
// overlay): such a volume has nothing the disk service could label or format.
std::string blockDeviceOf(const Volume& volume);

}  // namespace arbel::volumes
