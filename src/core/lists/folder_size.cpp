#include "core/lists/folder_size.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <unordered_set>

#include "core/walk/tree_walk.h"
#include "platform/dir.h"

namespace arbel::lists {

namespace {

struct Identity {
    dev_t dev;
    ino_t ino;
    bool operator==(const Identity&) const = default;
};

struct IdentityHash {
    std::size_t operator()(const Identity& id) const noexcept {
        return std::hash<uint64_t>()(uint64_t(id.ino) * 0x9E3779B97F4A7C15ull ^ uint64_t(id.dev));
    }
};

// Rough heap cost of one entry of an identity set (node plus bucket).
constexpr std::size_t kSetEntryBytes = sizeof(Identity) + 3 * sizeof(void*);

uint64_t allocatedOf(const struct stat& st) {
    return uint64_t(st.st_blocks) * 512u;
}

}  // namespace

// The counting done on the walk's workers: each worker adds to its own totals
// (on a cache line of its own), summed when the walk is over.
struct FolderSizeJob::Count : walk::Visitor {
    struct alignas(64) Totals {
        std::atomic<uint64_t> files{0}, bytes{0};
        uint64_t allocated = 0, folders = 0;
    };
    std::vector<Totals> totals;
    std::mutex linkedMu;
    std::unordered_set<Identity, IdentityHash> linked;  // files with more links, counted already

    void entry(walk::Folder& folder, const walk::Entry& e) override {
        if (e.type != EntryType::File) return;
        struct stat st;
        constexpr unsigned mask = STATX_TYPE | STATX_SIZE | STATX_BLOCKS | STATX_NLINK | STATX_INO;
        if (!walk::statEntry(folder.fd(), e.name.data(), mask, false, st) || !S_ISREG(st.st_mode))
            return;  // vanished or replaced meanwhile
        if (st.st_nlink > 1) {
            std::lock_guard lk(linkedMu);
            if (!linked.insert({st.st_dev, st.st_ino}).second) return;
        }
        Totals& t = totals[folder.worker()];
        t.files.store(t.files.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        t.bytes.store(t.bytes.load(std::memory_order_relaxed) + uint64_t(st.st_size),
                      std::memory_order_relaxed);
        t.allocated += allocatedOf(st);
    }

    void folderEntered(walk::Folder& folder) override {
        Totals& t = totals[folder.worker()];
        if (folder.depth() > 0) ++t.folders;
        t.allocated += allocatedOf(folder.st());
    }

    void folderSkipped(const std::string&, unsigned depth, walk::Skip why, int error) override {
        // A folder that vanished or became something else meanwhile was never there;
        // a pseudo file system at the start cannot be sized.
        const bool gone = error == ENOENT || error == ENOTDIR || error == ELOOP;
        if ((why == walk::Skip::Unreadable && !gone) || (depth == 0 && why == walk::Skip::Pseudo)) {
            std::lock_guard lk(linkedMu);  // skips are rare: one lock for every worker's count
            ++skippedUnreadable;
        }
    }

    void folderFailed(walk::Folder&, int) override {
        std::lock_guard lk(linkedMu);
        ++skippedUnreadable;
    }

    uint64_t skippedUnreadable = 0;
};

FolderSizeJob::FolderSizeJob(std::vector<std::string> folders) : folders_(std::move(folders)) {}
FolderSizeJob::~FolderSizeJob() = default;

bool FolderSizeJob::run(const CancelToken& cancel) {
    results_.assign(folders_.size(), FolderSize{});
    for (std::size_t i = 0; i < folders_.size(); ++i) {
        if (!count(folders_[i], cancel, results_[i])) return false;
    }
    return true;
}

uint64_t FolderSizeJob::filesCounted() const {
    std::lock_guard lk(progressMu_);
    uint64_t n = done_.files;
    if (current_ != nullptr)
        for (const auto& t : current_->totals) n += t.files.load(std::memory_order_relaxed);
    return n;
}

uint64_t FolderSizeJob::bytesCounted() const {
    std::lock_guard lk(progressMu_);
    uint64_t n = done_.bytes;
    if (current_ != nullptr)
        for (const auto& t : current_->totals) n += t.bytes.load(std::memory_order_relaxed);
    return n;
}

bool FolderSizeJob::count(const std::string& folder, const CancelToken& cancel, FolderSize& out) {
    // The start is opened as given: a link the user chose is measured as the folder
    // it names. Nothing below it is ever followed.
    auto named = statPath(folder, /*follow=*/true);
    out.isFolder = named.ok() && S_ISDIR(named->st_mode);
    if (!out.isFolder) return !cancel.cancelled();

    walk::Control control(&cancel);
    Count c;
    walk::Options o;  // real file systems below are crossed, as du does
    o.threads = threads_;
    walk::Walker walker(c, control, o);
    c.totals = std::vector<Count::Totals>(walker.threads());
    {
        std::lock_guard lk(progressMu_);
        current_ = &c;
    }
    walker.walk(folder);
    out.unreadable = c.skippedUnreadable;
    for (const auto& t : c.totals) {
        out.files += t.files.load(std::memory_order_relaxed);
        out.bytes += t.bytes.load(std::memory_order_relaxed);
        out.allocated += t.allocated;
        out.folders += t.folders;
    }
    {
        std::lock_guard lk(progressMu_);
        done_.files += out.files;
        done_.bytes += out.bytes;
        current_ = nullptr;
    }
    peakMemory_ = std::max(peakMemory_, (out.folders + 1 + c.linked.size()) * kSetEntryBytes);
    return !cancel.cancelled();
}

FolderSize GetDirectorySize(const std::string& path, const CancelToken* cancel) {
    CancelToken never;
    FolderSizeJob job({path});
    job.run(cancel ? *cancel : never);
    return job.results().empty() ? FolderSize{} : job.results().front();
}

std::string formatFraction(uint64_t numerator, uint64_t denominator, int decimals, const ListFormat& fmt) {
    if (denominator == 0) return "0";
    unsigned __int128 scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const unsigned __int128 scaled = (numerator * scale + denominator / 2) / denominator;
    std::string text = formatGrouped(uint64_t(scaled / scale), fmt.thousandsSep);
    if (decimals > 0) {
        std::string digits = std::to_string(uint64_t(scaled % scale));
        text += fmt.decimalPoint;
        text +=
            std::string(std::size_t(decimals) - std::min(digits.size(), std::size_t(decimals)), '0') + digits;
    }
    return text;
}

std::string folderSizeReport(const std::string& path, const FolderSize& size, const ListFormat& fmt) {
    const std::string pad(10, ' ');
    std::string text = path + "\n";
    text += "space used:\n";
    text += pad + formatGrouped(size.bytes, fmt.thousandsSep) + " bytes     \n";
    text += pad + formatFraction(size.bytes, 1024, 0, fmt) + " kb     \n";
    text += pad + formatFraction(size.bytes, 1048576, 2, fmt) + " mb     ";
    if (size.allocated != size.bytes)
        text += "\n" + pad + formatGrouped(size.allocated, fmt.thousandsSep) + " bytes on disk     ";
    // A total that leaves folders out says so rather than pass for the whole.
    if (size.unreadable) text += "\n(some folders could not be read)";
    return text;
}

}  // namespace arbel::lists
