// The planner's walk of an item: every entry once, a folder before what it holds,
// and a pseudo file system said rather than copied as if empty.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>

#include "core/ops/op_runner.h"
#include "ops_test_support.h"

namespace arbel::ops {
namespace {

TEST(PlanWalk, EveryEntryOnceAndEachFolderBeforeItsContents) {
    arbel::test::TempDir tmp;
    std::set<std::string> want{""};
    for (int i = 0; i < 40; ++i) {
        const std::string rel =
            "a" + std::to_string(i % 4) + "/b" + std::to_string(i % 9) + "/f" + std::to_string(i);
        tmp.writeFile("t/" + rel, "x");
        want.insert(rel);
        want.insert(rel.substr(0, rel.rfind('/')));
        want.insert(rel.substr(0, rel.find('/')));
    }
    tmp.makeLink("t/a0/up", "..");
    want.insert("a0/up");
    FileOperation::PlannedItem item;
    item.source = tmp / "t";
    ASSERT_EQ(::lstat(item.source.c_str(), &item.st), 0);
    item.statOk = true;
    CancelToken cancel;
    walkItem(item, cancel);
    EXPECT_TRUE(item.walkErrors.empty());
    std::set<std::string> seen;
    for (const auto& e : item.entries) {
        EXPECT_TRUE(seen.insert(e.rel).second) << e.rel;
        const auto slash = e.rel.rfind('/');
        if (!e.rel.empty()) {
            EXPECT_TRUE(seen.count(slash == std::string::npos ? "" : e.rel.substr(0, slash))) << e.rel;
        }
        EXPECT_EQ(S_ISLNK(e.st.st_mode), e.rel == "a0/up") << e.rel;
    }
    EXPECT_EQ(seen, want);
}

TEST(PlanWalk, PseudoFileSystemAtTheStartIsReportedNotCopiedEmpty) {
    FileOperation::PlannedItem item;
    item.source = "/proc/self/fdinfo";
    ASSERT_EQ(::lstat(item.source.c_str(), &item.st), 0);
    item.statOk = true;
    CancelToken cancel;
    walkItem(item, cancel);
    ASSERT_EQ(item.walkErrors.size(), 1u);
    EXPECT_EQ(item.walkErrors[0].path, item.source);
    EXPECT_EQ(item.entries.size(), 1u);
}

}  // namespace
}  // namespace arbel::ops
