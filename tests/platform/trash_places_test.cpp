#include "platform/trash_places.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

namespace arbel {
namespace {

TrashPlaces ann() {
    return TrashPlaces{"/home/ann/.local/share", 1000};
}

// Opening one of these opens the desktop's trash instead of a folder window.
TEST(TrashPlaces, TrashLocationsAreTheTopFoldersAndTheirFiles) {
    const TrashPlaces t = ann();
    EXPECT_EQ(t.homeTrash(), "/home/ann/.local/share/Trash");
    EXPECT_TRUE(t.isTrashLocation("/home/ann/.local/share/Trash"));
    EXPECT_TRUE(t.isTrashLocation("/home/ann/.local/share/Trash/files/"));
    EXPECT_TRUE(t.isTrashLocation("/media/usb/.Trash-1000"));
    EXPECT_TRUE(t.isTrashLocation("/media/usb/.Trash/1000/files"));

    EXPECT_FALSE(t.isTrashLocation("/media/usb/.Trash-1001"));  // another user's
    EXPECT_FALSE(t.isTrashLocation("/media/usb/.Trash/1001"));
    EXPECT_FALSE(t.isTrashLocation("/home/ann/Trash"));
    EXPECT_FALSE(t.isTrashLocation("/home/ann/.local/share/Trash/files/old"));
    EXPECT_FALSE(t.isTrashLocation("/home/ann/my.Trash-1000x"));
    EXPECT_FALSE(t.isTrashLocation("/media/usb/x.Trash-1000/files/y"));
}

// The tree hides what lies inside a trash, never the trash folder itself nor a
// neighbour whose name merely starts the same way.
TEST(TrashPlaces, BelowTrashIsStrictlyInsideAndOnThatVolume) {
    const TrashPlaces t = ann();
    EXPECT_FALSE(t.isBelowTrash("/home/ann/.local/share/Trash/", "/"));
    EXPECT_FALSE(t.isBelowTrash("/home/ann/.local/share/Trash", "/"));
    EXPECT_TRUE(t.isBelowTrash("/home/ann/.local/share/Trash/files/", "/"));
    EXPECT_FALSE(t.isBelowTrash("/home/ann/.local/share/Trashcan/x/", "/"));

    EXPECT_TRUE(t.isBelowTrash("/media/u/.Trash-1000/files/", "/media/u/"));
    EXPECT_TRUE(t.isBelowTrash("/media/u/.Trash-1000/files", "/media/u"));
    EXPECT_FALSE(t.isBelowTrash("/media/u/.Trash-1000/", "/media/u/"));
    EXPECT_FALSE(t.isBelowTrash("/media/u/.Trash-1001/files/", "/media/u/"));
    EXPECT_FALSE(t.isBelowTrash("/media/u/.Trashy/x/", "/media/u/"));
    // The shared trash holds every user's folder: all of it is trash.
    EXPECT_TRUE(t.isBelowTrash("/media/u/.Trash/1001/", "/media/u/"));
    EXPECT_TRUE(t.isBelowTrash("/.Trash-1000/files/", "/"));
    // Another volume's trash folder name below this volume's root is a plain folder.
    EXPECT_FALSE(t.isBelowTrash("/media/u/sub/.Trash-1000/files/", "/media/u/"));

    const TrashPlaces none{"", 1000};
    EXPECT_EQ(none.homeTrash(), "");
    EXPECT_FALSE(none.isBelowTrash("/anything/below/", "/media/u/"));
}

TEST(TrashPlaces, CurrentFollowsTheEnvironment) {
    const char* was = std::getenv("XDG_DATA_HOME");
    const std::string saved = was ? was : "";
    ::setenv("XDG_DATA_HOME", "/tmp/arbel-data-home/", 1);
    const TrashPlaces t = TrashPlaces::current();
    if (was)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(t.homeTrash(), "/tmp/arbel-data-home/Trash");
    EXPECT_EQ(t.uid, static_cast<unsigned>(::getuid()));
}

}  // namespace
}  // namespace arbel
