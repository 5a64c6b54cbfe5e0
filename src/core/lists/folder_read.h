#pragma once
// Reading folders into a Listing: one pass over a directory handle, one
// status call per entry relative to that handle, the attribute and mask
// filters, and the counts a window's status line shows. Runs on any thread;
// the cancel token is checked between entries.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/lists/attribute_filter.h"
#include "core/lists/file_entry.h"
#include "core/lists/masks.h"
#include "platform/cancel.h"
#include "platform/result.h"

namespace arbel::lists {

struct ReadRequest {
    std::vector<std::string> folders;  // each ends in "/" (TPatternList form)
    MaskList mask{"*.*"};
    FileTypes fileTypes = kWindowFileTypes;
    bool displayDirectory = true;
    bool displayParentDir = false;
    uint32_t progressEvery = 4096;  // entries between progress reports
};

struct ReadOutcome {
    Listing listing;
    std::vector<Error> errors;  // folders that could not be read
    bool cancelled = false;
    uint64_t folderCount = 0;  // folder entries added (".." included)
    uint64_t totalBytes = 0;   // sum of the sizes of the entries added
};

// Called every `progressEvery` entries with the number read so far, and at the end.
using ReadProgress = std::function<void(uint64_t entries)>;

// The file windows' filter: every read-only, hidden, system or archive attribute
// the entry has is among `types` (or `types` has ftAll). An entry without any passes.
AttributeFilter listAttributeFilter(FileTypes types);

ReadOutcome readFolders(const ReadRequest& request, const CancelToken* cancel = nullptr,
                        const ReadProgress& progress = {});

// Adds the one file or folder at `path` to the listing (its folder part joins
// the listing's folders) without filters. Returns the index of the new entry.
Result<std::size_t> addPath(Listing& listing, const std::string& path);

}  // namespace arbel::lists
