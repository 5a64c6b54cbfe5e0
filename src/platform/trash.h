#pragma once
// The freedesktop trash, through GIO: the user's trash for files on the home
// volume, a volume's own .Trash-$UID elsewhere.

#include <string>

#include "platform/result.h"

namespace arbel {

// Moves the file or folder (a link itself, never its target) to the trash. Fails
// when the volume has no usable trash; the caller then decides whether to delete
// permanently. Error.code is an errno value where GIO gives one (ENOENT for a
// vanished item, ENOTSUP where trashing is not possible), with GIO's text.
Status moveToTrash(const std::string& path);

}  // namespace arbel
