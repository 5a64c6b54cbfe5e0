#include "core/dnd/drop_route.h"

namespace arbel::dnd {

DropRoute dropRoute(DropEffect effect, const std::string& folder, const TrashPlaces& trash) {
    if (folder.empty()) return DropRoute::None;
    if (effect != DropEffect::Copy && effect != DropEffect::Move) return DropRoute::None;
    if (trash.isTrashLocation(folder)) return DropRoute::Trash;
    return effect == DropEffect::Move ? DropRoute::Move : DropRoute::Copy;
}

DropRoute dropRoute(DropEffect effect, const std::string& folder) {
    return dropRoute(effect, folder, TrashPlaces::current());
}

}  // namespace arbel::dnd
