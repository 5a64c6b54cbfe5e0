// Undo of the file commands on real trees: every kind reverses what its job did,
// and each refusal keeps what changed meanwhile rather than losing it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "core/ops/names.h"
#include "core/ops/ops_test_support.h"
#include "core/ops/undo_journal.h"
#include "core/ops/undo_run.h"
#include "platform/paths.h"
#include "support/mounts.h"

namespace arbel::ops {
namespace {

using arbel::test::exists;
using arbel::test::readFile;
using arbel::test::ScratchMount;
using arbel::test::TempDir;
using test::RecordingQuestions;
using test::runOp;
using test::snapshot;

// Each test gets its own home and data home, so the trash it fills is its own.
// (GLib reads them once per process; the test runner starts one process a test.)
class Undo : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = tmp / "home";
        ::mkdir(home_.c_str(), 0700);
        ::setenv("HOME", home_.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home_ + "/data").c_str(), 1);
    }
    OperationResult run(Operation op, std::vector<std::string> items, const std::string& target = {},
                        OperationOptions o = {}) {
        o.noConfirmation = o.noConfirmation || op == Operation::Recycle;
        RecordingQuestions q;
        OperationResult r = runOp(op, std::move(items), target, q, o);
        journal.recordOperation(r);
        return r;
    }
    UndoReport undoNewest() {
        const UndoEntry* e = journal.newest();
        if (!e) return {};
        auto taken = journal.take(e->id);
        CancelToken never;
        return undoEntry(*taken, never);
    }
    static void append(const std::string& path, const std::string& more) {
        std::ofstream(path, std::ios::app) << more;
    }

    TempDir tmp;
    std::string home_;
    UndoJournal journal;
};

std::vector<std::string> keptPaths(const UndoReport& r) {
    std::vector<std::string> out;
    for (const auto& k : r.kept) out.push_back(k.path);
    return out;
}

TEST_F(Undo, CopyRemovesOnlyTheCopiesStillAsMadeAndReportsTheEditedOne) {
    tmp.writeFile("src/tree/a.txt", "a");
    tmp.writeFile("src/tree/sub/b.txt", "b");
    tmp.writeFile("src/c.txt", "c");
    tmp.makeDir("dst");
    tmp.writeFile("dst/old.txt", "mine");
    run(Operation::Copy, {tmp / "src/tree", tmp / "src/c.txt"}, tmp / "dst");
    ASSERT_EQ(journal.newest()->description, "Copy of 2 items to " + tmp / "dst");
    append(tmp / "dst/tree/sub/b.txt", " edited");

    UndoReport r = undoNewest();
    EXPECT_EQ(keptPaths(r), std::vector<std::string>{tmp / "dst/tree/sub/b.txt"});
    EXPECT_EQ(r.kept[0].reason, "It was changed after it was copied");
    // The edited copy stays with the folders that hold it; everything else went.
    EXPECT_EQ(readFile(tmp / "dst/tree/sub/b.txt"), "b edited");
    EXPECT_FALSE(exists(tmp / "dst/tree/a.txt"));
    EXPECT_FALSE(exists(tmp / "dst/c.txt"));
    EXPECT_EQ(readFile(tmp / "dst/old.txt"), "mine");
    EXPECT_EQ(readFile(tmp / "src/tree/sub/b.txt"), "b");
    EXPECT_EQ(journal.newest(), nullptr);  // the entry is spent
}

TEST_F(Undo, ACopyWhoseOriginalChangedOrWentMayBeTheOnlyOneAndStays) {
    tmp.writeFile("src/a.txt", "a");
    tmp.writeFile("src/b.txt", "b");
    tmp.makeDir("dst");
    run(Operation::Copy, {tmp / "src/a.txt", tmp / "src/b.txt"}, tmp / "dst");
    append(tmp / "src/a.txt", "+");
    ASSERT_EQ(::unlink((tmp / "src/b.txt").c_str()), 0);
    UndoReport r = undoNewest();
    EXPECT_EQ(r.kept.size(), 2u);
    EXPECT_EQ(readFile(tmp / "dst/a.txt"), "a");
    EXPECT_EQ(readFile(tmp / "dst/b.txt"), "b");
}

