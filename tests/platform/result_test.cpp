#include "platform/result.h"

#include <gtest/gtest.h>

namespace arbel {
namespace {

TEST(Result, CarriesValueOrErrorWithPathAndReason) {
    Result<int> good = 42;
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(*good, 42);

    Result<int> bad = errnoError("/tmp/x", ENOENT);
    ASSERT_FALSE(bad.ok());
    EXPECT_EQ(bad.error().describe(), "/tmp/x: No such file or directory");

    Status failed = Error{"/a", EACCES, "Cannot open"};
    EXPECT_EQ(failed.error().describe(), "/a: Cannot open: Permission denied");
    EXPECT_TRUE(Status().ok());
}

}  // namespace
}  // namespace arbel
