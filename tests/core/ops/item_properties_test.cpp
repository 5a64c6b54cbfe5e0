// The properties window's facts and changes on real files: a file, a folder, a
// link, a name that is no UTF-8; the permission change; the checksum against
// the system's own tool and the comparison with a pasted value.
#include "core/ops/item_properties.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "support/mounts.h"
#include "support/temp_dir.h"

// GIO keeps its content-type caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgio\nleak:libglib\nleak:libgobject\n";
}

namespace arbel::ops {
namespace {

using test::TempDir;

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// What a program printed (no shell: the name goes in as an argument).
std::string output(std::vector<std::string> args) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
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
    return out;
}

TEST(ItemProperties, FileFolderLinkAndAByteName) {
    TempDir dir;
    const std::string file = dir.writeFile("notes.txt", "hello there\n");
    ::chmod(file.c_str(), 0640);
    const std::string folder = dir.makeDir("sub");
    const std::string link = dir.makeLink("to-notes", "notes.txt");
    const std::string dangling = dir.makeLink("nowhere", "missing-target");
    const std::string odd = dir.writeFile("caf\xe9-\xff.txt", "x");

    Result<ItemProperties> f = readItemProperties(file);
    ASSERT_TRUE(f) << f.error().describe();
    EXPECT_EQ(f->name, "notes.txt");
    EXPECT_EQ(f->location, dir.path());
    EXPECT_FALSE(f->isFolder);
    EXPECT_EQ(f->size, 12u);
    EXPECT_EQ(f->mode, 0640u);
    EXPECT_EQ(f->contentType, "text/plain");
    EXPECT_FALSE(f->kind.empty());
    EXPECT_FALSE(f->owner.empty());
    EXPECT_TRUE(f->permissionsEditable);  // the test made it: it owns it
    EXPECT_FALSE(f->volume.empty());
    EXPECT_TRUE(f->freeBytes.has_value());
    EXPECT_GT(f->modified.sec, 0);

    Result<ItemProperties> d = readItemProperties(folder);
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isFolder);
    EXPECT_EQ(d->contentType, "inode/directory");
    EXPECT_EQ(d->size, 0u);  // a folder's size is counted, never the entry's own

    // A link: the facts of what it names, and the text it holds.
    Result<ItemProperties> l = readItemProperties(link);
    ASSERT_TRUE(l);
    EXPECT_TRUE(l->isLink);
    EXPECT_FALSE(l->dangling);
    EXPECT_EQ(l->linkTarget, "notes.txt");
    EXPECT_EQ(l->size, 12u);
    EXPECT_EQ(l->mode, 0640u);

    Result<ItemProperties> g = readItemProperties(dangling);
    ASSERT_TRUE(g);
    EXPECT_TRUE(g->dangling);
    EXPECT_EQ(g->linkTarget, "missing-target");
    EXPECT_EQ(g->contentType, "inode/symlink");
    EXPECT_FALSE(g->permissionsEditable);

    // The name's bytes come back as stored, not "repaired".
    Result<ItemProperties> o = readItemProperties(odd);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->name, "caf\xe9-\xff.txt");
    EXPECT_EQ(o->path, odd);

    Result<ItemProperties> gone = readItemProperties(dir / "absent");
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.error().code, ENOENT);
    EXPECT_EQ(gone.error().path, dir / "absent");
}

