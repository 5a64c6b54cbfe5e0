#pragma once
// Folder Size: the bytes of every file below a folder, counted on the shared
// parallel tree walk (core/walk). The walk never follows a symbolic link, counts a file with several
// hard links once, enters no pseudo file system (proc, sysfs, ...), crosses
// into real file systems mounted below the start (as du does), cannot loop
// through bind mounts, and counts an unreadable folder as 0 and goes on.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/lists/list_format.h"
#include "platform/cancel.h"

namespace arbel::lists {

struct FolderSize {
    bool isFolder = false;   // the path named a folder (or a link to one) when counted
    uint64_t bytes = 0;      // apparent size: the regular files' sizes
    uint64_t allocated = 0;  // space on disk of those files and of the folders
    uint64_t files = 0;
    uint64_t folders = 0;     // folders entered below the start
    uint64_t unreadable = 0;  // folders that could not be read (the start included)
};

// Sizes a list of folders one after the other (each on its own: a file linked
// into two of them counts in both). Plain object: run() on one thread, the
// progress getters from any other.
class FolderSizeJob {
public:
    explicit FolderSizeJob(std::vector<std::string> folders);
    ~FolderSizeJob();

    // Threads the walk reads folders on (0: one a core this process may use).
    void setThreads(unsigned count) { threads_ = count; }

    // Counts every folder. False when cancelled: the results are then partial
    // and must not be shown as sizes.
    bool run(const CancelToken& cancel);

    const std::vector<std::string>& folders() const { return folders_; }
    const std::vector<FolderSize>& results() const { return results_; }

    uint64_t filesCounted() const;
    uint64_t bytesCounted() const;
    // About the most memory the walk's bookkeeping held at once (the folders and
    // hard-linked files already seen).
    std::size_t peakMemory() const { return peakMemory_; }

private:
    bool count(const std::string& folder, const CancelToken& cancel, FolderSize& out);

    std::vector<std::string> folders_;
    std::vector<FolderSize> results_;
    struct Count;
    mutable std::mutex progressMu_;
    struct {
        uint64_t files = 0, bytes = 0;
    } done_;                    // the folders counted to the end
    Count* current_ = nullptr;  // the one being counted
    std::size_t peakMemory_ = 0;
    unsigned threads_ = 0;
};

// One folder, on the calling thread.
FolderSize GetDirectorySize(const std::string& path, const CancelToken* cancel = nullptr);

// numerator / denominator rounded to `decimals` places (half away from zero),
// grouped, with the locale's decimal point: "%0.2n" of 1536 / 1048576 is "0.00".
std::string formatFraction(uint64_t numerator, uint64_t denominator, int decimals, const ListFormat& fmt);

// The lines of the tree's Folder Size message, joined with "\n": the path,
// "space used:", then bytes, kb and mb, each after ten spaces; the space on disk
// when it differs; and a last line when some folders could not be read.
std::string folderSizeReport(const std::string& path, const FolderSize& size, const ListFormat& fmt);

}  // namespace arbel::lists