TEST_F(Undo, CopyThatReplacedAFileSaysItCannotBringItBack) {
    tmp.writeFile("src/a.txt", "new");
    tmp.writeFile("dst/a.txt", "old");
    OperationOptions o;
    o.noConfirmation = true;
    run(Operation::Copy, {tmp / "src/a.txt"}, tmp / "dst", o);
    UndoReport r = undoNewest();
    ASSERT_EQ(keptPaths(r), std::vector<std::string>{tmp / "dst/a.txt"});
    EXPECT_EQ(readFile(tmp / "dst/a.txt"), "new");  // the only file of that name now
}

TEST_F(Undo, MoveGoesBackButNeverOntoWhatNowStandsAtTheOldPlace) {
    tmp.writeFile("a/one.txt", "1");
    tmp.writeFile("a/two.txt", "2");
    tmp.makeDir("b");
    run(Operation::Move, {tmp / "a/one.txt", tmp / "a/two.txt"}, tmp / "b");
    tmp.writeFile("a/two.txt", "someone else's");
    UndoReport r = undoNewest();
    EXPECT_EQ(keptPaths(r), std::vector<std::string>{tmp / "a/two.txt"});
    EXPECT_EQ(readFile(tmp / "a/one.txt"), "1");
    EXPECT_EQ(readFile(tmp / "a/two.txt"), "someone else's");
    EXPECT_EQ(readFile(tmp / "b/two.txt"), "2");
    EXPECT_FALSE(exists(tmp / "b/one.txt"));
}

TEST_F(Undo, MoveAcrossFileSystemsComesBack) {
    ScratchMount other(8 << 20);
    if (!other.ok()) GTEST_SKIP() << other.reason();
    tmp.writeFile("a/tree/x.txt", "x");
    tmp.writeFile("a/tree/deep/y.txt", "y");
    auto before = snapshot(tmp / "a");
    run(Operation::Move, {tmp / "a/tree"}, other.path());
    ASSERT_TRUE(exists(other / "tree/deep/y.txt"));
    ASSERT_FALSE(exists(tmp / "a/tree"));
    UndoReport r = undoNewest();
    EXPECT_TRUE(r.kept.empty()) << r.kept[0].path << ": " << r.kept[0].reason;
    EXPECT_EQ(snapshot(tmp / "a"), before);
    EXPECT_FALSE(exists(other / "tree"));
}

TEST_F(Undo, MoveMergedIntoAFolderThatWasThereIsNotPulledApart) {
    tmp.writeFile("a/f/new.txt", "n");
    tmp.writeFile("b/f/theirs.txt", "t");
    run(Operation::Move, {tmp / "a/f"}, tmp / "b");
    UndoReport r = undoNewest();
    EXPECT_EQ(r.kept.size(), 1u);
    EXPECT_TRUE(exists(tmp / "b/f/theirs.txt"));
    EXPECT_TRUE(exists(tmp / "b/f/new.txt"));
}

TEST_F(Undo, RenameAndChangeOfCaseGoBackUnlessTheOldNameWasTaken) {
    tmp.writeFile("d/report.txt", "r");
    tmp.makeDir("d/Folder");
    journal.recordRenames(UndoKind::Rename, {{tmp / "d/report.txt", tmp / "d/final.txt"}}, {false});
    ASSERT_EQ(::rename((tmp / "d/report.txt").c_str(), (tmp / "d/final.txt").c_str()), 0);
    EXPECT_EQ(journal.newest()->description, "Rename of report.txt to final.txt");
    tmp.writeFile("d/report.txt", "new one");
    UndoReport r = undoNewest();
    ASSERT_EQ(r.kept.size(), 1u);
    EXPECT_EQ(readFile(tmp / "d/report.txt"), "new one");
    EXPECT_EQ(readFile(tmp / "d/final.txt"), "r");

    // A change of case of a folder, undone on disk; the tree learns the rename.
    ASSERT_EQ(::rename((tmp / "d/Folder").c_str(), (tmp / "d/FOLDER").c_str()), 0);
    journal.recordRenames(UndoKind::CaseChange, {{tmp / "d/Folder", tmp / "d/FOLDER"}}, {true});
    r = undoNewest();
    EXPECT_TRUE(r.kept.empty());
    EXPECT_TRUE(exists(tmp / "d/Folder"));
    EXPECT_FALSE(exists(tmp / "d/FOLDER"));
    ASSERT_EQ(r.effects.renamed.size(), 1u);
    EXPECT_EQ(r.effects.renamed[0].to, tmp / "d/Folder");
}