TEST(ItemProperties, PermissionTextAndChangeKeepTheSpecialBits) {
    EXPECT_EQ(permissionText(0754), "rwxr-xr--");
    EXPECT_EQ(permissionText(04755), "rwsr-xr-x");
    EXPECT_EQ(permissionText(02644), "rw-r-Sr--");
    EXPECT_EQ(permissionText(01777), "rwxrwxrwt");

    TempDir dir;
    const std::string shared = dir.makeDir("shared");
    ::chmod(shared.c_str(), 01775);
    ASSERT_TRUE(changePermissions(shared, 0750));
    EXPECT_EQ(modeOf(shared), 01750u);  // sticky stays: the window has no box for it

    // Through a link the target changes, never a mode on the link.
    const std::string file = dir.writeFile("f", "x");
    ::chmod(file.c_str(), 0644);
    const std::string link = dir.makeLink("l", "f");
    ASSERT_TRUE(changePermissions(link, 0600));
    EXPECT_EQ(modeOf(file), 0600u);

    Status s = changePermissions(dir / "absent", 0644);
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().path, dir / "absent");
}

TEST(ItemProperties, AnotherUsersFileIsNotEditableAndTheChangeIsRefusedWithAReason) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to own a file another user looks at";
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string file = dir.writeFile("roots.txt", "r");
    ::chmod(file.c_str(), 0644);
    const int code = test::asUnprivileged([&] {
        Result<ItemProperties> p = readItemProperties(file);
        if (!p || p->permissionsEditable) return 1;
        Status s = changePermissions(file, 0666);
        if (s || s.error().code != EPERM || s.error().path != file) return 2;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(modeOf(file), 0644u);
}

TEST(ItemProperties, ChecksumsEqualTheSystemToolsAndStop) {
    TempDir dir;
    // Several read blocks and an odd tail, under a name no shell would take as is.
    std::string data;
    for (int i = 0; i < 3 * (1 << 20) + 4097; ++i) data.push_back(static_cast<char>((i * 131) ^ (i >> 9)));
    const std::string file = dir.writeFile("d\xe9 $(x) 'q'.bin", data);

    CancelToken none;
    std::atomic<uint64_t> done{0};
    Result<std::string> sha = itemChecksum(file, ChecksumKind::Sha256, none, &done);
    ASSERT_TRUE(sha) << sha.error().describe();
    EXPECT_EQ(done.load(), data.size());
    EXPECT_EQ(*sha, output({"sha256sum", file}).substr(0, 64));
    Result<std::string> md5 = itemChecksum(file, ChecksumKind::Md5, none);
    ASSERT_TRUE(md5);
    EXPECT_EQ(*md5, output({"md5sum", file}).substr(0, 32));

    CancelToken stop;
    stop.cancel();
    Result<std::string> stopped = itemChecksum(file, ChecksumKind::Sha256, stop);
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().code, ECANCELED);

    // A folder or a FIFO is never read (a FIFO would never end).
    EXPECT_FALSE(itemChecksum(dir.path(), ChecksumKind::Sha256, none));
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    Result<std::string> f = itemChecksum(fifo, ChecksumKind::Sha256, none);
    ASSERT_FALSE(f);
    EXPECT_EQ(f.error().code, EINVAL);
}

TEST(ItemProperties, PastedChecksumsCompareByTheirDigest) {
    const std::string digest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
    EXPECT_EQ(compareChecksum(digest, ""), ChecksumMatch::Nothing);
    EXPECT_EQ(compareChecksum(digest, "  \n"), ChecksumMatch::Nothing);
    EXPECT_EQ(compareChecksum(digest, "  " + digest + "\n"), ChecksumMatch::Same);
    std::string upper = digest;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(compareChecksum(digest, upper), ChecksumMatch::Same);
    EXPECT_EQ(compareChecksum(digest, digest + "  test.txt"), ChecksumMatch::Same);
    EXPECT_EQ(compareChecksum(digest, "SHA256 (test.txt) = " + digest), ChecksumMatch::Same);
    std::string off = digest;
    off.back() = '9';
    EXPECT_EQ(compareChecksum(digest, off), ChecksumMatch::Different);
    EXPECT_EQ(compareChecksum(digest, digest.substr(0, 63)), ChecksumMatch::Different);
    EXPECT_EQ(compareChecksum(digest, digest + "0"), ChecksumMatch::Different);
}

}  // namespace
}  // namespace arbel::ops
