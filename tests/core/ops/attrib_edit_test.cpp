// Attribute flags and time stamps on real files: what the dialog shows for a
// set of items, and what applying a change leaves on disk.
#include "core/ops/attrib_edit.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "core/ops/time_field.h"
#include "support/mounts.h"
#include "support/temp_dir.h"
#include "support/x_server.h"

namespace arbel::ops {
namespace {

using test::TempDir;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

struct timespec mtimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

bool userXattrs(const std::string& path) {
    if (::setxattr(path.c_str(), "user.arbel-probe", "1", 1, 0) != 0) return false;
    ::removexattr(path.c_str(), "user.arbel-probe");
    return true;
}

// Runs a program (no shell) and gives what it printed.
std::string runProgram(std::vector<std::string> args) {
    int fds[2];
    if (::pipe(fds) != 0) return "<no pipe>";
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    char buf[512];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "<failed: " + out + ">";
    return out;
}

TEST(AttribEdit, MixedFlagIsLeftAsEachItemHasItAndOneClickClearsItOnAll) {
    TempDir dir;
    const std::string a = dir.writeFile("a.txt", "a");
    const std::string b = dir.writeFile("b.txt", "b");
    ::chmod(a.c_str(), 0444);
    ::chmod(b.c_str(), 0664);

    AttribView view = readAttribView({a, b});
    ASSERT_EQ(view.items.size(), 2u);
    EXPECT_EQ(view.boxes[kBoxReadOnly], BoxState::Mixed);
    EXPECT_EQ(view.boxes[kBoxHidden], BoxState::Unchecked);
    EXPECT_TRUE(view.enabled[kBoxReadOnly]);
    EXPECT_FALSE(view.enabled[kBoxHidden]);
    EXPECT_TRUE(view.hasFile);
    EXPECT_FALSE(view.singleFileTime);  // several items: the field starts empty

    // Applying the boxes as shown changes nothing.
    AttribRun run = applyAttributes({a, b}, {view.boxes, std::nullopt});
    ASSERT_EQ(run.items.size(), 2u);
    for (const auto& o : run.items) EXPECT_EQ(o.failed, ItemStep::None) << o.error.describe();
    EXPECT_EQ(modeOf(a), 0444u);
    EXPECT_EQ(modeOf(b), 0664u);

    // The mouse never produces mixed: mixed goes to unchecked, then checked.
    Boxes boxes = view.boxes;
    boxes[kBoxReadOnly] = clickBox(boxes[kBoxReadOnly]);
    EXPECT_EQ(boxes[kBoxReadOnly], BoxState::Unchecked);
    EXPECT_EQ(clickBox(BoxState::Unchecked), BoxState::Checked);
    EXPECT_EQ(clickBox(BoxState::Checked), BoxState::Unchecked);
    run = applyAttributes({a, b}, {boxes, std::nullopt});
    EXPECT_EQ(modeOf(a), 0644u);  // only the owner's write bit comes back
    EXPECT_EQ(modeOf(b), 0664u);
    EXPECT_FALSE(run.items[1].modeChanged);  // already writable: left alone

    // Checked: every write bit goes.
    boxes[kBoxReadOnly] = BoxState::Checked;
    run = applyAttributes({a, b}, {boxes, std::nullopt});
    EXPECT_EQ(modeOf(a), 0444u);
    EXPECT_EQ(modeOf(b), 0444u);
    EXPECT_EQ(readAttribView({a, b}).boxes[kBoxReadOnly], BoxState::Checked);
}

TEST(AttribEdit, HiddenIsShownFromTheNameButNeverChanged) {
    TempDir dir;
    const std::string dot = dir.writeFile(".profile", "x");
    AttribView view = readAttribView({dot});
    EXPECT_EQ(view.boxes[kBoxHidden], BoxState::Checked);
    Boxes boxes = view.boxes;
    boxes[kBoxHidden] = BoxState::Unchecked;
    AttribRun run = applyAttributes({dot}, {boxes, std::nullopt});
    EXPECT_EQ(run.items.at(0).failed, ItemStep::None);
    EXPECT_TRUE(test::exists(dot));
    EXPECT_TRUE(run.items[0].attributesAfter & kAttrHidden);
}

TEST(AttribEdit, SystemAndArchiveRoundTripThroughTheStoredWordKeepingForeignBits) {
    TempDir dir;
    const std::string f = dir.writeFile("shared.doc", "x");
    const std::string g = dir.writeFile("plain.doc", "y");
    if (!userXattrs(f))
        GTEST_SKIP() << "the temporary folder's file system keeps no user extended attributes";
    // Written by another system: archive plus a bit Arbel does not know.
    ASSERT_EQ(::setxattr(f.c_str(), "user.DOSATTRIB", "0x820", 6, 0), 0);

    AttribView view = readAttribView({f, g});
    EXPECT_EQ(view.boxes[kBoxArchive], BoxState::Mixed);
    EXPECT_EQ(view.boxes[kBoxSystem], BoxState::Unchecked);
    EXPECT_TRUE(view.enabled[kBoxSystem]);
    EXPECT_TRUE(view.enabled[kBoxArchive]);

    Boxes boxes = view.boxes;
    boxes[kBoxSystem] = clickBox(boxes[kBoxSystem]);  // checked: both get it
    AttribRun run = applyAttributes({f, g}, {boxes, std::nullopt});
    for (const auto& o : run.items) EXPECT_EQ(o.failed, ItemStep::None) << o.error.describe();

    // A second process reads what landed.
    if (test::findProgram("getfattr").empty()) GTEST_SKIP() << "getfattr (package attr) is not installed";
    EXPECT_EQ(runProgram({"getfattr", "--only-values", "-n", "user.DOSATTRIB", f}), std::string("0x824", 6));
    EXPECT_EQ(runProgram({"getfattr", "--only-values", "-n", "user.DOSATTRIB", g}), std::string("0x4", 4));

    // Clearing both flags keeps the foreign bit; a word with no bit left goes.
    boxes[kBoxSystem] = BoxState::Unchecked;
    boxes[kBoxArchive] = BoxState::Unchecked;
    run = applyAttributes({f, g}, {boxes, std::nullopt});
    EXPECT_EQ(runProgram({"getfattr", "--only-values", "-n", "user.DOSATTRIB", f}), std::string("0x800", 6));
    char buf[16];
    EXPECT_LT(::getxattr(g.c_str(), "user.DOSATTRIB", buf, sizeof buf), 0);

    // Undo data: the state before puts the first file back exactly.
    ASSERT_TRUE(restoreAttributes(run.items[0]).ok());
    EXPECT_EQ(runProgram({"getfattr", "--only-values", "-n", "user.DOSATTRIB", f}), std::string("0x824", 6));
}

// A file system that keeps no user extended attributes (ramfs refuses them on
// every kernel; tmpfs keeps them since 6.6).
class NoXattrMount {
public:
    NoXattrMount() {
        const char* base = std::getenv("TMPDIR");
        std::string templ = std::string(base && *base ? base : "/tmp") + "/arbel-ramfs-XXXXXX";
        if (!::mkdtemp(templ.data())) {
            reason_ = "cannot make a mount point";
            return;
        }
        path_ = templ;
        if (::mount("arbel-test", path_.c_str(), "ramfs", 0, "mode=0755") != 0) {
            reason_ = std::string("cannot mount a ramfs (needs root): ") + std::strerror(errno);
            ::rmdir(path_.c_str());
            path_.clear();
            return;
        }
        ok_ = true;
    }
    ~NoXattrMount() {
        if (ok_) ::umount2(path_.c_str(), MNT_DETACH);
        if (!path_.empty()) ::rmdir(path_.c_str());
    }
    bool ok() const { return ok_; }
    const std::string& reason() const { return reason_; }
    const std::string& path() const { return path_; }

private:
    std::string path_, reason_;
    bool ok_ = false;
};

TEST(AttribEdit, SystemAndArchiveAreOffWhereTheFileSystemKeepsNoUserAttributes) {
    NoXattrMount mnt;
    if (!mnt.ok()) GTEST_SKIP() << mnt.reason();
    const std::string f = mnt.path() + "/f.txt";
    ::close(::open(f.c_str(), O_CREAT | O_WRONLY, 0644));
    TempDir dir;
    const std::string elsewhere = dir.writeFile("g.txt", "g");

    AttribView view = readAttribView({f});
    ASSERT_EQ(view.items.size(), 1u);
    EXPECT_FALSE(view.items[0].userXattrs);
    EXPECT_TRUE(view.enabled[kBoxReadOnly]);
    EXPECT_FALSE(view.enabled[kBoxSystem]);
    EXPECT_FALSE(view.enabled[kBoxArchive]);
    EXPECT_EQ(view.boxes[kBoxSystem], BoxState::Unchecked);
    // One such item among others is enough to turn the boxes off.
    EXPECT_FALSE(readAttribView({elsewhere, f}).enabled[kBoxSystem]);

    // Asked anyway, the stored flags fail with the reason while read-only works.
    Boxes boxes = view.boxes;
    boxes[kBoxReadOnly] = BoxState::Checked;
    boxes[kBoxArchive] = BoxState::Checked;
    AttribRun run = applyAttributes({f}, {boxes, std::nullopt});
    ASSERT_EQ(run.items.size(), 1u);
    EXPECT_EQ(run.items[0].failed, ItemStep::Attributes);
    EXPECT_EQ(run.items[0].error.path, f);
    EXPECT_EQ(run.items[0].error.code, ENOTSUP);
    EXPECT_EQ(modeOf(f), 0444u);
}

DateTimeFormat germanStyle() {
    DateTimeFormat fmt;
    fmt.datePattern = "dd.MM.yy";
    fmt.timePattern = "HH:mm:ss";
    return fmt;
}

TEST(AttribEdit, TypedTimeLandsOnEveryFileAndNoFolder) {
    TempDir dir;
    const std::string a = dir.writeFile("a.txt", "a");
    const std::string b = dir.writeFile("b.txt", "b");
    const std::string sub = dir.makeDir("sub");
    const std::string link = dir.makeLink("link-to-sub", "sub");
    ::chmod(a.c_str(), 0444);  // read-only needs no change for a time
    const struct timespec subBefore = mtimeOf(sub);

    std::tm tm{};
    tm.tm_year = 2021 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 7;
    tm.tm_hour = 9;
    tm.tm_min = 15;
    tm.tm_sec = 30;
    const std::time_t expected = std::mktime(&tm);  // local time (TZ)

    for (const std::string& text : {std::string("07.03.21  09:15:30"), std::string("2021-03-07T09:15:30")}) {
        std::optional<Timestamp> t = parseTimeField(text, germanStyle());
        ASSERT_TRUE(t) << text;
        AttribView view = readAttribView({a, b, sub, link});
        ASSERT_EQ(view.items.size(), 4u);
        AttribRun run = applyAttributes({a, b, sub, link}, {view.boxes, t});
        ASSERT_EQ(run.items.size(), 4u);
        for (const auto& o : run.items) EXPECT_EQ(o.failed, ItemStep::None) << o.error.describe();
        EXPECT_EQ(mtimeOf(a).tv_sec, expected) << text;
        EXPECT_EQ(mtimeOf(a).tv_nsec, 0) << text;
        EXPECT_EQ(mtimeOf(b).tv_sec, expected) << text;
        EXPECT_EQ(mtimeOf(sub).tv_sec, subBefore.tv_sec) << "a folder got a time from " << text;
        EXPECT_FALSE(run.items[2].timeSet);
        EXPECT_FALSE(run.items[3].timeSet);  // a link to a folder is a folder
        EXPECT_EQ(modeOf(a), 0444u);

        // Touch the files so the second form has something to change.
        Timestamp old{1000000000, 0};
        (void)setModifiedTime(a, old);
        (void)setModifiedTime(b, old);
    }
}

TEST(AttribEdit, OneFileShowsItsTimeAndAFolderShowsNone) {
    TempDir dir;
    const std::string a = dir.writeFile("a.txt", "a");
    ASSERT_TRUE(setModifiedTime(a, {1600000000, 5}).ok());
    AttribView one = readAttribView({a});
    ASSERT_TRUE(one.singleFileTime);
    EXPECT_EQ(one.singleFileTime->sec, 1600000000);
    AttribView folder = readAttribView({dir.path()});
    EXPECT_FALSE(folder.hasFile);
    EXPECT_FALSE(folder.singleFileTime);
    // Names that exist as neither are left out.
    EXPECT_TRUE(readAttribView({dir.path() + "/missing", dir.makeLink("dangling", "nowhere")}).items.empty());
}

TEST(AttribEdit, FailuresNameTheItemAndWhereTheTimeFailsTheRunEnds) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to own a file that an ordinary user may not change";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string theirs = dir.writeFile("root-owned.txt", "r");
    const std::string mine = dir.writeFile("user-owned.txt", "u");
    ::chmod(theirs.c_str(), 0666);  // writable by all, but only its owner may chmod it
    ::chmod(mine.c_str(), 0644);
    ASSERT_EQ(::chown(mine.c_str(), 65534, 65534), 0);

