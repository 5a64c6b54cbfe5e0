// Saved listings, compared byte for byte with the expected files beside this test.

#include "core/listing/listing.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <functional>

#include "core/listing/listing_file.h"
#include "core/listing/snapshot.h"
#include "core/tree/tree_fixture.h"
#include "support/temp_dir.h"

namespace arbel::listing {
namespace {

std::string expected(const std::string& name) {
    std::string bytes = test::readFile(std::string(ARBEL_TEST_SOURCE_DIR) + "/expected/" + name);
    EXPECT_FALSE(bytes.empty()) << name;
    return bytes;
}

BranchNode node(std::string text, std::vector<BranchNode> children = {}, bool expanded = true) {
    return BranchNode{std::move(text), expanded && !children.empty(), std::move(children)};
}

BranchNode collapsed(std::string text) {
    return BranchNode{std::move(text), false, {}};
}

TEST(BranchListing, SelectedBranchIndentsEachLevelByFiveSpaces) {
    BranchNode start =
        node("ann", {node("docs", {collapsed("a"), node("b", {collapsed("deep")})}), collapsed("music")});
    EXPECT_EQ(branchListing("/home/ann/", start), expected("branch_two_levels.txt"));
}

TEST(BranchListing, CollapsedStartGivesNothing) {
    BranchNode start{"ann", false, {collapsed("docs")}};
    EXPECT_EQ(branchListing("/home/ann/", start), "");
}

TEST(BranchListing, ChildrenOfACollapsedFolderAreLeftOut) {
    BranchNode docs{"docs", false, {collapsed("hidden-by-collapse")}};
    std::string text = branchListing("/x/", node("x", {docs}));
    EXPECT_EQ(text, "\r\n     /x/\r\n          |-docs\r\n");
}

TEST(BranchListing, EntireTreeListsEveryVolumeWithoutBranchMarks) {
    std::vector<BranchNode> volumes{
        node("File System (/)", {node("home", {collapsed("ann")}), collapsed("usr")}),
        collapsed(" (/media/usb)"), node("data (/mnt/data)", {collapsed("x")})};
    EXPECT_EQ(treeListing(volumes), expected("entire_tree.txt"));
}

// A chain of folders deeper than the limit: twelve levels below the start are
// written (below a volume too), nothing further.
TEST(BranchListing, StopsTwelveLevelsBelowTheStart) {
    BranchNode leaf = collapsed("f20");
    for (int i = 19; i >= 1; --i) leaf = node("f" + std::to_string(i), {leaf});
    std::string selected = branchListing("/s/", node("s", {leaf}));
    EXPECT_NE(selected.find(std::string(5 + 12 * 5, ' ') + "|-f12\r\n"), std::string::npos);
    EXPECT_EQ(selected.find("|-f13"), std::string::npos);

    std::string entire = treeListing({node("vol", {leaf})});
    EXPECT_NE(entire.find(std::string(13 * 5, ' ') + "|-f12\r\n"), std::string::npos);
    EXPECT_EQ(entire.find("|-f13"), std::string::npos);
}

TEST(ListListing, FolderAndFileLinesWithTheirDetails) {
    ListSnapshot list{"/home/ann/work",
                      "1 file/1,234 bytes 1 folder",
                      false,
                      {{"src", true, "", "\xC2\xB7 \xC2\xB7 \xC2\xB7 \xC2\xB7", "2024-03-01  09:30"},
                       {"notes.txt", false, "     1,234", "r a \xC2\xB7 \xC2\xB7", "2024-03-02  17:05"}}};
    EXPECT_EQ(listListing(list, SaveScope::Entire), expected("folder_with_dir_and_file.txt"));
}

TEST(ListListing, EmptyFolderGivesTheHeaderOnly) {
    ListSnapshot list{"/srv/empty", "0 files/0 bytes ", false, {}};
    EXPECT_EQ(listListing(list, SaveScope::Entire), expected("empty_folder.txt"));
    EXPECT_EQ(listListing(list, SaveScope::Selected), "\r\nSelected Items in /srv/empty\r\n");
}

// Names are written as stored: Latin-1 bytes stay single bytes, a tab stays a
// tab. The auto-folder window's selected listing pads an empty size with eight.
TEST(ListListing, OddNamesAreWrittenAsTheirBytes) {
    ListSnapshot list{
        "/data",
        "ignored in a selected listing",
        true,
        {{"caf\xE9 \xFF.txt", false, "        17", "\xC2\xB7 a \xC2\xB7 \xC2\xB7", "2024-01-05  08:00"},
         {"tab\there", true, "", "\xC2\xB7 \xC2\xB7 \xC2\xB7 \xC2\xB7", "2024-01-06  10:15"}}};
    EXPECT_EQ(listListing(list, SaveScope::Selected), expected("odd_names_auto_selected.txt"));
    // The folder window's own selected listing pads with ten.
    list.autoWindow = false;
    EXPECT_NE(listListing(list, SaveScope::Selected).find("\t\t          \t"), std::string::npos);
}

void setTime(const std::string& path, std::time_t t) {
    struct timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// A real folder read the way a folder window reads it, saved and read back.
TEST(ListSnapshot, RealFolderSavedAsTheWindowShowsIt) {
    test::TempDir dir;
    std::string folder = dir.makeDir("work");
    const std::time_t noon = 1623758400;  // 2021-06-15 12:00 UTC
    setTime(dir.makeDir("work/sub"), noon);
    setTime(dir.writeFile("work/caf\xE9\tx.txt", "hello"), noon);
    ::chmod(folder.c_str(), 0755);

    lists::FileListModel model;
    model.setFolder(folder);
    model.reread();
    ASSERT_EQ(model.size(), 2u);
    lists::ListFormat fmt;
    auto path = saveListing(folder, kListFileName,
                            listListing(listSnapshot(model, folder, fmt, false), SaveScope::Entire));
    ASSERT_TRUE(path.ok()) << path.error().describe();
    EXPECT_EQ(*path, folder + "/Arbel List.txt");

    std::string want = expected("real_folder.txt");
    want.replace(want.find("@FOLDER@"), 8, folder);
    EXPECT_EQ(test::readFile(*path), want);
    struct stat st;
    ASSERT_EQ(::stat(path->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// A name the list shows as a file but which is a folder on disk now (or a link
// to one) is written as a folder, as the save looks at the disk.
TEST(ListSnapshot, FolderTestLooksAtTheDisk) {
    test::TempDir dir;
    dir.makeDir("f/real");
    dir.makeLink("f/link", "real");
    dir.writeFile("f/plain", "x");
    lists::FileListModel model;
    model.setFolder(dir / "f");
    model.reread();
    ListSnapshot s = listSnapshot(model, dir / "f", {0, 1, 2, 99}, lists::ListFormat{}, false);
    ASSERT_EQ(s.rows.size(), 3u);
    for (const ListRow& r : s.rows) EXPECT_EQ(r.isFolder, r.name != "plain") << r.name;
}

// Runs check in a child that has become "nobody" when we are root, so that
// permissions bind; returns its exit code.
int asUnprivileged(const std::function<int()>& check) {
    if (::geteuid() != 0) return check();
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(90);
        ::_exit(check());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return 91;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

int entriesIn(const std::string& folder) {
    int n = 0;
    auto dir = DirHandle::open(folder);
    if (dir.ok()) (void)forEachEntry(*dir, [&](const RawEntry&) { return ++n, true; });
    return n;
}

TEST(SaveListing, SavingAgainReplacesTheEarlierListing) {
    test::TempDir dir;
    ASSERT_TRUE(saveListing(dir.path(), kListFileName, "first, and longer\r\n").ok());
    auto second = saveListing(dir.path(), kListFileName, "second\r\n");
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(test::readFile(*second), "second\r\n");
    EXPECT_EQ(entriesIn(dir.path()), 1);  // no temporary file left beside it
}

TEST(SaveListing, ReadOnlyFolderNamesTheFileAndTheReasonAndWritesNothing) {
    test::TempDir dir;
    std::string folder = dir.makeDir("ro");
    std::string old = dir.writeFile("ro/Arbel Branch.txt", "old listing");
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    int code = asUnprivileged([&] {
        auto r = saveListing(folder, kBranchFileName, "new");
        if (r.ok()) return 1;
        if (r.error().path != folder + "/Arbel Branch.txt") return 2;
        if (r.error().code != EACCES) return 3;
        if (r.error().describe().find("Permission denied") == std::string::npos) return 4;
        return 0;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(test::readFile(old), "old listing");
    EXPECT_EQ(entriesIn(folder), 1);

    std::string fresh = dir.makeDir("ro2");
    ASSERT_EQ(::chmod(fresh.c_str(), 0555), 0);
    EXPECT_EQ(asUnprivileged([&] { return saveListing(fresh, kListFileName, "x").ok() ? 1 : 0; }), 0);
    EXPECT_EQ(entriesIn(fresh), 0);
}

TEST(SaveListing, AFolderInTheListingsPlaceIsNotReplaced) {
    test::TempDir dir;
    dir.makeDir("Arbel List.txt/keep");
    auto r = saveListing(dir.path(), kListFileName, "x");
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().code, EISDIR);
    EXPECT_TRUE(test::exists(dir / "Arbel List.txt/keep"));
}

// The tree's own model: what is expanded is written, a placeholder is not.
class TreeSnapshotTest : public tree::test::TreeTest {};

TEST_F(TreeSnapshotTest, TakesWhatTheTreeShows) {
    tmp.makeDir("a/a1/a11");
    tmp.makeDir("a/a2");
    tmp.makeDir("b/b1");
    tree.readDrives();
    tree::TreeNode* r = expand("");
    tree.setExpanded(r, true);
    tree::TreeNode* a = expand("a");
    tree.setExpanded(a, true);
    // b keeps its placeholder (never expanded); a1 was read but stays collapsed.
    tree.expandNode(tree.FindNode(path("a/a1")));

    BranchNode snap = branchSnapshot(tree, a);
    EXPECT_EQ(branchListing(path("a"), snap),
              "\r\n     " + path("a") + "\r\n          |-a1\r\n          |-a2\r\n");
    std::vector<BranchNode> all = volumesSnapshot(tree);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(treeListing(all), "\r\nCombined Volumes\r\n     " + tree.nodeText(r) +
                                    "\r\n          |-a\r\n               |-a1\r\n               |-a2\r\n"
                                    "          |-b\r\n");
    EXPECT_EQ(branchListing(path("b"), branchSnapshot(tree, tree.FindNode(path("b")))), "");
}

}  // namespace
}  // namespace arbel::listing
