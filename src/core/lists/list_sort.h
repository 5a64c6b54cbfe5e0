#pragma once
// Ordering of a file list: folders first in both directions, then the chosen
// key, then the name (case-insensitive, by collation); dates newest first
// unless reversed. Sizes compare as numbers.

#include "core/lists/collate.h"
#include "core/lists/file_entry.h"

namespace arbel::lists {

struct SortOrder {
    FileInfo column = FileInfo::Name;
    bool reversed = false;
};

// The rule of a column click: another wanted key sorts ascending, the same
// key toggles the direction; "all" and keys not in `columns` are ignored.
// Returns false when the order stays as it was.
bool applySortClick(SortOrder& order, FileInfo clicked, FileInfos columns);

// Sorts the entries in place, once, with sort keys computed up front.
void sortListing(Listing& listing, SortOrder order, const NameCollator& collator);

}  // namespace arbel::lists