    // Read-only for both: the first fails with the system's reason, the next is still done.
    int code = test::asUnprivileged([&] {
        Boxes boxes{BoxState::Checked, BoxState::Unchecked, BoxState::Unchecked, BoxState::Unchecked};
        AttribRun run = applyAttributes({theirs, mine}, {boxes, std::nullopt});
        if (run.items.size() != 2) return 1;
        if (run.items[0].failed != ItemStep::Attributes || run.items[0].error.path != theirs ||
            run.items[0].error.code != EPERM)
            return 2;
        if (run.items[1].failed != ItemStep::None || !run.items[1].modeChanged) return 3;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(modeOf(theirs), 0666u);
    EXPECT_EQ(modeOf(mine), 0444u);

    // A time that cannot be set ends the run at that item: nothing after it changes.
    const struct timespec mineBefore = mtimeOf(mine);
    code = test::asUnprivileged([&] {
        Boxes boxes{BoxState::Unchecked, BoxState::Unchecked, BoxState::Unchecked, BoxState::Unchecked};
        AttribRun run = applyAttributes({theirs, mine}, {boxes, Timestamp{1234567890, 0}});
        if (!run.stoppedOnTime || run.items.size() != 1) return 1;
        if (run.items[0].failed != ItemStep::Time || run.items[0].error.code != EPERM) return 2;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(mtimeOf(mine).tv_sec, mineBefore.tv_sec);
    EXPECT_EQ(modeOf(mine), 0444u);
}

// An owner without write permission may no longer write user extended
// attributes: turning read-only on together with archive, and undoing it, must
// order the two writes so that neither is refused.
TEST(AttribEdit, AnOwnerSetsReadOnlyWithArchiveAndUndoesBoth) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand a file to an ordinary user";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string f = dir.writeFile("owned.txt", "o");
    if (!userXattrs(f))
        GTEST_SKIP() << "the temporary folder's file system keeps no user extended attributes";
    ::chmod(f.c_str(), 0644);
    ASSERT_EQ(::chown(f.c_str(), 65534, 65534), 0);

    int code = test::asUnprivileged([&] {
        Boxes boxes{BoxState::Checked, BoxState::Checked, BoxState::Unchecked, BoxState::Unchecked};
        AttribRun run = applyAttributes({f}, {boxes, std::nullopt});
        if (run.items.size() != 1) return 1;
        const AttribOutcome& o = run.items[0];
        if (o.failed != ItemStep::None || !o.modeChanged || !o.dosChanged) return 2;
        if (o.attributesAfter != (kAttrReadOnly | kAttrArchive)) return 3;
        if (modeOf(f) != 0444u) return 4;
        if (!restoreAttributes(o)) return 5;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(modeOf(f), 0644u);
    EXPECT_EQ(readAttribView({f}).items.at(0).attributes & kAttrArchive, 0u);
}

}  // namespace
}  // namespace arbel::ops
