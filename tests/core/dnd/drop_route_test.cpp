#include "core/dnd/drop_route.h"

#include <gtest/gtest.h>

namespace arbel::dnd {
namespace {

TEST(DropRoute, TrashesTakeDropsThroughTheDeleteDialog) {
    TrashPlaces trash{"/home/u/.local/share", 1000};
    EXPECT_EQ(dropRoute(DropEffect::Copy, "/home/u/docs", trash), DropRoute::Copy);
    EXPECT_EQ(dropRoute(DropEffect::Move, "/home/u/docs", trash), DropRoute::Move);
    for (const char* bin : {"/home/u/.local/share/Trash", "/home/u/.local/share/Trash/files",
                            "/media/stick/.Trash-1000", "/media/stick/.Trash/1000/files"}) {
        EXPECT_EQ(dropRoute(DropEffect::Copy, bin, trash), DropRoute::Trash) << bin;
        EXPECT_EQ(dropRoute(DropEffect::Move, bin, trash), DropRoute::Trash) << bin;
    }
    // Inside a trash, and another user's trash, are ordinary folders here.
    EXPECT_EQ(dropRoute(DropEffect::Copy, "/home/u/.local/share/Trash/files/old", trash), DropRoute::Copy);
    EXPECT_EQ(dropRoute(DropEffect::Copy, "/media/stick/.Trash-1001", trash), DropRoute::Copy);
    // No link is made of a drop, and no drop lands without a folder.
    EXPECT_EQ(dropRoute(DropEffect::Link, "/home/u/docs", trash), DropRoute::None);
    EXPECT_EQ(dropRoute(DropEffect::None, "/home/u/docs", trash), DropRoute::None);
    EXPECT_EQ(dropRoute(DropEffect::Copy, "", trash), DropRoute::None);
}

}  // namespace
}  // namespace arbel::dnd
