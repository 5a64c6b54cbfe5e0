// Copies and moves onto another file system (a tmpfs mounted for the test): the
// read/write path, a disk that fills up, sources that change meanwhile, and moves
// that partly fail. Nothing of the user's may be lost on any of these paths.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

#define REQUIRE_MOUNT(m) \
    if (!(m).ok()) GTEST_SKIP() << (m).reason()

// Overwrites the file's bytes in place with `fill`, keeping its size.
void rewriteInPlace(const std::string& path, char fill) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct stat st;
    ASSERT_EQ(::fstat(fd, &st), 0);
    std::string data(size_t(st.st_size), fill);
    ASSERT_EQ(::pwrite(fd, data.data(), data.size(), 0), ssize_t(data.size()));
    ::close(fd);
}

bool allBytesAre(const std::string& s, char c) {
    return s.find_first_not_of(c) == std::string::npos;
}

TEST(CrossFileSystem, MoveThatPartlyFailsKeepsTheItemWholeInTheSource) {
    ScratchMount disk(1 << 20);
    REQUIRE_MOUNT(disk);
    TempDir tmp;
    tmp.writeFile("src/item/conflict.txt", "mine");
    tmp.writeFile("src/item/small", "fits");
    tmp.writeFile("src/item/sub/deep", "deep");
    tmp.writeFile("src/item/big", std::string(3 << 19, 'b'));  // 1.5 MiB: cannot fit
    tmp.writeFile("src/other", "moves");
    ASSERT_EQ(::mkdir(disk.path().c_str(), 0755) == 0 || errno == EEXIST, true);
    ASSERT_EQ(::mkdir((disk / "item").c_str(), 0755), 0);
    {
        FILE* f = std::fopen((disk / "item/conflict.txt").c_str(), "w");
        std::fputs("theirs", f);
        std::fclose(f);
    }
    auto before = snapshot(tmp / "src/item");
    RecordingQuestions q;
    q.replaceDefault = Answer::No;
    q.errorAnswer = ErrorAnswer::Skip;
    auto r = runOp(Operation::Move, {tmp / "src/item", tmp / "src/other"}, disk.path(), q);
    ASSERT_EQ(q.replaceAsked.size(), 1u);
    ASSERT_FALSE(q.errors.empty());
    EXPECT_EQ(q.errors[0].code, ENOSPC);
    EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
    // Every file of the item is still in the source with its content; the target
    // holds only what it held before.
    EXPECT_EQ(snapshot(tmp / "src/item"), before);
    auto target = snapshot(disk.path());
    EXPECT_EQ(target["item/conflict.txt"], "F:theirs");
    EXPECT_FALSE(target.count("item/small"));
    EXPECT_FALSE(target.count("item/sub"));
    EXPECT_FALSE(target.count("item/big"));
    EXPECT_FALSE(hasTempLeftovers(target));
    // The next item is moved as usual.
    EXPECT_EQ(r.items[1].outcome, Outcome::Done);
    EXPECT_EQ(target["other"], "F:moves");
    EXPECT_FALSE(exists(tmp / "src/other"));

    // With only the conflict answered No, the rest moves and the declined file
    // stays in the source with its content.
    arbel::test::removeTree(tmp / "src/item/big");
    RecordingQuestions no;
    no.replaceDefault = Answer::No;
    r = runOp(Operation::Move, {tmp / "src/item"}, disk.path(), no);
    EXPECT_TRUE(no.errors.empty());
    EXPECT_EQ(readFile(tmp / "src/item/conflict.txt"), "mine");
    EXPECT_EQ(readFile(disk / "item/conflict.txt"), "theirs");
    EXPECT_EQ(readFile(disk / "item/small"), "fits");
    EXPECT_EQ(readFile(disk / "item/sub/deep"), "deep");
    EXPECT_FALSE(exists(tmp / "src/item/small"));
    EXPECT_FALSE(exists(tmp / "src/item/sub"));
}

TEST(CrossFileSystem, SourceRewrittenDuringAMoveIsKeptAndTheTargetIsWhole) {
    ScratchMount disk(64 << 20);
    REQUIRE_MOUNT(disk);
    TempDir tmp;
    const size_t size = 20 << 20;  // several blocks
    tmp.writeFile("src/data", std::string(size, 'o'));
    RecordingQuestions q;
    bool rewritten = false;
    q.progressHook = [&](uint64_t bytes, uint64_t) {
        if (rewritten || bytes == 0) return;
        rewritten = true;
        rewriteInPlace(tmp / "src/data", 'n');  // same size, new content, mid-copy
    };
    auto r = runOp(Operation::Move, {tmp / "src/data"}, disk.path(), q);
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
    std::string source = readFile(tmp / "src/data");
    EXPECT_EQ(source.size(), size);
    EXPECT_TRUE(allBytesAre(source, 'n'));
    std::string target = readFile(disk / "data");
    EXPECT_EQ(target.size(), size);
    EXPECT_TRUE(allBytesAre(target, 'n') || allBytesAre(target, 'o')) << "the target mixes old and new data";
}

