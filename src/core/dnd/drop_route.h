#pragma once
// What a drop on a folder starts, once its effect is chosen: a copy or a move into
// the folder, or, when the folder is one of the user's trashes, the delete dialog
// set to the trash (copying into a trash would leave files it cannot restore).
// Links of dropped files are made nowhere: such a drop does nothing.

#include <string>

#include "core/dnd/drop_effect.h"
#include "platform/trash_places.h"

namespace arbel::dnd {

enum class DropRoute { None, Copy, Move, Trash };

DropRoute dropRoute(DropEffect effect, const std::string& folder, const TrashPlaces& trash);
// The same for this process's user and environment.
DropRoute dropRoute(DropEffect effect, const std::string& folder);

}  // namespace arbel::dnd
