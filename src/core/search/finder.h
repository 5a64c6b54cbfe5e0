#pragma once
// TMyFF walks a folder tree and reports every file that passes its filters: name
// masks, attributes, size range, modification-time range and, optionally, a text
// that must occur in the file. Results and progress come out through events whose
// cancel flag stops the whole search.
//
// Folders and files are read on the shared parallel tree walk (core/walk), and the
// events come out depth-first (the files of a folder before its sub-folders), as a
// one-thread walk gives them. It never follows a symbolic link into a folder,
// enters each folder (device, inode) at most once and enters no pseudo file system
// (proc, sysfs, ...), the start included. Only regular files are read for their
// contents, in blocks, so a file of any size costs the same bounded memory.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/lists/masks.h"
#include "core/search/text_search.h"
#include "platform/attributes.h"
#include "platform/cancel.h"
#include "platform/dir.h"

namespace arbel::search {

// What the finder knows about a reported file (the find record).
struct FoundFile {
    std::string_view name;             // bare name as stored; valid only during the event
    EntryType type = EntryType::File;  // what the entry is (a link is reported as its target)
    uint64_t size = 0;
    int64_t mtimeNs = 0;      // last write, nanoseconds since 1970-01-01 UTC
    uint32_t attributes = 0;  // kAttr* bits
};

class TMyFF {
public:
    // folder: the folder about to be read, ending in "/" (OnChDir); path: the file
    // whose contents are searched (OnScanFile, just before its OnAddFile; scan
    // threads may have read it already, but no event of a later file came first).
    using FileEvent = std::function<void(const std::string& path, bool& cancel)>;
    // folder ends in "/"; the full path is folder + data.name.
    using AddEvent = std::function<void(const std::string& folder, const FoundFile& data, bool& cancel)>;

    static constexpr uint32_t kAllAttributes = 63;
    static constexpr uint64_t kNoLimit = UINT64_MAX;

    TMyFF();
    ~TMyFF();
    TMyFF(const TMyFF&) = delete;
    TMyFF& operator=(const TMyFF&) = delete;

    // Name masks, split at ";" and ",". A piece without "*" and "." finds every name
    // containing it ("readme" -> "*readme*", "a?c" -> "*a?c*"); a piece without "."
    // that does not end in "*" gets one ("ab*c" -> "ab*c*"). "*.*" finds every name,
    // extensionless ones included. Empty text: every name.
    void setMask(std::string_view text);
    const lists::MaskList& masks() const { return masks_; }

    // Attribute bits a file may have (kAttr*); a file with any other bit is skipped.
    void setAttributes(uint32_t allowed) { excluded_ = ~allowed & kAllAttributes; }
    uint32_t attributes() const { return ~excluded_ & kAllAttributes; }

    // Inclusive size range in bytes; a range given backwards is swapped.
    void setSizeRange(uint64_t minimum, uint64_t maximum);
    // Inclusive modification-time range; times are tested only once a range is set.
    void setDateRange(int64_t fromNs, int64_t toNs);
    void clearDateRange() { dated_ = false; }

    // Text that must occur in the file (letter case ignored); empty: no content test.
    void setFindString(std::string_view text);
    const std::string& findString() const { return search_.pattern(); }

    bool RecurseDirs = true;
    FileEvent OnChDir;
    AddEvent OnAddFile;
    FileEvent OnScanFile;

    // Also checked between entries and between blocks of a large file, so a stop
    // from another thread takes effect at once.
    void setCancelToken(const CancelToken* token) { token_ = token; }

    // Runs the search from the folder (a trailing "/" is accepted). True when it ran
    // to the end; false when the folder cannot be opened or the search was cancelled.
    bool execute(std::string_view startFolder);

    // Size of the block a content test reads at once.
    static constexpr size_t kBlockSize = 256 * 1024;
    // Threads that read folders and files beside the caller's (the default: one a
    // core this process may use, at least one). Events are raised on the calling
    // thread, in walk order, whatever this is.
    void setScanThreads(unsigned count) { scanThreads_ = static_cast<int>(count); }

private:
    struct Walk;
    friend struct Walk;
    bool cancelled() const { return token_ != nullptr && token_->cancelled(); }

    lists::MaskList masks_;
    bool takesAll_ = true;
    uint32_t excluded_ = 0;
    uint64_t sizeMin_ = 0, sizeMax_ = kNoLimit;
    bool dated_ = false;
    int64_t dateFrom_ = 0, dateTo_ = 0;
    TTISearch search_;
    const CancelToken* token_ = nullptr;
    int scanThreads_ = -1;  // -1: the default
};

}  // namespace arbel::search
