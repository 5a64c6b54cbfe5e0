// Trash folders are recognised by their place, never by a name that merely
// contains "Trash".

#include "core/commands/trash_location.h"

#include <gtest/gtest.h>

namespace arbel::commands {
namespace {

TEST(TrashLocation, UserTrashAndVolumeTrashes) {
    const std::string data = "/home/ann/.local/share";
    EXPECT_TRUE(isTrashLocation("/home/ann/.local/share/Trash", data, 1000));
    EXPECT_TRUE(isTrashLocation("/home/ann/.local/share/Trash/files/", data, 1000));
    EXPECT_TRUE(isTrashLocation("/media/usb/.Trash-1000", data, 1000));
    EXPECT_TRUE(isTrashLocation("/media/usb/.Trash/1000/files", data, 1000));

    EXPECT_FALSE(isTrashLocation("/media/usb/.Trash-1001", data, 1000));  // another user's
    EXPECT_FALSE(isTrashLocation("/home/ann/Trash", data, 1000));
    EXPECT_FALSE(isTrashLocation("/home/ann/.local/share/Trash/files/old", data, 1000));
    EXPECT_FALSE(isTrashLocation("/home/ann/my.Trash-1000x", data, 1000));
    EXPECT_FALSE(isTrashLocation("/home/ann/.local/share/Trash", "", 1000));
}

}  // namespace
}  // namespace arbel::commands
