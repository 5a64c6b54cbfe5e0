#pragma once
// The session side of a desktop for one test: a private session bus, the machine's
// gvfsd on it (without its FUSE bridge) and an FTP server of the test's own on
// 127.0.0.1 that wants user "ann" with password "secret". The constructor points this
// process's GIO at that bus. Where any part cannot be had, ok() is false and reason()
// says why, for the skip. Everything it started is stopped again.

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace arbel::test {

class GvfsFixture {
public:
    GvfsFixture();
    ~GvfsFixture();
    GvfsFixture(const GvfsFixture&) = delete;
    GvfsFixture& operator=(const GvfsFixture&) = delete;

    bool ok() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    int port() const { return port_; }
    // The server's root, with the user name and without the password.
    std::string location() const { return "ftp://ann@127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    TempDir dir_;
    std::string reason_, address_;
    std::vector<std::string> env_;
    int port_ = -1, ftpPid_ = -1, busPid_ = -1, gvfsdPid_ = -1;
};

}  // namespace arbel::test
