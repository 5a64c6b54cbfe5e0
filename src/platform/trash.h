#pragma once
// The freedesktop trash, through GIO: the user's trash for files on the home
// volume, a volume's own .Trash-$UID elsewhere.

#include <sys/types.h>

#include <string>

#include "platform/result.h"

namespace arbel {

// Moves the file or folder (a link itself, never its target) to the trash. Fails
// when the volume has no usable trash; the caller then decides whether to delete
// permanently. Error.code is an errno value where GIO gives one (ENOENT for a
// vanished item, ENOTSUP where trashing is not possible), with GIO's text.
Status moveToTrash(const std::string& path);

// Where a trashed item now lies: the entry in the trash's "files" folder, under
// the name the trash gave it (a numbered one when the name was taken there), and
// its ".trashinfo" record.
struct TrashedItem {
    std::string filesPath;
    std::string infoPath;
    dev_t dev = 0;  // the item's identity, kept by the move into the trash
    ino_t ino = 0;
};

// moveToTrash, telling where the item went. The trash moves an item by renaming
// it on its own volume, so the entry is found by its identity rather than guessed
// from its name. `where` stays empty when the trash holds no entry of that
// identity (the move itself still succeeded).
Status moveToTrash(const std::string& path, TrashedItem& where);

// Puts a trashed item back at `original`, never replacing anything there, and
// removes its record only once the item is back. Refused when the entry in the
// trash is no longer the item that was put there.
Status restoreFromTrash(const TrashedItem& item, const std::string& original);

}  // namespace arbel
