// What a finished job means for the tree and the windows, from the job's record
// of each item, against real folders.

#include "core/ops/after_effects.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "core/ops/ops_test_support.h"

namespace arbel::ops {
namespace {

using arbel::test::exists;
using arbel::test::TempDir;
using test::RecordingQuestions;
using test::runOp;
using Strings = std::vector<std::string>;

// The trash must never be the real user's (GLib reads these once). The home goes
// with the process: every test of this program runs in a process of its own, and
// each would otherwise leave one behind in /tmp.
struct TestHome {
    std::string path;
    TestHome() {
        char templ[] = "/tmp/arbel-fx-home-XXXXXX";
        if (!::mkdtemp(templ)) std::abort();  // never fall back on a shared folder: it is removed at exit
        path = templ;
        ::setenv("HOME", path.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (path + "/data").c_str(), 1);
    }
    ~TestHome() { arbel::test::removeTree(path); }
} testHome;

TEST(AfterEffects, CopyAddsTheFoldersThatArrivedAndRereadsTheTarget) {
    TempDir t;
    t.writeFile("src/folder/inner.txt", "i");
    t.writeFile("src/file.txt", "f");
    t.writeFile("other/more.txt", "m");
    t.writeFile("dst/file.txt", "old");  // skipped: the user keeps it
    RecordingQuestions q;
    q.replaceDefault = Answer::No;
    OperationResult r =
        runOp(Operation::Copy, {t / "src/folder", t / "src/file.txt", t / "other/more.txt"}, t / "dst", q);
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_TRUE(r.items[0].targetFolder);
    EXPECT_FALSE(r.items[1].targetFolder);
    EXPECT_FALSE(r.items[0].sourceGone);
    EXPECT_EQ(r.items[1].outcome, Outcome::Skipped);

    AfterEffects fx = afterEffects(r, false);
    EXPECT_EQ(fx.treeAdd, Strings{t / "dst/folder"});
    EXPECT_TRUE(fx.treeRemove.empty());
    EXPECT_TRUE(fx.gone.empty());
    EXPECT_EQ(fx.refresh, Strings{t / "dst"});
    EXPECT_FALSE(fx.dropVanishedResults);

    // Copied search results: their folders reread too (once each), nothing vanishes.
    fx = afterEffects(r, true);
    EXPECT_EQ(fx.refresh, (Strings{t / "dst", t / "other", t / "src"}));
    EXPECT_FALSE(fx.dropVanishedResults);
}

TEST(AfterEffects, StoppedCopyAddsNothingEvenWhereAFolderOfThatNameWasThere) {
    TempDir t;
    t.writeFile("src/folder/inner.txt", "i");
    t.makeDir("dst/folder");
    RecordingQuestions q;
    CancelToken stopped;
    stopped.cancel();
    OperationResult r = runOp(Operation::Copy, {t / "src/folder"}, t / "dst", q, {}, &stopped);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.items[0].outcome, Outcome::NotDone);
    EXPECT_TRUE(r.items[0].targetFolder);
    AfterEffects fx = afterEffects(r, false);
    EXPECT_TRUE(fx.treeAdd.empty());
    EXPECT_EQ(fx.refresh, Strings{t / "dst"});
}

TEST(AfterEffects, MoveRemovesWhatLeftAndKeepsWhatStayed) {
    TempDir t;
    t.writeFile("a/moved/x.txt", "x");
    t.writeFile("a/kept.txt", "new");
    t.writeFile("b/file.txt", "f");
    t.writeFile("dst/kept.txt", "old");  // the user keeps the old one: the source stays
    RecordingQuestions q;
    q.replaceDefault = Answer::No;
    OperationResult r =
        runOp(Operation::Move, {t / "a/moved", t / "a/kept.txt", t / "b/file.txt"}, t / "dst", q);
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_TRUE(r.items[0].sourceGone);
    EXPECT_FALSE(r.items[1].sourceGone);
    EXPECT_TRUE(r.items[2].sourceGone);
    ASSERT_FALSE(exists(t / "a/moved"));

    AfterEffects fx = afterEffects(r, false);
    EXPECT_EQ(fx.treeAdd, Strings{t / "dst/moved"});
    EXPECT_EQ(fx.treeRemove, (Strings{t / "a/moved", t / "b/file.txt"}));
    EXPECT_EQ(fx.gone, (Strings{t / "a/moved", t / "b/file.txt"}));
    EXPECT_FALSE(fx.closeViewers);
    EXPECT_FALSE(fx.autoFolderMovesUp);
    EXPECT_EQ(fx.refresh, (Strings{t / "dst", t / "a", t / "b"}));
    EXPECT_FALSE(fx.dropVanishedResults);
    EXPECT_TRUE(afterEffects(r, true).dropVanishedResults);
}

TEST(AfterEffects, DeleteDropsWhatWentAndRereadsEveryParent) {
    TempDir t;
    t.writeFile("p/folder/f", "f");
    t.writeFile("p/file", "1");
    t.writeFile("q/kept", "2");
    t.makeDir("target");
    t.makeLink("p/link", t / "target");  // shown in the tree as a folder; only the link goes
    RecordingQuestions q;
    q.deleteAnswers = {Answer::Yes, Answer::Yes, Answer::No, Answer::Yes};
    OperationResult r =
        runOp(Operation::Delete, {t / "p/folder", t / "p/file", t / "q/kept", t / "p/link"}, {}, q);
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_TRUE(exists(t / "q/kept"));
    EXPECT_TRUE(exists(t / "target"));

    AfterEffects fx = afterEffects(r, false);
    EXPECT_EQ(fx.treeRemove, (Strings{t / "p/folder", t / "p/file", t / "p/link"}));
    EXPECT_EQ(fx.gone, (Strings{t / "p/folder", t / "p/file", t / "p/link"}));
    EXPECT_TRUE(fx.closeViewers);
    EXPECT_TRUE(fx.autoFolderMovesUp);
    EXPECT_TRUE(fx.treeAdd.empty());
    EXPECT_EQ(fx.refresh, (Strings{t / "p", t / "q"}));
    EXPECT_TRUE(afterEffects(r, true).dropVanishedResults);
}

TEST(AfterEffects, RenameMovesWindowsOnlyForFolders) {
    AfterEffects folder = afterRename("/a/b/old", "/a/b/new", true);
    ASSERT_EQ(folder.renamed.size(), 1u);
    EXPECT_EQ(folder.renamed[0].from, "/a/b/old");
    EXPECT_EQ(folder.renamed[0].to, "/a/b/new");
    EXPECT_EQ(folder.refresh, Strings{"/a/b"});
    EXPECT_TRUE(afterRename("/a/b/old", "/a/b/new", false).renamed.empty());
    EXPECT_TRUE(afterRename("/a/b/same", "/a/b/same", true).renamed.empty());
}

}  // namespace
}  // namespace arbel::ops
