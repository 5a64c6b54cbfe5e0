#pragma once
// Real file systems for tests that need them: a small tmpfs (a second file system,
// a disk that fills up) and bind mounts. Mounting needs root, which the test runs
// have; where it is impossible, ok() is false and reason() says why, for the skip.
// Also a way to run a check as an ordinary user.

#include <cstdint>
#include <functional>
#include <string>

namespace arbel::test {

// A tmpfs of `bytes` mounted on a new folder below TMPDIR; unmounted and removed
// with everything on it when the object goes.
class ScratchMount {
public:
    explicit ScratchMount(uint64_t bytes, const std::string& options = {});
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool ok() const { return mounted_; }
    const std::string& reason() const { return reason_; }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_, reason_;
    bool mounted_ = false;
};

// `from` bind-mounted on `onto` (an existing folder) until the object goes.
class BindMount {
public:
    BindMount(const std::string& from, const std::string& onto);
    ~BindMount();
    BindMount(const BindMount&) = delete;
    BindMount& operator=(const BindMount&) = delete;

    bool ok() const { return mounted_; }
    const std::string& reason() const { return reason_; }

private:
    std::string onto_, reason_;
    bool mounted_ = false;
};

// Runs `check` where permissions bind: in this process when it is not root,
// otherwise in a forked child that has become "nobody". Returns check's result,
// 90 when the switch failed, or 100 + signal when the child died.
int asUnprivileged(const std::function<int()>& check);

}  // namespace arbel::test
