#pragma once
// Notice of mounts and unmounts: the kernel marks /proc/self/mountinfo with an
// exceptional condition (POLLPRI) whenever the mount table changes. The interface
// watches fd() (a QSocketNotifier of type Exception) and calls changed() to confirm
// and re-arm; changed() also serves a polling fallback by comparing the table.

#include <string>

namespace arbel {

class MountWatch {
public:
    MountWatch();
    ~MountWatch();
    MountWatch(const MountWatch&) = delete;
    MountWatch& operator=(const MountWatch&) = delete;

    int fd() const { return fd_; }
    // True when the mount table differs from the one seen last time.
    bool changed();

private:
    int fd_ = -1;
    std::string last_;
    std::string read();
};

}  // namespace arbel
