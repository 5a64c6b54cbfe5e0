#include "core/app/placement.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace arbel::app {
namespace {

class Placement : public ::testing::Test {
protected:
    test::TempDir dir;
    config::IniFile ini{dir / "Arbelwin.cfg"};
    std::string read(const char* key) { return ini.readString(kWindowsSection, key, "<missing>"); }
};

TEST_F(Placement, FrameStartsMaximisedUnlessMainmaxIsSet) {
    EXPECT_EQ(frameStartPlacement(ini), std::nullopt);  // no file at all
    // Old position keys without "mainmax" are ignored.
    ini.writeInteger(kWindowsSection, "maint", 10);
    ini.writeInteger(kWindowsSection, "mainw", 500);
    EXPECT_EQ(frameStartPlacement(ini), std::nullopt);
    ini.writeString(kWindowsSection, "mainmax", "no");
    EXPECT_EQ(frameStartPlacement(ini), (Rect{10, 0, 500, 0}));
}

TEST_F(Placement, FrameSaveSettingsMaximisedAndPlaced) {
    saveFrameSettings(ini, false, Rect{20, 30, 800, 600}, true);
    EXPECT_EQ(frameStartPlacement(ini), (Rect{20, 30, 800, 600}));
    EXPECT_EQ(read("auto"), "");
    EXPECT_TRUE(autoWindowAtStart(ini));

    // Maximised: "mainmax" emptied, the old rectangle stays but no longer counts.
    saveFrameSettings(ini, true, Rect{1, 2, 3, 4}, false);
    EXPECT_EQ(read("mainmax"), "");
    EXPECT_EQ(read("maint"), "20");
    EXPECT_EQ(frameStartPlacement(ini), std::nullopt);
    EXPECT_EQ(read("auto"), "no");
    EXPECT_FALSE(autoWindowAtStart(ini));

    saveFrameSettings(ini, false, Rect{5, 6, 7, 8}, false);
    restoreFrameDefault(ini);
    for (const char* k : {"mainmax", "maint", "mainl", "mainw", "mainh"}) EXPECT_EQ(read(k), "") << k;
    EXPECT_EQ(frameStartPlacement(ini), std::nullopt);
}

TEST_F(Placement, ChildDefaultsFollowTheClientArea) {
    const int64_t w = 900, h = 600;
    EXPECT_EQ(childPlacement(ini, ActiveKind::Dir, w, h), (Rect{0, 0, 300, 596}));
    EXPECT_EQ(childPlacement(ini, ActiveKind::Auto, w, h), (Rect{0, 300, 596, 596}));
    EXPECT_EQ(childPlacement(ini, ActiveKind::List, w, h), (Rect{0, 300, 596, 596}));
    EXPECT_EQ(childPlacement(ini, ActiveKind::Viewer, w, h), (Rect{400, 0, 896, 197}));
    // The default width of a file window fills the space right of a stored Left.
    ini.writeInteger(kWindowsSection, "listl", 100);
    EXPECT_EQ(childPlacement(ini, ActiveKind::List, w, h), (Rect{0, 100, 796, 596}));
    // An emptied key is absent again.
    ini.writeString(kWindowsSection, "listl", "");
    EXPECT_EQ(childPlacement(ini, ActiveKind::List, w, h).left, 300);
}

TEST_F(Placement, ChildSaveSettingsMaximisedKeepsThePosition) {
    saveChildSettings(ini, ActiveKind::List, false, Rect{1, 2, 300, 400}, {{}, "report", false});
    EXPECT_EQ(read("listmax"), "0");
    EXPECT_EQ(childPlacement(ini, ActiveKind::List, 900, 600), (Rect{1, 2, 300, 400}));
    EXPECT_EQ(read("liststyle"), "report");
    EXPECT_EQ(read("listfolder"), "0");
    EXPECT_FALSE(childStartsMaximised(ini, ActiveKind::List));

    saveChildSettings(ini, ActiveKind::List, true, Rect{9, 9, 9, 9}, {{}, "large", true});
    EXPECT_TRUE(childStartsMaximised(ini, ActiveKind::List));
    EXPECT_EQ(read("listt"), "1");
    EXPECT_EQ(read("liststyle"), "report");

    restoreChildDefault(ini, ActiveKind::List);
    EXPECT_FALSE(childStartsMaximised(ini, ActiveKind::List));
    for (const char* k : {"listt", "listl", "listw", "listh", "liststyle", "listfolder"})
        EXPECT_EQ(read(k), "") << k;
    // Other kinds are untouched by the folder window's keys.
    EXPECT_EQ(read("autot"), "<missing>");
}

TEST_F(Placement, TreeDirloadWithALineBreakIsNotStored) {
    saveChildSettings(ini, ActiveKind::Dir, false, Rect{0, 0, 10, 10}, {std::string("/home/ann"), {}, {}});
    EXPECT_EQ(read("dirload"), "/home/ann");
    // A crafted folder name would otherwise add keys to the file.
    saveChildSettings(ini, ActiveKind::Dir, false, Rect{0, 0, 20, 10},
                      {std::string("/tmp/x\n[Quenby]\neditor=/tmp/evil"), {}, {}});
    EXPECT_EQ(read("dirload"), "/home/ann");
    EXPECT_EQ(read("dirw"), "20");
    EXPECT_EQ(ini.readString("Quenby", "editor", "<missing>"), "<missing>");
    // No dirload given (a removable volume): the stored one stays.
    saveChildSettings(ini, ActiveKind::Dir, false, Rect{0, 0, 30, 10}, {});
    EXPECT_EQ(read("dirload"), "/home/ann");
    restoreChildDefault(ini, ActiveKind::Dir);
    EXPECT_EQ(read("dirload"), "");
    EXPECT_EQ(read("dirmax"), "0");
}

TEST_F(Placement, ViewerSaveLocationStoresOnlyItsRectangle) {
    saveChildSettings(ini, ActiveKind::Viewer, false, Rect{3, 4, 5, 6}, {std::string("/x"), "list", true});
    EXPECT_EQ(childPlacement(ini, ActiveKind::Viewer, 900, 600), (Rect{3, 4, 5, 6}));
    EXPECT_EQ(read("dirload"), "<missing>");
    EXPECT_EQ(read("viewerstyle"), "<missing>");
}

TEST_F(Placement, EraseWindowSettingsKeepsOtherSections) {
    ini.writeString("Quenby", "editor", "/usr/bin/vi");
    saveFrameSettings(ini, false, Rect{1, 1, 1, 1}, true);
    eraseWindowSettings(ini);
    EXPECT_EQ(read("mainmax"), "<missing>");
    EXPECT_EQ(ini.readString("Quenby", "editor", ""), "/usr/bin/vi");
}

TEST_F(Placement, ArrangeAllPlacesTreeAutoThenFolderWindowsAndViewers) {
    WindowRegistry r;
    r.add({1, ActiveKind::List, "/a", false, "/a"});
    r.add({2, ActiveKind::Viewer, "/a/f", false, "/a/f"});
    r.add({3, ActiveKind::Dir, "", false, "tree"});
    r.add({4, ActiveKind::List, "/b", false, "/b"});
    ini.writeInteger(kWindowsSection, "dirw", 250);
    const auto plan = arrangePlan(r, ini, 900, 600);
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[0].id, 3u);
    EXPECT_EQ(plan[0].rect, (Rect{0, 0, 250, 596}));
    EXPECT_EQ(plan[1].id, 1u);
    EXPECT_EQ(plan[2].id, 2u);
    EXPECT_EQ(plan[2].rect, (Rect{400, 0, 896, 197}));
    EXPECT_EQ(plan[3].id, 4u);
    // Folder windows share one rectangle and end up stacked.
    EXPECT_EQ(plan[1].rect, plan[3].rect);

    r.add({5, ActiveKind::Auto, "/c", false, "Auto: /c"});
    const auto withAuto = arrangePlan(r, ini, 900, 600);
    ASSERT_EQ(withAuto.size(), 5u);
    EXPECT_EQ(withAuto[1].id, 5u);
    EXPECT_EQ(withAuto[1].rect, (Rect{0, 300, 596, 596}));
}

}  // namespace
}  // namespace arbel::app
