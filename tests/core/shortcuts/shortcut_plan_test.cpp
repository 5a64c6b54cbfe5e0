// The Create Shortcut dialog's rules on real folders: what it proposes, how the
// files are named, and that failures are reported while the other items go on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/lists/desktop_entry.h"
#include "core/ops/names.h"
#include "core/shortcuts/shortcut_plan.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace arbel::shortcuts {
namespace {

using test::readFile;
using test::TempDir;

std::vector<std::string> fileNames(const std::vector<PlannedShortcut>& planned) {
    std::vector<std::string> out;
    for (const auto& p : planned) out.push_back(baseName(p.link.FileName()));
    return out;
}

TEST(ShortcutPlan, ProposesShortcutToTheItemsName) {
    EXPECT_EQ(proposedCaption("/home/ann/notes.txt"), "Shortcut to notes.txt");
    EXPECT_EQ(proposedCaption("/home/ann/My Folder"), "Shortcut to My Folder");
    EXPECT_EQ(proposedCaption("/"), "Shortcut to File System");
}

TEST(ShortcutPlan, NamesFollowTheCaptionOrTheEntriesWithOrWithoutPrefix) {
    TempDir dir;
    const std::string a = dir.writeFile("src/a.txt"), b = dir.writeFile("src/run.desktop"),
                      c = dir.writeFile("src/c\xff");
    ShortcutRequest one{false, {a}, "My notes", false, dir / "dest"};
    auto single = planShortcuts(one);
    ASSERT_TRUE(single);
    EXPECT_EQ(single->front().link.FileName(), dir / "dest/My notes.desktop");
    EXPECT_EQ(single->front().link.WorkingDir, dir / "src");
    EXPECT_EQ(single->front().link.Description, a);
    one.typedName = "Already.DESKTOP";
    EXPECT_EQ(fileNames(*planShortcuts(one)), std::vector<std::string>{"Already.DESKTOP"});

    ShortcutRequest many{false, {a, b, c}, "ignored", false, dir / "dest"};
    EXPECT_EQ(fileNames(*planShortcuts(many)),
              (std::vector<std::string>{"a.txt.desktop", "run.desktop.desktop", "c\xff.desktop"}));
    many.prefix = true;
    EXPECT_EQ(fileNames(*planShortcuts(many)),
              (std::vector<std::string>{"Shortcut to a.txt.desktop", "Shortcut to run.desktop.desktop",
                                        "Shortcut to c\xff.desktop"}));

    // The tree's folder works in itself.
    ShortcutRequest tree{true, {dir / "src"}, "Sources: all", false, dir / "dest"};
    auto fromTree = planShortcuts(tree);
    ASSERT_TRUE(fromTree);
    EXPECT_EQ(fromTree->front().link.FileName(), dir / "dest/Sources: all.desktop");
    EXPECT_EQ(fromTree->front().link.WorkingDir, dir / "src");
}

TEST(ShortcutPlan, TypedNameIsOneNameOnly) {
    TempDir dir;
    const std::string a = dir.writeFile("a.txt");
    for (const char* bad : {"", ".", "..", "../escape", "sub/name"}) {
        ShortcutRequest r{false, {a}, bad, false, dir / "dest"};
        auto planned = planShortcuts(r);
        ASSERT_FALSE(planned) << bad;
        EXPECT_EQ(planned.error().message, ops::kInvalidName);
    }
}

TEST(ShortcutPlan, WritesTheOthersAfterAFailureAndNeverReplacesTheSource) {
    TempDir dir;
    const std::string dest = dir.makeDir("dest");
    const std::string a = dir.writeFile("src/a"), b = dir.writeFile("src/b"), c = dir.writeFile("src/c");
    dir.makeDir("dest/b.desktop");  // a folder where the second shortcut would go
    ShortcutRequest r{false, {a, b, c}, "", false, dest};
    auto planned = planShortcuts(r);
    ASSERT_TRUE(planned);
    const auto failures = writeShortcuts(*planned);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("Could not create shortcut b: ", 0), 0u) << failures[0];
    EXPECT_EQ(lists::readDesktopEntry(dest + "/a.desktop").get("URL"), "file://" + a);
    EXPECT_EQ(lists::readDesktopEntry(dest + "/c.desktop").get("URL"), "file://" + c);

    // A shortcut typed with its source's own name, in the source's folder.
    const std::string launcher = dir.writeFile("desk/run.desktop", "[Desktop Entry]\nType=Link\n");
    ShortcutRequest self{false, {launcher}, "run.desktop", false, dir / "desk"};
    const auto refused = writeShortcuts(*planShortcuts(self));
    EXPECT_EQ(refused.size(), 1u);
    EXPECT_EQ(readFile(launcher), "[Desktop Entry]\nType=Link\n");
}

TEST(ShortcutPlan, DestinationFoldersAreMadeWhenMissingAndListed) {
    TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "share").c_str(), 1);
    auto apps = shortcutFolder(TShellFolder::sfStartMenu);
    ASSERT_TRUE(apps);
    EXPECT_EQ(*apps, home / "share/applications");
    struct stat st {};
    EXPECT_EQ(stat(apps->c_str(), &st), 0);
    EXPECT_FALSE(shortcutFolder(TShellFolder::sfFavorites));

    home.makeDir("share/applications/Games");
    home.makeDir("share/applications/.hidden");
    home.writeFile("share/applications/file.desktop");
    home.makeLink("share/applications/Linked", home / "share/applications/Games");
    EXPECT_EQ(subfolders(*apps), (std::vector<std::string>{".hidden", "Games", "Linked"}));
}

}  // namespace
}  // namespace arbel::shortcuts
