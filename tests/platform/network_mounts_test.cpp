// Network locations through GIO and the real gvfs daemons: a private session bus, the
// machine's gvfsd on it and an FTP server of the test's own on 127.0.0.1.
#include "platform/network_mounts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/network_service.h"

namespace arbel {
namespace {

using test::GvfsFixture;

const NetworkMount* findMount(const std::vector<NetworkMount>& mounts, int port) {
    auto it = std::find_if(mounts.begin(), mounts.end(), [&](const NetworkMount& m) {
        return m.location.find("127.0.0.1:" + std::to_string(port)) != std::string::npos;
    });
    return it == mounts.end() ? nullptr : &*it;
}

TEST(NetworkLocations, ConnectListAndDisconnectAnFtpServer) {
    GvfsFixture gvfs;
    if (!gvfs.ok()) GTEST_SKIP() << gvfs.reason();
    EXPECT_EQ(networkServiceProblem(), "");

    // A wrong password first: gvfs asks again, and the second answer logs in.
    std::vector<PasswordRequest> asked;
    MountCallbacks callbacks;
    callbacks.askPassword = [&](const PasswordRequest& r) {
        asked.push_back(r);
        PasswordAnswer a;
        a.cancelled = false;
        a.user = "ann";
        a.password = asked.size() == 1 ? "wrong" : "secret";
        return a;
    };
    NetworkResult r = mountLocation(gvfs.location(), callbacks);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked.front().needPassword);
    EXPECT_EQ(asked.front().location, gvfs.location());

    auto mounts = networkMounts();
    const NetworkMount* m = findMount(mounts, gvfs.port());
    ASSERT_TRUE(m) << "the new mount is among the network mounts";
    std::string error;
    auto names = listLocation(m->location, &error);
    EXPECT_NE(std::find(names.begin(), names.end(), "hello.txt"), names.end()) << error;

    r = unmountLocation(m->location, callbacks);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_FALSE(findMount(networkMounts(), gvfs.port()));
}

TEST(NetworkLocations, ACancelledPasswordMountsNothing) {
    GvfsFixture gvfs;
    if (!gvfs.ok()) GTEST_SKIP() << gvfs.reason();
    int asked = 0;
    MountCallbacks callbacks;
    callbacks.askPassword = [&](const PasswordRequest&) {
        ++asked;
        return PasswordAnswer{};  // cancelled
    };
    NetworkResult r = mountLocation(gvfs.location(), callbacks);
    EXPECT_EQ(r.outcome, NetworkOutcome::Cancelled) << r.message;
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(findMount(networkMounts(), gvfs.port()));

    // A stop request from the caller ends a mount that is waiting.
    callbacks.askPassword = nullptr;
    callbacks.cancelled = [] { return true; };
    r = mountLocation("ftp://127.0.0.1:1/", callbacks);
    EXPECT_NE(r.outcome, NetworkOutcome::Done);
}

TEST(NetworkLocations, OnlyNetworkSchemesAreLocations) {
    for (const char* uri :
         {"smb://nas/data", "sftp://host/", "ftp://h/", "dav://h/", "davs://h/x", "nfs://h/e"})
        EXPECT_TRUE(isNetworkLocation(uri)) << uri;
    for (const char* uri : {"file:///tmp", "trash:///", "smb://", "http://h/", "/home/ann", ""})
        EXPECT_FALSE(isNetworkLocation(uri)) << uri;
}

}  // namespace
}  // namespace arbel
