// Moving, deleting and recycling with the engine.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "core/ops/ops_test_support.h"
#include "platform/fileops.h"
#include "support/mounts.h"

namespace arbel::ops {
namespace {

using arbel::test::exists;
using arbel::test::readFile;
using arbel::test::ScratchMount;
using arbel::test::TempDir;
using test::hasTempLeftovers;
using test::RecordingQuestions;
using test::runOp;
using test::snapshot;

// The trash must never be the real user's: GLib reads these once, so they are set
// before any test runs.
std::string makeTestHome() {
    char templ[] = "/tmp/arbel-ops-home-XXXXXX";
    if (!::mkdtemp(templ)) std::abort();  // never fall back on /tmp: the home is removed at exit
    std::string home = templ;
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    return home;
}
const std::string kHome = makeTestHome();
struct HomeCleanup {
    ~HomeCleanup() { arbel::test::removeTree(kHome); }
} homeCleanup;

// A folder on another file system than TMPDIR, or empty when there is none.
std::string otherFileSystem() {
    struct stat a, b;
    const char* tmp = std::getenv("TMPDIR");
    if (::stat(tmp && *tmp ? tmp : "/tmp", &a) != 0 || ::stat("/dev/shm", &b) != 0) return {};
    if (a.st_dev == b.st_dev || ::access("/dev/shm", W_OK) != 0) return {};
    return "/dev/shm";
}

TEST(Move, RenamesWithinAFileSystemAndAsksBeforeReplacing) {
    TempDir tmp;
    tmp.writeFile("a/file", "new");
    tmp.writeFile("a/folder/inner", "in");
    tmp.writeFile("b/file", "old");
    RecordingQuestions q;
    q.replaceAnswers = {Answer::No};
    struct stat before;
    ::lstat((tmp / "a/folder").c_str(), &before);
    auto r = runOp(Operation::Move, {tmp / "a/file", tmp / "a/folder"}, tmp / "b", q);
    EXPECT_EQ(r.items[0].outcome, Outcome::Skipped);
    EXPECT_EQ(r.items[1].outcome, Outcome::Done);
    EXPECT_EQ(readFile(tmp / "a/file"), "new");  // skipped: both stay
    EXPECT_EQ(readFile(tmp / "b/file"), "old");
    struct stat after;
    ::lstat((tmp / "b/folder").c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);  // a rename, not a copy
    EXPECT_FALSE(exists(tmp / "a/folder"));

    RecordingQuestions yes;
    yes.replaceDefault = Answer::Yes;
    r = runOp(Operation::Move, {tmp / "a/file"}, tmp / "b", yes);
    EXPECT_TRUE(r.allDone());
    EXPECT_EQ(readFile(tmp / "b/file"), "new");
    EXPECT_FALSE(exists(tmp / "a/file"));
}

TEST(Move, MergesIntoAnExistingFolderAndRefusesItselfAndKindMismatch) {
    TempDir tmp;
    tmp.writeFile("src/d/one", "1");
    tmp.writeFile("src/d/sub/two", "2");
    tmp.writeFile("dst/d/keep", "k");
    tmp.writeFile("dst/d/sub/two", "old2");
    RecordingQuestions q;
    q.replaceDefault = Answer::No;
    auto r = runOp(Operation::Move, {tmp / "src/d"}, tmp / "dst", q);
    EXPECT_EQ(readFile(tmp / "dst/d/one"), "1");
    EXPECT_EQ(readFile(tmp / "dst/d/keep"), "k");
    EXPECT_EQ(readFile(tmp / "dst/d/sub/two"), "old2");
    EXPECT_EQ(readFile(tmp / "src/d/sub/two"), "2");  // the skipped file stays in the source
    EXPECT_FALSE(exists(tmp / "src/d/one"));

    // Moving into the folder it is already in, and a file onto a folder of its name.
    tmp.writeFile("x/item", "i");
    tmp.makeDir("y/item");
    RecordingQuestions q2;
    r = runOp(Operation::Move, {tmp / "x/item"}, tmp / "x", q2);
    EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
    r = runOp(Operation::Move, {tmp / "x/item"}, tmp / "y", q2);
    EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
    EXPECT_EQ(readFile(tmp / "x/item"), "i");
}

TEST(Move, AcrossFileSystemsCopiesThenDeletesAndCancelKeepsTheSource) {
    std::string other = otherFileSystem();
    if (other.empty()) GTEST_SKIP() << "only one file system available";
    TempDir tmp;
    tmp.writeFile("src/tree/a", "aaa");
    tmp.writeFile("src/tree/sub/b", std::string(9 << 20, 'b'));
    tmp.makeLink("src/tree/link", "/etc");
    ::chmod((tmp / "src/tree/a").c_str(), 0640);
    auto original = snapshot(tmp / "src");

    char templ[] = "/dev/shm/arbel-ops-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    std::string dst = templ;
    {  // cancelled in the middle of the big file: source whole, nothing left at the target
        CancelToken cancel;
        RecordingQuestions q;
        q.progressHook = [&](uint64_t bytes, uint64_t) {
            if (bytes > 0) cancel.cancel();
        };
        auto r = runOp(Operation::Move, {tmp / "src/tree"}, dst, q, {}, &cancel);
        EXPECT_TRUE(r.aborted);
        EXPECT_EQ(snapshot(tmp / "src"), original);
        EXPECT_TRUE(snapshot(dst).empty());
    }
    {
        RecordingQuestions q;
        auto r = runOp(Operation::Move, {tmp / "src/tree"}, dst, q);
        EXPECT_TRUE(r.allDone());
        EXPECT_FALSE(exists(tmp / "src/tree"));
        auto moved = snapshot(dst);
        EXPECT_EQ(moved, original);
        struct stat st;
        ::lstat((dst + "/tree/a").c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0640u);
        EXPECT_FALSE(hasTempLeftovers(moved));
    }
    arbel::test::removeTree(dst);
}

TEST(Delete, RemovesTreesWithoutFollowingLinksAndGoesOnAfterFailures) {
    TempDir tmp;
    tmp.writeFile("outside/precious", "keep me");
    tmp.writeFile("victim/file", "x");
    tmp.makeLink("victim/to-outside", tmp / "outside");
    tmp.makeLink("victim/sub/to-file", tmp / "outside/precious");
    std::string odd = "new\nline\xff";
    tmp.writeFile("victim/" + odd + "/deep/f", "y");
    tmp.writeFile("other", "o");
    RecordingQuestions q;
    OperationOptions o;
    o.noConfirmation = true;
    auto r = runOp(Operation::Delete, {tmp / "missing", tmp / "victim", tmp / "other"}, {}, q, o);
    EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
    EXPECT_EQ(r.items[0].errors.at(0).code, ENOENT);
    EXPECT_EQ(r.items[1].outcome, Outcome::Done);
    EXPECT_EQ(r.items[2].outcome, Outcome::Done);
    EXPECT_FALSE(exists(tmp / "victim"));
    EXPECT_FALSE(exists(tmp / "other"));
    EXPECT_EQ(readFile(tmp / "outside/precious"), "keep me");
    EXPECT_TRUE(q.deleteAsked.empty());

    // A link given as the item itself is removed, not what it points to.
    tmp.makeLink("link-item", tmp / "outside");
    r = runOp(Operation::Delete, {tmp / "link-item"}, {}, q, o);
    EXPECT_TRUE(r.allDone());
    EXPECT_EQ(readFile(tmp / "outside/precious"), "keep me");
}

TEST(Delete, ConfirmationsAskPerItemWithYesToAllAndCancel) {
    TempDir tmp;
    for (auto n : {"a", "b", "c", "d"}) tmp.writeFile(n, n);
    std::vector<std::string> items = {tmp / "a", tmp / "b", tmp / "c", tmp / "d"};
    RecordingQuestions q;
    q.deleteAnswers = {Answer::No, Answer::YesToAll};
    auto r = runOp(Operation::Delete, items, {}, q);
    EXPECT_EQ(q.deleteAsked.size(), 2u);
    EXPECT_TRUE(exists(tmp / "a"));
    EXPECT_FALSE(exists(tmp / "b"));
    EXPECT_FALSE(exists(tmp / "d"));
    EXPECT_FALSE(r.aborted);

    RecordingQuestions c;
    c.deleteAnswers = {Answer::Cancel};
    r = runOp(Operation::Delete, {tmp / "a"}, {}, c);
    EXPECT_TRUE(r.aborted);
    EXPECT_TRUE(exists(tmp / "a"));
}

TEST(Delete, CancelledMidwayKeepsWhatIsLeftAndReportsAbort) {
    TempDir tmp;
    for (int i = 0; i < 50; ++i) tmp.writeFile("big/f" + std::to_string(i), "x");
    CancelToken cancel;
    RecordingQuestions q;
    q.progressHook = [&](uint64_t, uint64_t files) {
        if (files == 10) cancel.cancel();
    };
    OperationOptions o;
    o.noConfirmation = true;
    auto r = runOp(Operation::Delete, {tmp / "big"}, {}, q, o, &cancel);
    EXPECT_TRUE(r.aborted);
    EXPECT_NE(r.items[0].outcome, Outcome::Done);
    EXPECT_EQ(snapshot(tmp / "big").size(), 40u);
}

TEST(Recycle, MovesToTheTrashOrAsksBeforeDeletingForGood) {
    TempDir tmp;
    std::string odd = "trash\xff me";
    tmp.writeFile(odd, "t");
    RecordingQuestions q;
    OperationOptions o;
    o.noConfirmation = true;
    auto r = runOp(Operation::Recycle, {tmp / odd}, {}, q, o);
    ASSERT_TRUE(r.allDone()) << (r.errors().empty() ? "" : r.errors()[0].describe());
    EXPECT_FALSE(exists(tmp / odd));
    std::string trashed = kHome + "/data/Trash/files/" + odd;
    EXPECT_EQ(readFile(trashed), "t");
    EXPECT_TRUE(exists(kHome + "/data/Trash/info/" + odd + ".trashinfo"));
    EXPECT_TRUE(q.permanentAsked.empty());
}

TEST(Recycle, WithoutATrashTheUserIsAskedBeforeAPermanentDelete) {
    // A volume of its own where no trash can be made: the place of its trash
    // folder is taken by a plain file.
    ScratchMount volume(1 << 20);
    if (!volume.ok()) GTEST_SKIP() << volume.reason();
    std::string blocker = volume / (".Trash-" + std::to_string(::getuid()));
    std::string file = volume / "no-trash-here";
    for (const std::string& p : {blocker, file}) {
        FILE* f = std::fopen(p.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("data", f);
        std::fclose(f);
    }
    // Where the file is when the question comes: still in place, or in a trash
    // (which would mean the question was needless). Never gone.
    auto whereIsIt = [&](const std::string& item) {
        std::string found = exists(item) ? "in place" : "gone";
        for (const std::string& trash :
             {kHome + "/data/Trash/files/no-trash-here", blocker + "/files/no-trash-here",
              volume / ".Trash/0/files/no-trash-here"})
            if (exists(trash) && found == "gone") found = "in a trash";
        return found;
    };
    OperationOptions o;
    o.noConfirmation = true;
    std::vector<std::string> seen;
    RecordingQuestions no;
    no.permanentAnswer = Answer::No;
    no.permanentHook = [&](const std::string& item) { seen.push_back(whereIsIt(item)); };
    auto r = runOp(Operation::Recycle, {file}, {}, no, o);
    ASSERT_EQ(no.permanentAsked.size(), 1u)
        << "the file went somewhere without a question: " << whereIsIt(file);
    EXPECT_EQ(seen, std::vector<std::string>{"in place"});
    EXPECT_EQ(r.items[0].outcome, Outcome::Skipped);
    EXPECT_EQ(readFile(file), "data");

    RecordingQuestions yes;
    yes.permanentAnswer = Answer::Yes;
    yes.permanentHook = [&](const std::string& item) { seen.push_back(whereIsIt(item)); };
    r = runOp(Operation::Recycle, {file}, {}, yes, o);
    EXPECT_TRUE(r.allDone());
    EXPECT_EQ(seen, (std::vector<std::string>{"in place", "in place"}));
    EXPECT_FALSE(exists(file));
    EXPECT_EQ(readFile(blocker), "data");
}

}  // namespace
}  // namespace arbel::ops
