#pragma once
// A real disk service for tests: a 64 MiB image attached as a loop device with a
// file system on it, a private system bus and the machine's udisksd on that bus.
// Needs root (loop devices) and the udisks2, udev and dosfstools packages; where any
// of it cannot be had, ok() is false and reason() says exactly why, for the skip.
// Everything it started is stopped again, the loop device detached, the image removed.

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace arbel::test {

// Runs a program (no shell) and waits; returns its exit status, -1 when it could not
// run. `out` receives its standard output. `env` entries ("NAME=value") are added.
int runProgram(const std::vector<std::string>& argv, std::string* out = nullptr,
               const std::vector<std::string>& env = {});

// Starts a program in the background, its output appended to `log`; the pid or -1.
int spawnProgram(std::vector<std::string> argv, const std::vector<std::string>& env, const std::string& log);
// Stops a process this test started: SIGTERM, then SIGKILL; `child` ones are reaped.
void stopProcess(int pid, bool child);

// What blkid says of a device: "LABEL" or "TYPE"; empty when unset.
std::string blkidValue(const std::string& device, const std::string& tag);

class DiskServiceFixture {
public:
    // fsType: "vfat" or "ext4", with `label`. startService false: only the device and
    // the bus (to see what a client does where the service is absent).
    DiskServiceFixture(const std::string& fsType, const std::string& label, bool startService = true);
    ~DiskServiceFixture();
    DiskServiceFixture(const DiskServiceFixture&) = delete;
    DiskServiceFixture& operator=(const DiskServiceFixture&) = delete;

    bool ok() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    const std::string& device() const { return device_; }
    // The private system bus ("unix:path=...").
    const std::string& busAddress() const { return busAddress_; }

private:
    bool fail(std::string why);
    bool startUdev();
    bool startBus();
    bool startUdisks();

    TempDir dir_;
    std::string reason_;
    std::string device_;
    std::string busAddress_;
    int busPid_ = -1;
    int udisksPid_ = -1;
    bool startedUdev_ = false;
};

}  // namespace arbel::test
