#pragma once
// Where the freedesktop trashes of one user are: $XDG_DATA_HOME/Trash, and at the
// root of each volume ".Trash/<uid>" (the shared, sticky folder) or ".Trash-<uid>".
// The commands ask whether a folder *is* a trash (to open the desktop's trash
// instead); the tree asks whether a folder lies *inside* one (to hide it). Both
// answers come from this one description of the layout.

#include <string>
#include <string_view>

namespace arbel {

struct TrashPlaces {
    std::string dataHome;  // $XDG_DATA_HOME (default ~/.local/share), no trailing '/'
    unsigned uid = 0;

    // This process's user and environment.
    static TrashPlaces current();

    // The home trash folder, "<dataHome>/Trash"; empty without a data home.
    std::string homeTrash() const;
    // `path` is a trash's top folder or the "files" folder inside it (with or
    // without a trailing '/'). Another user's trash is not this user's.
    bool isTrashLocation(std::string_view path) const;
    // `path` lies strictly inside the home trash or inside one of the trashes at
    // `volumeRoot` (both in any form; the trash folders themselves are not inside).
    bool isBelowTrash(std::string_view path, std::string_view volumeRoot) const;
};

}  // namespace arbel
