#include "core/volumes/volume_service.h"

#include <cstdlib>
#include <mutex>

#include "platform/paths.h"

namespace arbel::volumes {

std::string blockDeviceOf(const Volume& v) {
    if (v.type == DriveType::Remote || v.type == DriveType::RamDisk) return {};
    if (v.source.rfind("/dev/", 0) != 0 || v.major == 0) return {};
    return v.source;
}

namespace {
std::mutex gServiceMutex;
std::shared_ptr<VolumeService> gService;
}  // namespace

std::shared_ptr<VolumeService> volumeService() {
    std::lock_guard lock(gServiceMutex);
    if (!gService) gService = std::make_shared<SystemVolumeService>();
    return gService;
}

void setVolumeService(std::shared_ptr<VolumeService> service) {
    std::lock_guard lock(gServiceMutex);
    gService = std::move(service);
}

SystemVolumeService::SystemVolumeService() = default;
SystemVolumeService::~SystemVolumeService() = default;

UDisksClient& SystemVolumeService::client() {
    // Connected on first use, from whichever thread formats or labels.
    std::lock_guard lock(clientMutex_);
    if (!client_) client_ = std::make_unique<UDisksClient>();
    return *client_;
}

std::vector<Volume> SystemVolumeService::volumes() {
    return listVolumes();
}

bool SystemVolumeService::mediumPresent(const Volume& v) {
    if (std::string dev = blockDeviceOf(v); !dev.empty()) {
        bool available = true;
        if (client().mediaAvailable(dev, available).ok()) return available;
    }
    // No service to ask: a medium that is in answers a read of its mount.
    return probeVolume(v).readable;
}

std::vector<std::string> SystemVolumeService::protectedPaths() {
    std::vector<std::string> paths{"/"};
    if (std::string home = homeFolder(); !home.empty()) paths.push_back(home);
    if (char* exe = ::realpath("/proc/self/exe", nullptr)) {
        paths.emplace_back(exe);
        std::free(exe);
    }
    return paths;
}

ServiceResult SystemVolumeService::format(const Volume& v, const FormatRequest& request) {
    return client().format(blockDeviceOf(v), request);
}

ServiceResult SystemVolumeService::setLabel(const Volume& v, const std::string& label) {
    return client().setLabel(blockDeviceOf(v), label);
}

}  // namespace arbel::volumes
