// Copying with the engine: what lands on disk, what the user is asked, and that
// nothing is lost when the copy fails, is refused or is cancelled.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/ops/ops_test_support.h"
#include "platform/fileops.h"

namespace arbel::ops {
namespace {

using arbel::test::exists;
using arbel::test::readFile;
using arbel::test::TempDir;
using test::hasTempLeftovers;
using test::RecordingQuestions;
using test::runOp;
using test::snapshot;

struct stat lstatOf(const std::string& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st;
}

TEST(Copy, CopiesTreeWithModesTimesLinksAndOddNames) {
    TempDir tmp;
    std::string odd = "bad\xff\xfe name\nwith newline";
    std::string longName(255, 'x');
    tmp.writeFile("src/a.txt", "alpha");
    tmp.writeFile("src/sub/" + odd, "odd bytes");
    tmp.writeFile("src/sub/" + longName, "long");
    tmp.writeFile("src/sub/deeper/empty");
    tmp.makeLink("src/link", "a.txt");
    tmp.makeLink("src/dangling", "/nonexistent/target");
    ::chmod((tmp / "src/a.txt").c_str(), 0751);
    struct timespec times[2] = {{1000000, 0}, {123456789, 500}};
    ::utimensat(AT_FDCWD, (tmp / "src/a.txt").c_str(), times, 0);
    ::chmod((tmp / "src/sub/deeper").c_str(), 0500);  // read-only folder still receives its contents
    tmp.makeDir("dst");

    RecordingQuestions q;
    FileOperation job(Operation::Copy, {tmp / "src"}, tmp / "dst");
    job.plan();
    EXPECT_EQ(job.progress().bytesTotal, 5u + 9u + 4u);
    EXPECT_EQ(job.progress().filesTotal, 6u);
    CancelToken cancel;
    auto r = job.run(q, cancel);
    ASSERT_TRUE(r.allDone()) << (r.errors().empty() ? "" : r.errors()[0].describe());
    EXPECT_EQ(snapshot(tmp / "src"), snapshot(tmp / "dst/src"));
    EXPECT_EQ(job.progress().bytesDone, 18u);

    struct stat st = lstatOf(tmp / "dst/src/a.txt");
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtim.tv_sec, 123456789);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    EXPECT_TRUE(S_ISLNK(lstatOf(tmp / "dst/src/link").st_mode));
    EXPECT_EQ(lstatOf(tmp / "dst/src/sub/deeper").st_mode & 07777, 0500u);
    EXPECT_TRUE(q.replaceAsked.empty());
    EXPECT_TRUE(q.errors.empty());
    ::chmod((tmp / "src/sub/deeper").c_str(), 0700);
    ::chmod((tmp / "dst/src/sub/deeper").c_str(), 0700);
}

TEST(Copy, ExistingTargetIsReplacedOnlyWhenTheUserAgrees) {
    TempDir tmp;
    tmp.writeFile("src/one", "new1");
    tmp.writeFile("src/two", "new2");
    tmp.writeFile("src/three", "new3");
    tmp.writeFile("dst/one", "old1");
    tmp.writeFile("dst/two", "old2");
    tmp.writeFile("dst/three", "old3");
    std::vector<std::string> items = {tmp / "src/one", tmp / "src/two", tmp / "src/three"};

    {  // No, then Yes to all: the first stays, the rest are replaced without asking again
        RecordingQuestions q;
        q.replaceAnswers = {Answer::No, Answer::YesToAll};
        auto r = runOp(Operation::Copy, items, tmp / "dst", q);
        EXPECT_FALSE(r.aborted);
        EXPECT_EQ(q.replaceAsked.size(), 2u);
        EXPECT_EQ(r.items[0].outcome, Outcome::Skipped);
        EXPECT_EQ(r.items[1].outcome, Outcome::Done);
        EXPECT_EQ(readFile(tmp / "dst/one"), "old1");
        EXPECT_EQ(readFile(tmp / "dst/two"), "new2");
        EXPECT_EQ(readFile(tmp / "dst/three"), "new3");
    }
    tmp.writeFile("dst/one", "old1");
    {  // Cancel stops the job: aborted, the target untouched, later items not done
        RecordingQuestions q;
        q.replaceAnswers = {Answer::Cancel};
        tmp.writeFile("dst/two", "old2");
        auto r = runOp(Operation::Copy, items, tmp / "dst", q);
        EXPECT_TRUE(r.aborted);
        EXPECT_EQ(readFile(tmp / "dst/one"), "old1");
        EXPECT_EQ(readFile(tmp / "dst/two"), "old2");
        EXPECT_EQ(r.items[2].outcome, Outcome::NotDone);
    }
    {  // no confirmation: replaced without a question
        RecordingQuestions q;
        OperationOptions o;
        o.noConfirmation = true;
        auto r = runOp(Operation::Copy, items, tmp / "dst", q, o);
        EXPECT_TRUE(r.allDone());
        EXPECT_TRUE(q.replaceAsked.empty());
        EXPECT_EQ(readFile(tmp / "dst/one"), "new1");
    }
    EXPECT_FALSE(hasTempLeftovers(snapshot(tmp / "dst")));
}

TEST(Copy, RefusesTheSameFileUnderAnotherSpellingAndKeepsItsData) {
    TempDir tmp;
    tmp.writeFile("dir/data", "precious");
    tmp.makeLink("alias", "dir");
    ::link((tmp / "dir/data").c_str(), (tmp / "dir/hard").c_str());
    for (std::string target : {tmp / "alias", tmp / "dir/../dir", tmp.path() + "//dir"}) {
        RecordingQuestions q;
        q.replaceDefault = Answer::YesToAll;
        OperationOptions o;
        o.noConfirmation = true;
        auto r = runOp(Operation::Copy, {tmp / "dir/data"}, target, q, o);
        EXPECT_EQ(r.items[0].outcome, Outcome::Failed) << target;
        ASSERT_EQ(q.errors.size(), 1u);
        EXPECT_EQ(q.errors[0].message, "Can't copy the file on itself");
        EXPECT_EQ(readFile(tmp / "dir/data"), "precious");
    }
}

TEST(Copy, FolderIntoItsOwnSubtreeIsRefusedForCopyAndMove) {
    TempDir tmp;
    tmp.writeFile("top/inner/file", "x");
    tmp.makeLink("via-link", "top/inner");
    auto before = snapshot(tmp.path());
    for (Operation op : {Operation::Copy, Operation::Move}) {
        for (std::string target : {tmp / "top", tmp / "top/inner", tmp / "via-link"}) {
            RecordingQuestions q;
            auto r = runOp(op, {tmp / "top"}, target, q);
            EXPECT_EQ(r.items[0].outcome, Outcome::Failed) << target;
            ASSERT_FALSE(q.errors.empty());
            EXPECT_NE(q.errors[0].message.find("into itself"), std::string::npos);
            // Asked before any job (a drop), the refusal is the job's own, word for word.
            auto early = intoItselfRefusal(op, tmp / "top", target);
            ASSERT_TRUE(early.has_value()) << target;
            EXPECT_EQ(early->describe(), q.errors[0].describe());
        }
    }
    EXPECT_EQ(snapshot(tmp.path()), before);
    // A sibling sharing the name's start, a file, and a target still to be made pass.
    tmp.makeDir("top2");
    EXPECT_FALSE(intoItselfRefusal(Operation::Copy, tmp / "top", tmp / "top2").has_value());
    EXPECT_FALSE(intoItselfRefusal(Operation::Move, tmp / "top/inner/file", tmp / "top/inner").has_value());
    EXPECT_FALSE(intoItselfRefusal(Operation::Copy, tmp / "top", tmp / "top/new").has_value());
    EXPECT_FALSE(intoItselfRefusal(Operation::Copy, tmp / "top/inner", tmp / "top").has_value());
}

TEST(Copy, FullDiskFailsCleanlyAndKeepsTheExistingTarget) {
    TempDir tmp;
    std::string big(256 * 1024, 'b');
    tmp.writeFile("src/big", big);
    tmp.writeFile("src/small", "s");
    tmp.writeFile("dst/big", "old content");
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    struct rlimit was;
    ::getrlimit(RLIMIT_FSIZE, &was);
    struct rlimit lim = was;
    lim.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
    RecordingQuestions q;
    OperationOptions o;
    o.noConfirmation = true;
    auto r = runOp(Operation::Copy, {tmp / "src/big", tmp / "src/small"}, tmp / "dst", q, o);
    ::setrlimit(RLIMIT_FSIZE, &was);
    ::sigaction(SIGXFSZ, &old, nullptr);

    EXPECT_FALSE(r.aborted);
    EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
    ASSERT_EQ(q.errors.size(), 1u);
    EXPECT_EQ(q.errors[0].code, EFBIG);
    EXPECT_EQ(q.errors[0].path, tmp / "dst/big");
    EXPECT_EQ(readFile(tmp / "dst/big"), "old content");
    EXPECT_EQ(r.items[1].outcome, Outcome::Done);  // goes on with the next item
    EXPECT_FALSE(hasTempLeftovers(snapshot(tmp / "dst")));
    EXPECT_EQ(readFile(tmp / "src/big"), big);
}

TEST(Copy, CancelAtEveryStageLeavesSourcesWholeAndNoPartialTarget) {
    TempDir tmp;
    tmp.writeFile("src/tree/a", "aaa");
    tmp.writeFile("src/tree/sub/b", "bbb");
    tmp.writeFile("src/tree/sub/c", "ccc");
    tmp.writeFile("src/big", std::string(20 << 20, 'z'));  // several blocks
    tmp.writeFile("src/last", "l");
    auto sources = snapshot(tmp / "src");
    std::vector<std::string> items = {tmp / "src/tree", tmp / "src/big", tmp / "src/last"};

    // Count the progress calls of a whole run, then cancel after each of them.
    int calls = 0;
    {
        TempDir scratch;
        RecordingQuestions q;
        q.progressHook = [&](uint64_t, uint64_t) { ++calls; };
        auto r = runOp(Operation::Copy, items, scratch.path(), q);
        ASSERT_TRUE(r.allDone());
    }
    ASSERT_GT(calls, 6);
    for (int stop = 0; stop <= calls; ++stop) {
        TempDir dstRoot;
        std::string dst = dstRoot.makeDir("t");
        dstRoot.writeFile("t/last", "existing");
        CancelToken cancel;
        int n = 0;
        RecordingQuestions q;
        q.replaceDefault = Answer::Yes;
        q.progressHook = [&](uint64_t, uint64_t) {
            if (n++ == stop) cancel.cancel();
        };
        if (stop == 0) cancel.cancel();
        auto r = runOp(Operation::Copy, items, dst, q, {}, &cancel);
        auto after = snapshot(dst);
        EXPECT_FALSE(hasTempLeftovers(after)) << stop;
        EXPECT_EQ(snapshot(tmp / "src"), sources) << stop;
        // Each item is either absent or whole; the existing target is old or new, never partial.
        if (after.count("tree")) {
            EXPECT_EQ(r.items[0].outcome, Outcome::Done) << stop;
            EXPECT_EQ(after["tree/sub/c"], "F:ccc") << stop;
        }
        if (after.count("big")) {
            EXPECT_EQ(after["big"].size(), (20u << 20) + 2) << stop;
        }
        std::string last = after["last"];
        EXPECT_TRUE(last == "F:existing" || last == "F:l") << stop << " " << last;
        if (r.aborted) {
            EXPECT_NE(r.items.back().outcome, Outcome::Failed) << stop;
        }
    }
}

TEST(Copy, TargetAppearingMeanwhileIsNotOverwrittenWithoutAsking) {
    TempDir tmp;
    tmp.writeFile("src/file", std::string(10 << 20, 'n'));  // more than one block
    tmp.makeDir("dst");
    RecordingQuestions q;
    q.replaceDefault = Answer::No;
    bool made = false;
    q.progressHook = [&](uint64_t, uint64_t) {
        if (!made) tmp.writeFile("dst/file", "theirs");
        made = true;
    };
    auto r = runOp(Operation::Copy, {tmp / "src/file"}, tmp / "dst", q);
    EXPECT_EQ(q.replaceAsked.size(), 1u);
    EXPECT_EQ(r.items[0].outcome, Outcome::Skipped);
    EXPECT_EQ(readFile(tmp / "dst/file"), "theirs");
    EXPECT_FALSE(hasTempLeftovers(snapshot(tmp / "dst")));
}

TEST(Copy, VanishedSourceAndUnusableTargetAreReportedNotSuccess) {
    TempDir tmp;
    tmp.writeFile("src/gone", "g");
    tmp.writeFile("src/stays", "s");
    tmp.writeFile("plainfile", "f");
    {
        FileOperation job(Operation::Copy, {tmp / "src/gone", tmp / "src/stays"}, tmp / "dst");
        job.plan();
        ::unlink((tmp / "src/gone").c_str());
        RecordingQuestions q;
        CancelToken c;
        auto r = job.run(q, c);
        EXPECT_FALSE(r.allDone());
        EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
        ASSERT_FALSE(r.items[0].errors.empty());
        EXPECT_EQ(r.items[0].errors[0].code, ENOENT);
        EXPECT_EQ(r.items[1].outcome, Outcome::Done);
        EXPECT_EQ(q.createAsked.size(), 1u);  // dst was missing: asked before creating it
    }
    {  // a target folder below a regular file cannot exist: ENOTDIR, nothing copied
        RecordingQuestions q;
        OperationOptions o;
        o.autoMakeDir = true;
        auto r = runOp(Operation::Copy, {tmp / "src/stays"}, tmp / "plainfile/sub", q, o);
        EXPECT_FALSE(r.allDone());
        ASSERT_FALSE(q.errors.empty());
        EXPECT_EQ(q.errors[0].code, ENOTDIR);
    }
    {  // declining to create the target ends the job with nothing done
        RecordingQuestions q;
        q.createAnswer = false;
        auto r = runOp(Operation::Copy, {tmp / "src/stays"}, tmp / "missing", q);
        EXPECT_TRUE(r.aborted);
        EXPECT_FALSE(exists(tmp / "missing"));
    }
}

TEST(Copy, RenameOnCollisionAndTargetNameOverride) {
    TempDir tmp;
    tmp.writeFile("d/report.txt", "r");
    tmp.writeFile("d/report (2).txt", "taken");
    RecordingQuestions q;
    OperationOptions o;
    o.renameOnCollision = true;
    auto r = runOp(Operation::Copy, {tmp / "d/report.txt"}, tmp / "d", q, o);
    EXPECT_TRUE(r.allDone());
    EXPECT_EQ(readFile(tmp / "d/report (3).txt"), "r");
    EXPECT_EQ(readFile(tmp / "d/report (2).txt"), "taken");

    // Copy under a new name straight into the target: no temporary copy elsewhere.
    tmp.writeFile("f/sub/x", "1");
    FileOperation job(Operation::Copy, {tmp / "f"}, tmp / "out");
    job.setTargetName(0, "renamed");
    CancelToken c;
    RecordingQuestions q2;
    ASSERT_TRUE(job.run(q2, c).allDone());
    EXPECT_EQ(readFile(tmp / "out/renamed/sub/x"), "1");
    EXPECT_TRUE(exists(tmp / "f/sub/x"));
}

TEST(Copy, ATargetNameRenamesOnlyItsItem) {
    for (Operation op : {Operation::Copy, Operation::Move}) {
        TempDir tmp;
        tmp.writeFile("src/a", "1");
        tmp.writeFile("src/b/inner", "2");
        tmp.writeFile("src/c", "3");
        FileOperation job(op, {tmp / "src/a", tmp / "src/b", tmp / "src/c"}, tmp / "dst");
        job.setTargetName(1, "renamed");
        job.setTargetName(7, "ignored");  // no such item
        RecordingQuestions q;
        CancelToken c;
        auto r = job.run(q, c);
        ASSERT_TRUE(r.allDone());
        EXPECT_EQ(r.items[1].target, tmp / "dst/renamed");
        EXPECT_EQ(snapshot(tmp / "dst"),
                  (std::map<std::string, std::string>{
                      {"a", "F:1"}, {"renamed", "D"}, {"renamed/inner", "F:2"}, {"c", "F:3"}}));
    }
}

// Names that begin with dots but are not "." or "..": ordinary names on every path.
TEST(Copy, NamesOfDotsAreCopiedMovedAndDeletedLikeAnyOther) {
    const std::vector<std::string> names = {"..foo", "...", "....", "..\xff", ".", ".hidden"};
    TempDir tmp;
    for (const auto& n : names) {
        if (n == ".") continue;
        tmp.writeFile("src/tree/" + n + "/inside", n);
        tmp.writeFile("src/tree/f" + n, n);
        tmp.writeFile("src/" + n, "top " + n);
    }
    auto tree = snapshot(tmp / "src/tree");
    ASSERT_EQ(tree.size(), 15u);
    std::vector<std::string> items = {tmp / "src/tree"};
    for (const auto& n : {"..foo", "...", "...."}) items.push_back(tmp / (std::string("src/") + n));

    RecordingQuestions q;
    FileOperation job(Operation::Copy, items, tmp / "copy");
    job.plan();
    EXPECT_EQ(job.progress().filesTotal, 10u + 3u);
    CancelToken none;
    ASSERT_TRUE(job.run(q, none).allDone());
    EXPECT_EQ(snapshot(tmp / "copy/tree"), tree);
    EXPECT_EQ(readFile(tmp / "copy/..."), "top ...");
    EXPECT_EQ(readFile(tmp / "copy/....."), "");  // no such name was made
    EXPECT_TRUE(exists(tmp / "copy/...."));

    auto r = runOp(Operation::Move, {tmp / "copy/tree", tmp / "copy/..foo"}, tmp / "moved", q);
    ASSERT_TRUE(r.allDone());
    EXPECT_EQ(snapshot(tmp / "moved/tree"), tree);
    EXPECT_EQ(readFile(tmp / "moved/..foo"), "top ..foo");
    std::string shm = "/dev/shm";
    struct stat a, b;
    if (::stat(shm.c_str(), &b) == 0 && ::stat(tmp.path().c_str(), &a) == 0 && a.st_dev != b.st_dev) {
        char templ[] = "/dev/shm/arbel-dots-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        r = runOp(Operation::Move, {tmp / "moved/tree"}, templ, q);
        EXPECT_TRUE(r.allDone());
        EXPECT_EQ(snapshot(std::string(templ) + "/tree"), tree);
        EXPECT_FALSE(exists(tmp / "moved/tree"));
        r = runOp(Operation::Move, {std::string(templ) + "/tree"}, tmp / "moved", q);
        EXPECT_TRUE(r.allDone());
        arbel::test::removeTree(templ);
    }

    OperationOptions o;
    o.noConfirmation = true;
    r = runOp(Operation::Delete, {tmp / "moved/tree", tmp / "copy/...", tmp / "copy/...."}, {}, q, o);
    EXPECT_TRUE(r.allDone());
    EXPECT_FALSE(exists(tmp / "moved/tree"));
    EXPECT_FALSE(exists(tmp / "copy/..."));
    EXPECT_FALSE(exists(tmp / "copy/...."));
    EXPECT_EQ(snapshot(tmp / "src/tree"), tree);  // the sources were only copied
    EXPECT_TRUE(q.errors.empty());
}

}  // namespace
}  // namespace arbel::ops
