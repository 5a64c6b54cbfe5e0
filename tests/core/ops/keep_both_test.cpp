// The replace question's choices beside replace and skip: Keep Both gives the
// incoming file a free "name (2).ext", once or for every later conflict, and the
// question shows both files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/ops/conflict_text.h"
#include "core/ops/ops_test_support.h"
#include "core/ops/undo_journal.h"
#include "core/ops/undo_run.h"

namespace arbel::ops {
namespace {

using arbel::test::exists;
using arbel::test::readFile;
using arbel::test::TempDir;
using test::RecordingQuestions;
using test::runOp;

void setTime(const std::string& path, time_t sec) {
    struct timespec t[2] = {{sec, 0}, {sec, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), t, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(KeepBoth, TheIncomingFileTakesAFreeNameAndBothContentsStay) {
    TempDir tmp;
    tmp.writeFile("src/a.txt", "incoming a");
    tmp.writeFile("src/b", "incoming b");
    tmp.writeFile("src/c.txt", "incoming c");
    tmp.writeFile("dst/a.txt", "old a");
    tmp.writeFile("dst/a (2).txt", "taken");
    tmp.writeFile("dst/b", "old b");
    tmp.writeFile("dst/c.txt", "old c");
    RecordingQuestions q;
    q.replaceAnswers = {Answer::KeepBoth, Answer::KeepBothToAll};
    auto r = runOp(Operation::Copy, {tmp / "src/a.txt", tmp / "src/b", tmp / "src/c.txt"}, tmp / "dst", q);
    ASSERT_TRUE(r.allDone());
    EXPECT_EQ(q.replaceAsked.size(), 2u);  // the third followed "for all"
    EXPECT_EQ(readFile(tmp / "dst/a.txt"), "old a");
    EXPECT_EQ(readFile(tmp / "dst/a (2).txt"), "taken");
    EXPECT_EQ(readFile(tmp / "dst/a (3).txt"), "incoming a");
    EXPECT_EQ(readFile(tmp / "dst/b (2)"), "incoming b");
    EXPECT_EQ(readFile(tmp / "dst/c (2).txt"), "incoming c");
    EXPECT_EQ(r.items[0].target, tmp / "dst/a (3).txt");

    // The undo of such a copy takes away only the new names.
    UndoJournal journal;
    journal.recordOperation(r);
    CancelToken never;
    auto entry = journal.take(journal.newest()->id);
    EXPECT_TRUE(undoEntry(*entry, never).kept.empty());
    EXPECT_FALSE(exists(tmp / "dst/a (3).txt"));
    EXPECT_FALSE(exists(tmp / "dst/c (2).txt"));
    EXPECT_EQ(readFile(tmp / "dst/c.txt"), "old c");
    EXPECT_EQ(readFile(tmp / "dst/a (2).txt"), "taken");
}

TEST(KeepBoth, AMoveKeepsBothToo) {
    TempDir tmp;
    tmp.writeFile("src/f.txt", "moving");
    tmp.writeFile("dst/f.txt", "staying");
    RecordingQuestions q;
    q.replaceAnswers = {Answer::KeepBoth};
    auto r = runOp(Operation::Move, {tmp / "src/f.txt"}, tmp / "dst", q);
    ASSERT_TRUE(r.allDone());
    EXPECT_FALSE(exists(tmp / "src/f.txt"));
    EXPECT_EQ(readFile(tmp / "dst/f.txt"), "staying");
    EXPECT_EQ(readFile(tmp / "dst/f (2).txt"), "moving");
}

TEST(ConflictText, ShowsBothSidesAndWhichIsNewerAndLarger) {
    TempDir tmp;
    std::string existing = tmp.writeFile("old.bin", std::string(1500, 'x'));
    std::string incoming = tmp.writeFile("new.bin", std::string(2000000, 'y'));
    setTime(existing, 1700000000);  // 2023-11-14 22:13:20 UTC
    setTime(incoming, 1800000000);  // 2027-01-15 08:00:00 UTC
    EXPECT_EQ(conflictDetails(readConflict(incoming, existing)),
              "Existing: 1,500 bytes, modified 2023-11-14 22:13:20\n"
              "Incoming: 2,000,000 bytes, modified 2027-01-15 08:00:00\n"
              "The incoming file is newer and larger.");
    EXPECT_NE(conflictDetails(readConflict(existing, incoming)).find("older and smaller"), std::string::npos);
    setTime(incoming, 1700000000);
    std::string same = tmp.writeFile("same.bin", std::string(1500, 'z'));
    setTime(same, 1700000000);
    EXPECT_NE(conflictDetails(readConflict(same, existing)).find("Both have the same size and time."),
              std::string::npos);
    EXPECT_NE(conflictDetails(readConflict(tmp / "gone", existing)).find("Incoming: cannot be read"),
              std::string::npos);
}

}  // namespace
}  // namespace arbel::ops
