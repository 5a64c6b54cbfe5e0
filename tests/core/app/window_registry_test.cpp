#include "core/app/window_registry.h"

#include <gtest/gtest.h>

namespace arbel::app {
namespace {

WindowEntry entry(WindowId id, ActiveKind kind, std::string path) {
    return {id, kind, path, false, captionFor(kind, path)};
}

std::vector<std::string> labels(const WindowRegistry& r) {
    std::vector<std::string> out;
    for (const auto& e : r.menuEntries()) out.push_back(e.label);
    return out;
}

TEST(WindowRegistry, ClosingTheSecondWindowRenumbersTheRestWithoutAGap) {
    WindowRegistry r;
    r.add(entry(11, ActiveKind::Dir, "/"));
    r.add(entry(12, ActiveKind::List, "/home/ann"));
    r.add(entry(13, ActiveKind::Auto, "/usr"));
    r.add(entry(14, ActiveKind::List, "/tmp"));
    EXPECT_EQ(labels(r), (std::vector<std::string>{"&1 /", "&2 /home/ann", "&3 Auto: /usr", "&4 /tmp"}));

    EXPECT_EQ(r.remove(12), std::optional<std::size_t>(1));
    EXPECT_EQ(labels(r), (std::vector<std::string>{"&1 /", "&2 Auto: /usr", "&3 /tmp"}));
    EXPECT_EQ(r.byMenuNumber(2), std::optional<WindowId>(13));
    EXPECT_EQ(r.remove(12), std::nullopt);  // already gone
    EXPECT_EQ(r.count(), 3u);
}

TEST(WindowRegistry, OnlyTheActiveWindowIsCheckedAndItFollowsActivation) {
    WindowRegistry r;
    for (WindowId id : {1, 2, 3}) r.add(entry(id, ActiveKind::List, "/f" + std::to_string(id)));
    auto checked = [&] {
        std::vector<WindowId> out;
        for (const auto& e : r.menuEntries())
            if (e.checked) out.push_back(e.id);
        return out;
    };
    EXPECT_EQ(checked(), std::vector<WindowId>{3});  // the newest is active
    EXPECT_TRUE(r.touch(1));
    EXPECT_EQ(checked(), std::vector<WindowId>{1});
    EXPECT_FALSE(r.touch(99));
    // Closing the active window hands over to the one activated before it, not
    // to its neighbour in creation order.
    r.remove(1);
    EXPECT_EQ(r.active(), std::optional<WindowId>(3));
    r.remove(3);
    r.remove(2);
    EXPECT_EQ(r.active(), std::nullopt);
    EXPECT_TRUE(r.menuEntries().empty());
}

TEST(WindowRegistry, SwitcherFollowsCreationOrderAndWraps) {
    WindowRegistry r;
    for (WindowId id : {5, 6, 7}) r.add(entry(id, ActiveKind::List, "/x"));
    r.touch(5);
    EXPECT_EQ(r.switchTarget(ActiveKind::List, SwitchDirection::Next), std::optional<WindowId>(6));
    EXPECT_EQ(r.switchTarget(ActiveKind::List, SwitchDirection::Previous), std::optional<WindowId>(7));
    r.touch(7);
    EXPECT_EQ(r.switchTarget(ActiveKind::List, SwitchDirection::Next), std::optional<WindowId>(5));
    // Activation order does not matter, only which window is active.
    r.touch(6);
    EXPECT_EQ(r.switchTarget(ActiveKind::Viewer, SwitchDirection::Next), std::optional<WindowId>(7));
    // Before the first activation, or with a non-child kind, nothing switches.
    EXPECT_EQ(r.switchTarget(ActiveKind::First, SwitchDirection::Next), std::nullopt);
    EXPECT_EQ(r.switchTarget(ActiveKind::None, SwitchDirection::Next), std::nullopt);
    WindowRegistry empty;
    EXPECT_EQ(empty.switchTarget(ActiveKind::Dir, SwitchDirection::Next), std::nullopt);
    WindowRegistry one;
    one.add(entry(1, ActiveKind::Dir, "/"));
    EXPECT_EQ(one.switchTarget(ActiveKind::Dir, SwitchDirection::Previous), std::optional<WindowId>(1));
}

TEST(WindowRegistry, EntriesFromTheTenthOnAreNumberedAndReachable) {
    WindowRegistry r;
    for (WindowId id = 1; id <= 12; ++id) r.add(entry(100 + id, ActiveKind::List, "/d" + std::to_string(id)));
    const auto entries = r.menuEntries();
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_EQ(entries[9].label, "&10 /d10");
    EXPECT_EQ(entries[11].label, "&12 /d12");
    EXPECT_EQ(r.byMenuNumber(10), std::optional<WindowId>(110));
    EXPECT_EQ(r.byMenuNumber(12), std::optional<WindowId>(112));
    EXPECT_EQ(r.byMenuNumber(13), std::nullopt);
    EXPECT_EQ(r.byMenuNumber(0), std::nullopt);
    // Ctrl+Tab from the last reaches the first, from the ninth the tenth.
    r.touch(109);
    EXPECT_EQ(r.switchTarget(ActiveKind::List, SwitchDirection::Next), std::optional<WindowId>(110));
}

TEST(WindowRegistry, MenuLabelsShowAmpersandsLiterally) {
    EXPECT_EQ(windowMenuLabel(3, "/home/R&D"), "&3 /home/R&&D");
    EXPECT_EQ(windowMenuLabel(1, ""), "&1 ");
}

TEST(WindowRegistry, AddingAnIdTwiceKeepsOneEntry) {
    WindowRegistry r;
    r.add(entry(1, ActiveKind::List, "/a"));
    r.add(entry(1, ActiveKind::List, "/b"));
    EXPECT_EQ(r.count(), 1u);
    EXPECT_EQ(r.windowOrder().size(), 1u);
    EXPECT_EQ(r.activationOrder().size(), 1u);
    EXPECT_EQ(r.find(1)->path, "/a");
}

TEST(PathMatching, FolderWindowsAreFoundByStoredPathNotCaption) {
    WindowRegistry r;
    r.add(entry(1, ActiveKind::Dir, "/home"));
    r.add(entry(2, ActiveKind::List, "/media/home"));  // its caption from the 7th character is "/home"
    r.add(entry(3, ActiveKind::Auto, "/home"));
    r.add(entry(4, ActiveKind::List, "/home"));
    r.add(entry(5, ActiveKind::Viewer, "/home/ann/notes.txt"));
    r.add(entry(6, ActiveKind::List, "/home2"));
    EXPECT_EQ(r.showingFolder("/home"), (std::vector<WindowId>{3, 4}));
    EXPECT_EQ(r.atOrBelow("/home"), (std::vector<WindowId>{1, 3, 4, 5}));
    r.setPath(4, "/home/ann");
    EXPECT_EQ(r.showingFolder("/home"), (std::vector<WindowId>{3}));
    EXPECT_EQ(r.showingFolder("/home/ann"), (std::vector<WindowId>{4}));
}

}  // namespace
}  // namespace arbel::app