TEST_F(Undo, NewFolderGoesOnlyWhileEmpty) {
    tmp.makeDir("p");
    NewFolderResult made = createNewFolder(tmp / "p", "x/y/z");
    ASSERT_TRUE(made.created);
    EXPECT_EQ(made.made, (std::vector<std::string>{tmp / "p/x", tmp / "p/x/y", tmp / "p/x/y/z"}));
    journal.recordNewFolder(made.made);
    tmp.writeFile("p/x/y/keep.txt", "k");
    UndoReport r = undoNewest();
    // z was empty and went; y holds a file and x holds y: one report, for y.
    EXPECT_EQ(keptPaths(r), std::vector<std::string>{tmp / "p/x/y"});
    EXPECT_FALSE(exists(tmp / "p/x/y/z"));
    EXPECT_EQ(readFile(tmp / "p/x/y/keep.txt"), "k");

    // Only the folders it made: an existing parent stays.
    NewFolderResult inner = createNewFolder(tmp / "p", "x/w");
    EXPECT_EQ(inner.made, std::vector<std::string>{tmp / "p/x/w"});
    journal.recordNewFolder(inner.made);
    EXPECT_TRUE(undoNewest().kept.empty());
    EXPECT_TRUE(exists(tmp / "p/x"));
    EXPECT_FALSE(exists(tmp / "p/x/w"));
}

TEST_F(Undo, RecycleRestoresFromTheTrashUnderTheNumberedNameItGot) {
    tmp.writeFile("one/same.txt", "first");
    tmp.writeFile("two/same.txt", "second");
    run(Operation::Recycle, {tmp / "one/same.txt"});
    OperationResult second = run(Operation::Recycle, {tmp / "two/same.txt"});
    const TrashedItem& where = second.items[0].trashed;
    ASSERT_FALSE(where.filesPath.empty());
    // The second file could not take the name the first one has in the trash.
    EXPECT_NE(baseName(where.filesPath), "same.txt");
    EXPECT_TRUE(exists(where.infoPath));

    UndoReport r = undoNewest();
    EXPECT_TRUE(r.kept.empty());
    EXPECT_EQ(readFile(tmp / "two/same.txt"), "second");
    EXPECT_FALSE(exists(where.filesPath));
    EXPECT_FALSE(exists(where.infoPath));
    // The first one is still in the trash, with its record.
    EXPECT_EQ(readFile(home_ + "/data/Trash/files/same.txt"), "first");
    EXPECT_TRUE(exists(home_ + "/data/Trash/info/same.txt.trashinfo"));

    // Its old place taken meanwhile: it stays in the trash, record and all.
    tmp.writeFile("one/same.txt", "newer");
    r = undoNewest();
    ASSERT_EQ(r.kept.size(), 1u);
    EXPECT_EQ(readFile(tmp / "one/same.txt"), "newer");
    EXPECT_EQ(readFile(home_ + "/data/Trash/files/same.txt"), "first");
    EXPECT_TRUE(exists(home_ + "/data/Trash/info/same.txt.trashinfo"));
}