TEST(CrossFileSystem, FullDiskOnTheReadWritePathFailsAndLeavesTheTargetAlone) {
    ScratchMount disk(1 << 20);
    REQUIRE_MOUNT(disk);
    TempDir tmp;
    // One buffer's worth: the write that fills the disk is short, and nothing is
    // read after it, so only continuing the short write finds the disk full.
    tmp.writeFile("src/file", std::string(1 << 20, 'n'));
    std::string filler(600 << 10, 'f');
    {
        FILE* f = std::fopen((disk / "filler").c_str(), "w");
        std::fwrite(filler.data(), 1, filler.size(), f);
        std::fclose(f);
        f = std::fopen((disk / "file").c_str(), "w");
        std::fputs("old", f);
        std::fclose(f);
    }
    RecordingQuestions q;
    OperationOptions o;
    o.noConfirmation = true;
    auto r = runOp(Operation::Copy, {tmp / "src/file"}, disk.path(), q, o);
    EXPECT_EQ(r.items[0].outcome, Outcome::Failed);
    ASSERT_EQ(q.errors.size(), 1u);
    EXPECT_EQ(q.errors[0].code, ENOSPC);
    EXPECT_EQ(readFile(disk / "file"), "old");
    EXPECT_FALSE(hasTempLeftovers(snapshot(disk.path())));
    EXPECT_EQ(snapshot(disk.path()).size(), 2u);
    // The space taken by the failed copy is free again.
    rewriteInPlace(disk / "filler", 'g');
    EXPECT_EQ(readFile(disk / "filler").size(), filler.size());
}

TEST(CrossFileSystem, LargeFileProgressAgreesWithTheResult) {
    ScratchMount disk(64 << 20);
    REQUIRE_MOUNT(disk);
    TempDir tmp;
    std::string big;
    for (int i = 0; big.size() < (9u << 20) + 12345; ++i) big += std::to_string(i) + ",";
    tmp.writeFile("src/big", big);
    tmp.writeFile("src/small", "s");
    FileOperation job(Operation::Copy, {tmp / "src/big", tmp / "src/small"}, disk.path());
    job.plan();
    EXPECT_EQ(job.progress().bytesTotal, big.size() + 1);
    RecordingQuestions q;
    uint64_t lastBytes = 0, lastFiles = 0;
    bool backwards = false;
    q.progressHook = [&](uint64_t bytes, uint64_t files) {
        if (bytes < lastBytes || files < lastFiles) backwards = true;
        lastBytes = bytes;
        lastFiles = files;
    };
    CancelToken none;
    auto r = job.run(q, none);
    ASSERT_TRUE(r.allDone());
    EXPECT_FALSE(backwards);
    EXPECT_EQ(lastBytes, big.size() + 1);
    EXPECT_EQ(lastFiles, 2u);
    EXPECT_EQ(job.progress().bytesDone, job.progress().bytesTotal);
    EXPECT_EQ(job.progress().filesDone, 2u);
    EXPECT_EQ(readFile(disk / "big"), big);
}

TEST(CrossFileSystem, SparseFilesKeepTheirHoles) {
    ScratchMount disk(64 << 20);
    REQUIRE_MOUNT(disk);
    TempDir tmp;
    const off_t size = off_t(1) << 30;  // 1 GiB with 8 KiB of data
    std::string path = tmp / "sparse";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    std::string head(4096, 'h'), middle(4096, 'm');
    ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), 4096);
    ASSERT_EQ(::pwrite(fd, middle.data(), middle.size(), size / 2), 4096);
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    for (Operation op : {Operation::Copy, Operation::Move}) {
        RecordingQuestions q;
        FileOperation job(op, {path}, disk.path());
        CancelToken none;
        auto r = job.run(q, none);
        ASSERT_TRUE(r.allDone()) << (r.errors().empty() ? "" : r.errors()[0].describe());
        EXPECT_EQ(job.progress().bytesDone, uint64_t(size));  // the holes count as done
        struct stat st;
        ASSERT_EQ(::stat((disk / "sparse").c_str(), &st), 0);
        EXPECT_EQ(st.st_size, size);
        EXPECT_LE(st.st_blocks * 512, 1 << 20);
        int in = ::open((disk / "sparse").c_str(), O_RDONLY | O_CLOEXEC);
        std::string got(4096, 0);
        ASSERT_EQ(::pread(in, got.data(), got.size(), size / 2), 4096);
        EXPECT_EQ(got, middle);
        ASSERT_EQ(::pread(in, got.data(), got.size(), size / 2 - 4096), 4096);
        EXPECT_EQ(got, std::string(4096, '\0'));
        ASSERT_EQ(::pread(in, got.data(), got.size(), 0), 4096);
        EXPECT_EQ(got, head);
        ::close(in);
        if (op == Operation::Copy) {
            ::unlink((disk / "sparse").c_str());
        } else {
            EXPECT_FALSE(exists(path));
        }
    }
}

}  // namespace
}  // namespace arbel::ops
