#pragma once
// Window > Save to File (and, for a viewer, Print): Print1Click of both sub-items.

#include "core/listing/listing.h"

namespace arbel::ui {

class Tmdimain;

inline constexpr const char* kNoVisibleChildren = "The selected folder has no visible children";

// Writes the active tree or file window as its listing into the listed folder,
// refreshes that folder's windows and opens the listing in a maximised viewer;
// a viewer prints instead. Returns the listing's path (empty when none was written).
std::string saveWindowToFile(Tmdimain& frame, listing::SaveScope scope);

}  // namespace arbel::ui