TEST_F(Undo, AttributesAndTimesAreSetBack) {
    std::string f = tmp.writeFile("f.txt", "x");
    ASSERT_EQ(::chmod(f.c_str(), 0644), 0);
    struct stat before;
    ASSERT_EQ(::stat(f.c_str(), &before), 0);
    AttribRequest req;
    req.boxes = {BoxState::Checked, BoxState::Unchecked, BoxState::Unchecked, BoxState::Unchecked};
    Timestamp t;
    t.sec = 1000000000;
    req.modified = t;
    journal.recordAttributes(applyAttributes({f}, req));
    struct stat changed;
    ASSERT_EQ(::stat(f.c_str(), &changed), 0);
    ASSERT_EQ(changed.st_mode & 0222, 0u);
    EXPECT_TRUE(undoNewest().kept.empty());
    struct stat after;
    ASSERT_EQ(::stat(f.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
}

TEST_F(Undo, AnEntryIsUndoneOutOfOrderOnlyWhenNothingNewerTouchedItsItems) {
    tmp.writeFile("src/a.txt", "a");
    tmp.writeFile("src/other.txt", "o");
    tmp.makeDir("dst");
    tmp.makeDir("elsewhere");
    run(Operation::Copy, {tmp / "src/a.txt"}, tmp / "dst");
    const uint64_t copy = journal.newest()->id;
    run(Operation::Move, {tmp / "src/other.txt"}, tmp / "elsewhere");
    EXPECT_EQ(journal.refusal(copy), "");  // the move touched other paths
    journal.recordRenames(UndoKind::Rename, {{tmp / "dst/a.txt", tmp / "dst/b.txt"}}, {false});
    ASSERT_EQ(::rename((tmp / "dst/a.txt").c_str(), (tmp / "dst/b.txt").c_str()), 0);
    EXPECT_NE(journal.refusal(copy).find("Rename of a.txt"), std::string::npos);
    undoNewest();
    EXPECT_EQ(journal.refusal(copy), "");
}

TEST_F(Undo, TheJournalKeepsTheLastHundred) {
    for (int i = 0; i < 130; ++i) journal.recordNewFolder({tmp / ("f" + std::to_string(i))});
    ASSERT_EQ(journal.entries().size(), UndoJournal::kCapacity);
    EXPECT_EQ(journal.entries().front().description, "New Folder " + tmp / "f30");
}

// Names, contents and permission bits of everything below root.
std::map<std::string, std::string> fullSnapshot(const std::string& root) {
    auto snap = snapshot(root);
    for (auto& [rel, what] : snap) {
        struct stat st;
        ::lstat((root + "/" + rel).c_str(), &st);
        what += "|" + std::to_string(st.st_mode & 07777);
    }
    return snap;
}

TEST_F(Undo, TwoHundredRandomOperationsUndoneNewestFirstGiveTheFirstTreeBack) {
    std::mt19937 rng(20);
    std::string root = tmp.makeDir("root");
    for (int i = 0; i < 6; ++i) {
        tmp.makeDir("root/d" + std::to_string(i));
        tmp.writeFile("root/d" + std::to_string(i) + "/f" + std::to_string(i) + ".txt", std::to_string(i));
    }
    ::chmod((tmp / "root/d1/f1.txt").c_str(), 0600);
    const auto first = fullSnapshot(root);
    size_t files = 0;
    auto pickAny = [&](bool wantFolder) -> std::string {
        std::vector<std::string> all;
        for (const auto& [rel, what] : snapshot(root))
            if ((what == "D") == wantFolder) all.push_back(root + "/" + rel);
        if (!wantFolder) files = all.size();
        if (all.empty()) return {};
        return all[rng() % all.size()];
    };
    int n = 0;
    // Two rounds of a hundred (the journal's size), each undone newest first.
    for (int round = 0; round < 2; ++round) {
        for (int done = 0; done < 100 && n < 1000; ++n) {
            std::string folder = pickAny(true), file = pickAny(false);
            if (folder.empty() || file.empty()) continue;
            size_t before = journal.entries().size();
            OperationOptions keep;
            keep.renameOnCollision = true;
            switch (rng() % 5) {
                case 0:
                    run(Operation::Copy, {rng() % 2 ? file : folder}, folder, keep);
                    break;
                case 1:
                    run(Operation::Move, {rng() % 3 ? file : folder}, folder, keep);
                    break;
                case 2: {
                    std::string to = file + "_r" + std::to_string(n);
                    if (renameItem(file, baseName(to)).renamed)
                        journal.recordRenames(UndoKind::Rename, {{file, to}}, {false});
                    break;
                }
                case 3:
                    journal.recordNewFolder(createNewFolder(folder, "n" + std::to_string(n)).made);
                    break;
                case 4:
                    if (files > 4) run(Operation::Recycle, {file});
                    break;
            }
            if (journal.entries().size() > before) ++done;
        }
        ASSERT_EQ(journal.entries().size(), UndoJournal::kCapacity);
        while (journal.newest()) {
            UndoReport r = undoNewest();
            ASSERT_TRUE(r.kept.empty()) << r.kept[0].path << ": " << r.kept[0].reason;
        }
        ASSERT_EQ(fullSnapshot(root), first) << "round " << round;
    }
}

}  // namespace
}  // namespace arbel::ops
