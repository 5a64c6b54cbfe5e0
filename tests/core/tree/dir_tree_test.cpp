#include "core/tree/dir_tree.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

#include "support/mounts.h"
#include "tree_fixture.h"

namespace arbel::tree::test {
namespace {

using Names = std::vector<std::string>;

TEST_F(TreeTest, PlaceholdersFollowWhetherAFolderHasQualifyingSubfolders) {
    tmp.writeFile("files/a.txt", "x");
    tmp.makeDir("nested/inner");
    tmp.makeDir("onlyhidden/.git");
    tmp.makeDir("trashy");
    tree.readDrives();
    EXPECT_TRUE(root()->hasPlaceholder());
    expand("");
    EXPECT_EQ(childNames(root()), (Names{"files", "nested", "onlyhidden", "trashy"}));
    EXPECT_FALSE(tree.FindNode(path("files"))->hasPlaceholder());
    EXPECT_TRUE(tree.FindNode(path("nested"))->hasPlaceholder());
    EXPECT_TRUE(tree.FindNode(path("onlyhidden"))->hasPlaceholder());
    EXPECT_FALSE(tree.FindNode(path("trashy"))->hasPlaceholder());

    // A folder gains a subfolder: refreshed, it shows an expand button.
    tmp.makeDir("trashy/new");
    tree.RefreshNode(tree.FindNode(path("trashy")));
    EXPECT_TRUE(tree.FindNode(path("trashy"))->hasPlaceholder());
    // ... and loses it again.
    ::rmdir((tmp / "trashy/new").c_str());
    tree.RefreshNode(tree.FindNode(path("trashy")));
    EXPECT_FALSE(tree.FindNode(path("trashy"))->hasPlaceholder());

    // Expanding a placeholder node that turns out empty leaves no row behind.
    TreeNode* nested = expand("nested");
    EXPECT_EQ(childNames(nested), (Names{"inner"}));
    ::rmdir((tmp / "nested/inner").c_str());
    tree.RefreshNode(nested);
    EXPECT_FALSE(nested->hasPlaceholder());
    EXPECT_EQ(nested->rowCount(), 0);
}

TEST_F(TreeTest, AttributeAndFolderFiltersDecideWhatIsListedAndWhatCountsAsASubfolder) {
    tmp.makeDir("plain");
    tmp.makeDir(".hidden");
    tmp.makeDir("onlyhidden/.git");
    tmp.makeDir("home/.local/share/Trash/files/deleted");
    tree.setDirTypes(dtNormal);  // not dtAll: hidden folders go
    tree.readDrives();
    expand("");
    EXPECT_EQ(childNames(root()), (Names{"home", "onlyhidden", "plain"}));
    // Its only subfolder is filtered out, so it gets no expand button.
    EXPECT_FALSE(tree.FindNode(path("onlyhidden"))->hasPlaceholder());

    tree.setDirTypes(dtHidden);  // hidden ones only
    expand("");
    EXPECT_EQ(childNames(root()), (Names{".hidden"}));

    tree.setDirTypes(dtNormal | dtAll);
    tree.setGoBelowRecycleBin(false);
    ASSERT_TRUE(tree.GoToDir(path("home/.local/share/Trash")).ok());
    // The trash folder itself is listed, what lies below it is not.
    TreeNode* trash = tree.FindNode(path("home/.local/share/Trash"));
    ASSERT_NE(trash, nullptr);
    EXPECT_TRUE(trash->children().empty());
    EXPECT_FALSE(trash->hasPlaceholder());
    tree.setGoBelowRecycleBin(true);
    tree.expandNode(tree.FindNode(path("home/.local/share/Trash")));
    EXPECT_EQ(childNames(tree.FindNode(path("home/.local/share/Trash"))), (Names{"files"}));

    std::vector<std::string> asked;
    tree.OnAddDir = [&](const std::string& p) {
        asked.push_back(p);
        return p.find("plain") == std::string::npos;
    };
    tree.RefreshTree();
    expand("");
    EXPECT_EQ(childNames(root()), (Names{".hidden", "home", "onlyhidden"}));
    EXPECT_NE(std::find(asked.begin(), asked.end(), path("plain")), asked.end());
}

TEST(TreeAttributeFilter, ReadOnlyIsIgnoredAndPlainFoldersNeedNormal) {
    const lists::AttributeFilter hiddenOnly = treeAttributeFilter(dtHidden | dtReadOnly);
    EXPECT_TRUE(lists::passesAttributeFilter(kAttrDirectory | kAttrHidden | kAttrReadOnly, hiddenOnly));
    EXPECT_FALSE(lists::passesAttributeFilter(kAttrDirectory | kAttrReadOnly, hiddenOnly));  // still plain
    EXPECT_FALSE(lists::passesAttributeFilter(kAttrDirectory | kAttrHidden | kAttrSystem, hiddenOnly));
    const lists::AttributeFilter normal = treeAttributeFilter(dtNormal);
    EXPECT_TRUE(lists::passesAttributeFilter(kAttrDirectory | kAttrReadOnly, normal));
    EXPECT_FALSE(lists::passesAttributeFilter(kAttrDirectory | kAttrArchive, normal));
    EXPECT_TRUE(lists::passesAttributeFilter(kAttrDirectory | kAttrArchive | kAttrSystem,
                                             treeAttributeFilter(dtAll)));
}

TEST_F(TreeTest, SystemAndArchiveFlagsComeFromTheDosAttributeXattr) {
    tmp.makeDir("sys");
    tmp.makeDir("arch");
    tmp.makeDir("normal");
    if (::setxattr((tmp / "sys").c_str(), "user.DOSATTRIB", "0x4", 3, 0) != 0 ||
        ::setxattr((tmp / "arch").c_str(), "user.DOSATTRIB", "0x20", 4, 0) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    tree.setDirTypes(dtSystem | dtArchive);
    tree.readDrives();
    expand("");
    EXPECT_EQ(childNames(root()), (Names{"arch", "sys"}));
    tree.setDirTypes(dtNormal | dtArchive);  // system folders go, normal ones come
    expand("");
    EXPECT_EQ(childNames(root()), (Names{"arch", "normal"}));
}

TEST_F(TreeTest, GoToDirReadsAlongThePathAndFallsBackToTheRootForVanishedPaths) {
    tmp.makeDir("a/b/c/d");
    tmp.makeDir("a/x");
    tree.readDrives();
    int changes = 0;
    tree.OnChange = [&](TreeNode*) { ++changes; };

    ASSERT_TRUE(tree.GoToDir(tmp / "a/b/c").ok());  // folder form is accepted
    EXPECT_EQ(tree.SelectedDir(), path("a/b/c"));
    EXPECT_EQ(shadow.lastSelected, tree.selected());
    EXPECT_EQ(changes, 1);
    // Read along the way, the target included; the ancestors were made visible.
    EXPECT_TRUE(tree.FindNode(path("a"))->scanned());
    EXPECT_TRUE(tree.FindNode(path("a/b/c"))->scanned());
    EXPECT_TRUE(tree.FindNode(path("a"))->expanded());
    EXPECT_TRUE(shadow.expanded[tree.FindNode(path("a/b"))]);
    EXPECT_FALSE(tree.FindNode(path("a/b/c"))->expanded());
    // Siblings along the way were checked for subfolders by the expansion.
    EXPECT_FALSE(tree.FindNode(path("a/x"))->hasPlaceholder());
    EXPECT_TRUE(tree.FindNode(path("a/b/c"))->children().size() == 1);

    EXPECT_TRUE(tree.GoToDir("?").ok());
    EXPECT_EQ(tree.SelectedDir(), path("a/b/c"));

    auto empty = tree.GoToDir("");
    ASSERT_FALSE(empty.ok());
    EXPECT_EQ(empty.error().message, kInvalidPathName);
    EXPECT_EQ(tree.SelectedDir(), path("a/b/c"));

    ASSERT_TRUE(tree.GoToDir(tmp / "a/vanished/deeper").ok());
    EXPECT_EQ(tree.SelectedDir(), tmp.path() + "/");
    EXPECT_EQ(tree.GoToDir("relative/path").ok(), true);
    EXPECT_EQ(tree.SelectedDir(), tmp.path() + "/");

    // A path outside every volume selects nothing new.
    ASSERT_TRUE(tree.GoToDir(tmp / "a/b").ok());
    ASSERT_TRUE(tree.GoToDir("/").ok());
    EXPECT_EQ(tree.SelectedDir(), path("a/b"));

    // Selecting a folder the tree holds asks nothing of the disk: one removed behind
    // its back is still selected (GoToDir would fall back), and its collapsed
    // ancestors are opened to show it; one the tree does not hold is left to GoToDir.
    tree.collapseAll(tree.FindNode(path("a")));
    std::filesystem::remove_all(tmp / "a/b/c");
    changes = 0;
    EXPECT_TRUE(tree.selectLoaded(tmp / "a/b/c/d"));
    EXPECT_EQ(tree.SelectedDir(), path("a/b/c/d"));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(tree.FindNode(path("a"))->expanded());
    EXPECT_TRUE(shadow.expanded[tree.FindNode(path("a/b/c"))]);
    EXPECT_FALSE(tree.selectLoaded(tmp / "a/x/none"));
    EXPECT_EQ(tree.SelectedDir(), path("a/b/c/d"));
}

TEST_F(TreeTest, FindNodeUsesOnlyWhatIsLoadedAndComparesExactly) {
    tmp.makeDir("Foo/deep");
    tmp.makeDir("foo");
    tree.readDrives();
    EXPECT_EQ(tree.FindNode(path("Foo")), nullptr);  // exists on disk, not read yet
    EXPECT_EQ(tree.FindNode(""), nullptr);
    EXPECT_EQ(tree.FindNode(tmp.path()), root());
    expand("");
    TreeNode* upper = tree.FindNode(tmp / "Foo");
    TreeNode* lower = tree.FindNode(tmp / "foo");
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    EXPECT_NE(upper, lower);
    EXPECT_EQ(tree.NodePath(upper), path("Foo"));
    EXPECT_EQ(tree.FindNode(path("FOO")), nullptr);
    EXPECT_EQ(tree.FindNode(path("Foo/deep")), nullptr);
    tmp.makeDir("later");
    EXPECT_EQ(tree.FindNode(path("later")), nullptr);  // created after the read
    EXPECT_EQ(tree.NodePath(nullptr), "");
}

TEST_F(TreeTest, RenameDirRewritesTheLoadedSubtreeAndKeepsOrder) {
    tmp.makeDir("b/one/two");
    tmp.makeDir("c");
    tree.readDrives();
    ASSERT_TRUE(tree.GoToDir(tmp / "b/one/two").ok());
    TreeNode* two = tree.selected();
    std::vector<TreeNode*> changed;
    tree.OnChange = [&](TreeNode* n) { changed.push_back(n); };

    ASSERT_EQ(::rename((tmp / "b").c_str(), (tmp / "d").c_str()), 0);
    ASSERT_TRUE(tree.RenameDir(path("b"), "d").ok());
    EXPECT_EQ(tree.NodePath(two), path("d/one/two"));
    EXPECT_EQ(tree.SelectedDir(), path("d/one/two"));
    EXPECT_EQ(changed, std::vector<TreeNode*>{two});  // the selection's path changed
    EXPECT_EQ(tree.FindNode(path("b/one")), nullptr);
    EXPECT_EQ(tree.FindNode(path("d/one/two")), two);
    EXPECT_EQ(childNames(root()), (Names{"c", "d"}));

    // Unloaded descendants are read under the new name later.
    ASSERT_TRUE(tree.GoToDir(tmp / "c").ok());
    EXPECT_FALSE(tree.RenameDir(path("c"), "d").ok());  // would give two nodes one path
    EXPECT_FALSE(tree.RenameDir(path("c"), "x/y").ok());
    EXPECT_FALSE(tree.RenameDir(path("c"), "..").ok());
    EXPECT_FALSE(tree.RenameDir(path("missing"), "e").ok());
    EXPECT_FALSE(tree.RenameDir(tmp.path(), "e").ok());  // a volume is not renamed here
    EXPECT_EQ(childNames(root()), (Names{"c", "d"}));
}

TEST_F(TreeTest, AddSubdirAndAddDirPathInsertInSortedPlaceWithoutDuplicates) {
    tmp.makeDir("m");
    tree.readDrives();
    expand("");
    for (const char* n : {"b", "A", "z", "B"}) tmp.makeDir(n);
    tree.AddSubdir(tmp.path(), "b");
    tree.AddSubdir(tmp.path(), "z");
    tree.AddSubdir(tmp.path(), "A", 7);
    tree.AddSubdir(tmp.path(), "B");
    tree.AddSubdir(tmp.path(), "b");  // already there
    EXPECT_EQ(childNames(root()), (Names{"A", "B", "b", "m", "z"}));
    EXPECT_EQ(tree.FindNode(path("A"))->tag(), 7);
    tree.AddSubdir(path("nowhere"), "q");
    tree.AddSubdir(tmp.path(), "bad/name");
    EXPECT_EQ(root()->children().size(), 5u);

    // A created chain, the new deepest folder with a subfolder of its own.
    tmp.makeDir("m/n/o/p");
    tree.AddDirPath(tmp / "m/n/o");
    TreeNode* o = tree.FindNode(path("m/n/o"));
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->hasPlaceholder());
    EXPECT_EQ(childNames(tree.FindNode(path("m"))), (Names{"n"}));
    tree.AddDirPath(tmp / "m/ghost/x");  // not on disk: nothing is invented
    EXPECT_EQ(tree.FindNode(path("m/ghost")), nullptr);
}

TEST_F(TreeTest, DeleteDirRemovesTheSubtreeAndMovesASelectionInsideItUp) {
    tmp.makeDir("a/b/c");
    tmp.makeDir("keep");
    tree.readDrives();
    ASSERT_TRUE(tree.GoToDir(tmp / "a/b/c").ok());
    int deleted = 0;
    tree.OnDeleteItem = [&](TreeNode*) { ++deleted; };
    tree.setDropTarget(tree.FindNode(path("a/b")));
    tree.DeleteDir(path("a/b"));
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(tree.FindNode(path("a/b")), nullptr);
    EXPECT_EQ(tree.SelectedDir(), path("a"));
    EXPECT_EQ(tree.DropTargetDir(), "");
    tree.DeleteDir(path("not/there"));
    EXPECT_EQ(childNames(root()), (Names{"a", "keep"}));
}

TEST_F(TreeTest, RefreshTreeRebuildsAndRestoresTheSelection) {
    tmp.makeDir("a/b");
    tmp.makeDir("c");
    tree.readDrives();
    ASSERT_TRUE(tree.GoToDir(tmp / "a/b").ok());
    tmp.makeDir("a/new");
    tree.RefreshTree();
    EXPECT_EQ(tree.SelectedDir(), path("a/b"));
    EXPECT_EQ(childNames(tree.FindNode(path("a"))), (Names{"b", "new"}));

    ::rmdir((tmp / "a/b").c_str());
    tree.RefreshTree();
    EXPECT_EQ(tree.SelectedDir(), tmp.path() + "/");  // gone: its volume instead
}

TEST_F(TreeTest, VolumesComeAndGoInMountPointOrderAndAreListedOnce) {
    tmp.makeDir("vols/a/sub");
    tmp.makeDir("vols/b/mnt");
    tmp.makeDir("vols/c");
    volumes.vols.clear();
    volumes.add(tmp / "vols/a");
    volumes.add(tmp / "vols/c");
    volumes.add(tmp / "vols/b/mnt", DriveType::Removable);
    tree.setCurrentDirectory(tmp / "vols/a");
    tree.readDrives();
    ASSERT_EQ(tree.roots().size(), 3u);
    EXPECT_EQ(tree.roots()[1]->name(), tmp / "vols/b/mnt");

    // The removable volume is not touched: it only gets a placeholder.
    EXPECT_TRUE(tree.roots()[1]->hasPlaceholder());
    EXPECT_EQ(tree.nodeText(tree.roots()[0].get()), " (" + tmp / "vols/a" + ")");

    volumes.add(tmp / "vols/b");  // between its neighbours, not at the end
    ASSERT_TRUE(tree.GoToDir(tmp / "vols/c").ok());
    EXPECT_TRUE(tree.deviceChanged());
    ASSERT_EQ(tree.roots().size(), 4u);
    EXPECT_EQ(tree.roots()[1]->name(), tmp / "vols/b");
    EXPECT_EQ(tree.roots()[2]->name(), tmp / "vols/b/mnt");
    // The nested mount point shows as its own volume only.
    tree.expandNode(tree.roots()[1].get());
    EXPECT_TRUE(tree.roots()[1]->children().empty());
    EXPECT_EQ(tree.FindNode(tmp / "vols/b/mnt"), tree.roots()[2].get());
    EXPECT_EQ(tree.SelectedDir(), path("vols/c"));

    // The removable volume is unmounted: its folder returns to its parent.
    volumes.vols.erase(volumes.vols.begin() + 2);
    ASSERT_EQ(volumes.vols.back().mountPoint, tmp / "vols/b");
    ASSERT_TRUE(tree.GoToDir(tmp / "vols/b/mnt").ok());
    EXPECT_TRUE(tree.deviceChanged());
    EXPECT_EQ(tree.roots().size(), 3u);
    EXPECT_EQ(childNames(tree.roots()[1].get()), (Names{"mnt"}));
    EXPECT_EQ(tree.selected(), nullptr);
    EXPECT_FALSE(tree.deviceChanged());
}

TEST_F(TreeTest, DriveTypesFilterVolumesAndAMediumChangeRereadsTheVolume) {
    tmp.makeDir("vols/disk/x");
    tmp.makeDir("vols/cd/y");
    volumes.vols.clear();
    volumes.add(tmp / "vols/cd", DriveType::CDRom);
    volumes.add(tmp / "vols/disk");
    tree.readDrives();
    ASSERT_TRUE(tree.GoToDir(tmp / "vols/cd/y").ok());
    TreeNode* cd = tree.roots()[0].get();

    // Another disc: the serial differs, so selecting a folder re-reads the volume.
    volumes.states[tmp / "vols/cd"] = VolumeState{true, 2, false};
    ::rmdir((tmp / "vols/cd/y").c_str());
    tmp.makeDir("vols/cd/z");
    tree.click();
    EXPECT_EQ(tree.selected(), cd);
    EXPECT_TRUE(cd->hasPlaceholder());
    tree.expandNode(cd);
    EXPECT_EQ(childNames(cd), (Names{"z"}));

    // Ejected: unreadable, caption without the blank, no placeholder.
    volumes.states[tmp / "vols/cd"] = VolumeState{false, kUnreadableSerial, false};
    tree.checkMedia();
    EXPECT_EQ(tree.nodeText(cd), "(" + tmp / "vols/cd" + ")");
    EXPECT_EQ(cd->rowCount(), 0);
    uint32_t serial = 0;
    EXPECT_EQ(tree.GetDriveLabel(tmp / "vols/cd", serial), "(" + tmp / "vols/cd" + ")");
    EXPECT_EQ(serial, kUnreadableSerial);

    tree.setDriveTypes(driveTypeBit(DriveType::Fixed));
    ASSERT_EQ(tree.roots().size(), 1u);
    EXPECT_EQ(tree.roots()[0]->name(), tmp / "vols/disk");
}

TEST_F(TreeTest, ANewLabelChangesTheCaptionWithoutRereadingTheVolume) {
    tmp.makeDir("vols/disk/x");
    tmp.makeDir("vols/stick/y");
    volumes.vols.clear();
    volumes.add(tmp / "vols/disk").label = "Old";
    volumes.add(tmp / "vols/stick", DriveType::Removable).displayName = "stick";
    tree.readDrives();
    ASSERT_TRUE(tree.GoToDir(tmp / "vols/disk/x").ok());
    TreeNode* disk = tree.roots()[0].get();
    const int probes = volumes.probes;

    EXPECT_TRUE(tree.setVolumeLabel(tmp / "vols/disk", "New Name"));
    EXPECT_EQ(tree.nodeText(disk), "New Name (" + tmp / "vols/disk" + ")");
    EXPECT_EQ(tree.volumeOfNode(disk)->label, "New Name");
    EXPECT_EQ(childNames(disk), (Names{"x"})) << "the loaded folders stay";
    EXPECT_EQ(tree.SelectedDir(), path("vols/disk/x"));
    EXPECT_EQ(volumes.probes, probes) << "nothing is read again";

    // A removable volume shows its label as its name; without one, its folder's name.
    TreeNode* stick = tree.roots()[1].get();
    EXPECT_TRUE(tree.setVolumeLabel(tmp / "vols/stick/", "PHOTOS"));
    EXPECT_EQ(tree.nodeText(stick), "PHOTOS");
    EXPECT_TRUE(tree.setVolumeLabel(tmp / "vols/stick", ""));
    EXPECT_EQ(tree.nodeText(stick), "stick");
    EXPECT_FALSE(tree.setVolumeLabel(tmp / "vols", "X"));
}

TEST_F(TreeTest, AnUnreachableNetworkVolumeIsNeverTouched) {
    tmp.makeDir("vols/local/x");
    tmp.makeDir("vols/net/share");
    volumes.vols.clear();
    volumes.add(tmp / "vols/local");
    volumes.add(tmp / "vols/net", DriveType::Remote).displayName = "server:/export";
    volumes.states[tmp / "vols/net"] = VolumeState{false, kUnreadableSerial, true};
    tree.setCurrentDirectory(tmp / "vols/local/x");
    tree.readDrives();
    // No subfolder check on it at start; its caption is its name.
    EXPECT_EQ(tree.nodeText(tree.roots()[1].get()), "server:/export");
    EXPECT_FALSE(tree.roots()[1]->scanned());
    // Going to a folder on it does not stat the folder: it counts as missing.
    ASSERT_TRUE(tree.GoToDir(tmp / "vols/net/share").ok());
    EXPECT_EQ(tree.SelectedDir(), path("vols/local"));
    EXPECT_FALSE(tree.roots()[1]->scanned());
    // Expanding it shows nothing rather than waiting on the server.
    EXPECT_FALSE(tree.volumePresent(tree.roots()[1].get()));
    EXPECT_TRUE(tree.volumePresent(tree.roots()[0].get()));
    tree.expandNode(tree.roots()[1].get());
    EXPECT_EQ(tree.roots()[1]->rowCount(), 0);
    // Asked again while the server still does not answer: nothing changes.
    EXPECT_TRUE(tree.hasUnansweredVolumes());
    EXPECT_FALSE(tree.recheckUnansweredVolumes());
    // The server answers again: a new serial, so the volume is read afresh; the
    // selection elsewhere is not disturbed.
    int changes = 0;
    tree.OnChange = [&](TreeNode*) { ++changes; };
    volumes.states[tmp / "vols/net"] = VolumeState{true, 5, false};
    EXPECT_TRUE(tree.recheckUnansweredVolumes());
    EXPECT_FALSE(tree.hasUnansweredVolumes());
    EXPECT_FALSE(tree.recheckUnansweredVolumes());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(tree.SelectedDir(), path("vols/local"));
    EXPECT_EQ(tree.nodeText(tree.roots()[1].get()), "server:/export");
    EXPECT_TRUE(tree.volumePresent(tree.roots()[1].get()));
    EXPECT_TRUE(tree.roots()[1]->hasPlaceholder());
    tree.expandNode(tree.roots()[1].get());
    EXPECT_EQ(tree.roots()[1]->children().size(), 1u);
}

TEST_F(TreeTest, OddNamesKeepTheirBytes) {
    const std::string bad = "caf\xe9-\xff";  // Latin-1, not UTF-8
    const std::string nl = "two\nlines";
    tmp.makeDir(bad + "/in");
    tmp.makeDir(nl);
    tmp.makeDir("-dash");
    tree.readDrives();
    expand("");
    EXPECT_EQ(childNames(root()), (Names{"-dash", bad, nl}));
    ASSERT_TRUE(tree.GoToDir(tmp / (bad + "/in")).ok());
    EXPECT_EQ(tree.SelectedDir(), path(bad + "/in"));
    EXPECT_EQ(tree.GetLongPath(tmp / (bad + "/in")), tmp / (bad + "/in"));
    EXPECT_NE(tree.FindNode(tmp / nl), nullptr);
    ASSERT_TRUE(tree.RenameDir(path(nl), "one\nline").ok());
    EXPECT_EQ(tree.NodePath(tree.FindNode(tmp / "one\nline")), path("one\nline"));
}

TEST_F(TreeTest, UnreadableAndVanishedFoldersShowNoSubfolders) {
    tmp.makeDir("gone/sub");
    tmp.makeDir("locked/sub");
    tree.readDrives();
    expand("");
    TreeNode* gone = tree.FindNode(path("gone"));
    ASSERT_TRUE(gone->hasPlaceholder());
    arbel::test::removeTree(tmp / "gone");
    tree.expandNode(gone);  // the placeholder goes, nothing else happens
    EXPECT_EQ(gone->rowCount(), 0);
    EXPECT_TRUE(gone->scanned());

    // Permissions do not stop root: the unreadable folder is tried as an ordinary user.
    ::chmod(tmp.path().c_str(), 0755);
    ::chmod((tmp / "locked").c_str(), 0);
    TreeNode* locked = tree.FindNode(path("locked"));
    int result = arbel::test::asUnprivileged([&] {
        tree.RefreshNode(locked);
        if (locked->hasPlaceholder()) return 1;
        tree.expandNode(locked);
        return locked->rowCount() == 0 ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
    ::chmod((tmp / "locked").c_str(), 0755);
}

TEST_F(TreeTest, ExpandingByLevelsStopsAtTheLevelAndNeverLoopsThroughLinks) {
    tmp.makeDir("top/a1/b1/c1/d1");
    tmp.makeDir("top/a2/b2");
    tmp.makeLink("top/a1/up", "..");  // a loop back to top
    tmp.makeLink("top/a2/self", ".");
    tree.readDrives();
    ASSERT_TRUE(tree.GoToDir(tmp / "top").ok());
    TreeNode* top = tree.selected();

    // "3": two levels below the folder visible.
    tree.collapseAll(top);
    tree.expandLevels(top, 2);
    TreeNode* a1 = tree.FindNode(path("top/a1"));
    TreeNode* b1 = tree.FindNode(path("top/a1/b1"));
    EXPECT_TRUE(top->expanded());
    EXPECT_TRUE(a1->expanded());
    EXPECT_FALSE(b1->expanded());
    TreeNode* up = tree.FindNode(path("top/a1/up"));
    ASSERT_NE(up, nullptr);
    EXPECT_TRUE(up->isLink());
    EXPECT_FALSE(up->expanded());
    EXPECT_TRUE(up->hasPlaceholder());  // assumed, not followed

    // Rows visible: volume + top, a1, a2 + children of a1 (b1, up) and of a2 (b2, self).
    EXPECT_EQ(tree.CountVisible(), 1 + 1 + 2 + 4);

    // "1": read one level, then everything collapsed.
    tree.collapseAll(top);
    EXPECT_FALSE(top->expanded());
    EXPECT_FALSE(a1->expanded());
    EXPECT_TRUE(top->scanned());

    // "*" terminates although two links loop; links are shown, never entered.
    int n = tree.expandLevels(top, -1);
    EXPECT_EQ(n, 7);  // top a1 a2 b1 b2 c1 d1
    EXPECT_TRUE(tree.FindNode(path("top/a1/b1/c1/d1"))->expanded());
    EXPECT_FALSE(up->expanded());
    EXPECT_EQ(tree.FindNode(path("top/a1/up/a1")), nullptr);

    // Browsing a link by hand works: its folders are read through it.
    tree.expandNode(up);
    EXPECT_EQ(childNames(up), (Names{"a1", "a2"}));
    EXPECT_EQ(tree.NodePath(up->children()[0].get()), path("top/a1/up/a1"));
}

TEST_F(TreeTest, ExpandAllShowsALinkOutOfTheTreeWithoutEnteringItAndEndsOnABindMountLoop) {
    arbel::test::TempDir outside;
    outside.makeDir("far/away/deeper");
    tmp.makeDir("top/a/inner");
    tmp.makeDir("top/b/loop");
    tmp.makeLink("top/a/out", outside / "far");
    arbel::test::BindMount loop(tmp / "top", tmp / "top/b/loop");  // top/b/loop is top again
    if (!loop.ok()) GTEST_SKIP() << loop.reason();
    tree.readDrives();
    ASSERT_TRUE(tree.GoToDir(tmp / "top").ok());
    TreeNode* top = tree.selected();
    int n = tree.expandLevels(top, -1);
    EXPECT_EQ(n, 4);  // top a inner b; loop is top again: listed, not entered
    TreeNode* out = tree.FindNode(path("top/a/out"));
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->isLink());
    EXPECT_FALSE(out->expanded());
    EXPECT_EQ(tree.FindNode(path("top/a/out/away")), nullptr);
    TreeNode* inLoop = tree.FindNode(path("top/b/loop"));
    ASSERT_NE(inLoop, nullptr);
    EXPECT_FALSE(inLoop->expanded());
    EXPECT_EQ(tree.FindNode(path("top/b/loop/b/loop/b")), nullptr);
    tree.collapseAll(top);  // the tree holds no node below the mount when it goes
}

TEST_F(TreeTest, ExpandAllCanBeCancelled) {
    tmp.makeDir("t/a/b/c");
    tree.readDrives();
    CancelToken cancel;
    cancel.cancel();
    EXPECT_EQ(tree.expandLevels(root(), -1, &cancel), 0);
    EXPECT_EQ(tree.expandLevels(root(), -1), 5);
}

TEST_F(TreeTest, AnEnumerationHookReplacesTheDiskAndCarriesTags) {
    tree.OnFindDir = [&](const std::string& p, TDirRec& rec, int& result, bool first) {
        static const std::pair<const char*, uint32_t> entries[] = {
            {"file.txt", 0}, {"zeta", kAttrDirectory}, {"..", kAttrDirectory}, {"Alpha", kAttrDirectory}};
        static size_t i;
        if (first) i = 0;
        if (p != tmp.path() + "/" || i == std::size(entries)) {
            result = 18;  // no more entries
            return;
        }
        rec.Name = entries[i].first;
        rec.Attr = entries[i].second;
        rec.Tag = int32_t(i++);
    };
    tree.readDrives();
    expand("");
    EXPECT_EQ(childNames(root()), (Names{"Alpha", "zeta"}));
    EXPECT_EQ(tree.FindNode(path("zeta"))->tag(), 1);
    EXPECT_FALSE(tree.FindNode(path("zeta"))->hasPlaceholder());
}

TEST(TreePaths, FormsAndHelpers) {
    EXPECT_EQ(nodeForm("/a//b/./c/../d"), "/a/b/d/");
    EXPECT_EQ(nodeForm("/"), "/");
    EXPECT_EQ(nodeForm("rel/x"), "");
    EXPECT_EQ(folderForm("/a/b/"), "/a/b");
    EXPECT_EQ(folderForm("/"), "/");
    EXPECT_EQ(prefixToSlash("/a/b/c/", 3), "/a/b/");
    EXPECT_EQ(countSlashes("/a/b/"), 3);
    EXPECT_FALSE(isValidName(""));
    EXPECT_FALSE(isValidName(".."));
    EXPECT_TRUE(isValidName("..."));
}

}  // namespace
}  // namespace arbel::tree::test
