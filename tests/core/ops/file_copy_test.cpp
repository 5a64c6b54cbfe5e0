// TFileCopy and TShellFileOp: the small components the dialogs hold.

#include "core/ops/file_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/ops/ops_test_support.h"
#include "core/ops/shell_file_op.h"

namespace arbel::ops {
namespace {

using arbel::test::exists;
using arbel::test::readFile;
using arbel::test::TempDir;

struct Recorder {
    std::vector<std::string> messages;
    std::vector<std::pair<int, int>> progress;
    void attach(TFileCopy& c) {
        c.onMessage = [this](const std::string& m) { messages.push_back(m); };
        c.CopyProgress = [this](int r, int w) { progress.emplace_back(r, w); };
    }
};

TEST(TFileCopy, CopiesWholeFilesAndReportsProgressUpToOneHundred) {
    TempDir tmp;
    std::string data(16384, 'q');
    tmp.writeFile("src", data);
    tmp.writeFile("empty");
    tmp.writeFile("target", "an older and longer target file");
    TFileCopy c;
    Recorder rec;
    rec.attach(c);
    EXPECT_TRUE(c.copy(tmp / "src", tmp / "target"));
    EXPECT_EQ(readFile(tmp / "target"), data);
    ASSERT_FALSE(rec.progress.empty());
    EXPECT_EQ(rec.progress.back(), std::make_pair(100, 100));
    for (auto [r, w] : rec.progress) {
        EXPECT_LE(r, 100);
        EXPECT_LE(w, 100);
    }
    rec.progress.clear();
    EXPECT_TRUE(c.copy(tmp / "empty", tmp / "empty-copy"));
    EXPECT_TRUE(exists(tmp / "empty-copy"));
    EXPECT_EQ(rec.progress.back(), std::make_pair(100, 100));
    EXPECT_TRUE(rec.messages.empty());
}

TEST(TFileCopy, FailuresAreReportedAndLeaveNoTargetBehind) {
    TempDir tmp;
    tmp.writeFile("dir/src", "keep");
    tmp.makeLink("alias", "dir");
    TFileCopy c;
    Recorder rec;
    rec.attach(c);
    c.Execute();
    EXPECT_EQ(rec.messages, (std::vector<std::string>{"I can't copy\rSource File name missing"}));

    rec.messages.clear();
    c.setSourceFile(tmp / "dir/src");
    c.setTargetFile(tmp / "alias/src");  // the same file by another spelling
    c.Execute();
    EXPECT_EQ(rec.messages,
              (std::vector<std::string>{"Error !!!\rCan't copy the file on itself", "Execution failed"}));
    EXPECT_EQ(readFile(tmp / "dir/src"), "keep");

    rec.messages.clear();
    EXPECT_FALSE(c.copy(tmp / "missing", tmp / "out"));
    EXPECT_EQ(rec.messages.at(0), (tmp / "missing") + " missing or damaged");
    EXPECT_FALSE(exists(tmp / "out"));

    rec.messages.clear();
    EXPECT_FALSE(c.copy(tmp / "dir/src", tmp / "nofolder/out"));
    EXPECT_EQ(rec.messages.at(0), "Error on creating " + (tmp / "nofolder/out"));
    EXPECT_TRUE(test::snapshot(tmp / "dir").size() == 1);
}

TEST(TShellFileOp, RunsTheWholeListKeepsOutcomesAndHonoursKeepItemList) {
    TempDir tmp;
    tmp.writeFile("a", "a");
    tmp.writeFile("b", "b");
    ItemList list;
    TShellFileOp op(list);
    int runs = 0;
    test::RecordingQuestions q;
    Operation seen{};
    op.setRunner([&](FileOperation& job) {
        ++runs;
        seen = job.operation();
        CancelToken c;
        return job.run(q, c);
    });
    EXPECT_FALSE(op.Copy(tmp / "dst"));  // empty list: nothing runs
    EXPECT_EQ(runs, 0);

    list.items = {tmp / "a", tmp / "missing"};
    op.AutoMakeDir = true;
    EXPECT_FALSE(op.Copy(tmp / "dst"));
    EXPECT_EQ(readFile(tmp / "dst/a"), "a");
    EXPECT_TRUE(list.items.empty());
    ASSERT_EQ(op.lastResult().items.size(), 2u);
    EXPECT_EQ(op.lastResult().items[1].outcome, Outcome::Failed);  // not taken for success
    EXPECT_TRUE(q.createAsked.empty());

    list.items = {tmp / "b"};
    list.keep = true;
    op.TargetName = "b-renamed";
    EXPECT_FALSE(op.Move(tmp / "dst"));
    EXPECT_EQ(seen, Operation::Move);
    EXPECT_EQ(readFile(tmp / "dst/b-renamed"), "b");
    EXPECT_EQ(list.items, (std::vector<std::string>{tmp / "b"}));  // kept for the caller

    list.keep = false;
    list.items = {tmp / "dst/a"};
    q.deleteAnswers = {Answer::Cancel};
    EXPECT_TRUE(op.Delete());  // the user cancelled: aborted
    EXPECT_FALSE(op.AllowUndo());
    EXPECT_TRUE(exists(tmp / "dst/a"));
    list.items = {tmp / "dst/a"};
    op.NoConfirmation = true;
    EXPECT_FALSE(op.Delete());
    EXPECT_FALSE(exists(tmp / "dst/a"));
}

}  // namespace
}  // namespace arbel::ops
