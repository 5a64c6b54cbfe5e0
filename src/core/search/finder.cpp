#include "core/search/finder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "core/walk/tree_walk.h"

namespace arbel::search {

namespace {

int64_t mtimeOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Reads a regular file block by block looking for the pattern; the last bytes of a
// block are kept before the next one so an occurrence across the seam is seen.
// Non-blocking open: a FIFO would otherwise wait for a writer forever, and anything
// but a regular file is refused before a byte is read. `st` receives the file's
// status when it could be opened.
bool scanFile(const TTISearch& search, std::vector<char>& buf, int dirFd, const char* name, struct stat& st,
              bool& statted, const walk::Control& control) {
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    statted = true;
    const size_t m = search.patternLength();
    if (buf.size() < TMyFF::kBlockSize + m) buf.resize(TMyFF::kBlockSize + m);
    if (st.st_size > static_cast<off_t>(TMyFF::kBlockSize)) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    size_t keep = 0;
    uint64_t total = 0;
    bool found = false;
    // Small files are read whole in one call: the size known at open saves the read
    // that would only report the end.
    while (!control.cancelled()) {
        const ssize_t r = ::read(fd, buf.data() + keep, TMyFF::kBlockSize);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        const size_t have = keep + static_cast<size_t>(r);
        total += static_cast<uint64_t>(r);
        if (search.find(buf.data(), have) != TTISearch::npos) {
            found = true;
            break;
        }
        if (st.st_size > 0 && total >= static_cast<uint64_t>(st.st_size)) break;
        keep = std::min(have, m > 0 ? m - 1 : 0);
        std::memmove(buf.data(), buf.data() + have - keep, keep);
    }
    ::close(fd);
    return found;
}

// The record's tag: the attribute bits, the type shown and whether the contents
// matched.
constexpr uint32_t kTagMatch = 1u << 31;
uint32_t makeTag(uint32_t attributes, EntryType shown, bool match) {
    return (attributes & 0xFF) | (static_cast<uint32_t>(shown) << 8) | (match ? kTagMatch : 0);
}

}  // namespace

TMyFF::TMyFF() {
    setMask({});
}
TMyFF::~TMyFF() = default;

void TMyFF::setMask(std::string_view text) {
    // The finder's own expansion: unlike a folder window's mask, a "?" does not keep a
    // bare word from matching anywhere in the name.
    lists::BuildMaskList(text, masks_, /*expand=*/false);
    for (std::string& p : masks_) {
        const bool star = p.find('*') != std::string::npos;
        const bool dot = p.find('.') != std::string::npos;
        if (!star && !dot) {
            p = "*" + p + "*";
        } else if (!dot && p.back() != '*') {
            p.push_back('*');
        }
    }
    takesAll_ = lists::MaskListTakesAll(masks_);
}

void TMyFF::setSizeRange(uint64_t minimum, uint64_t maximum) {
    sizeMin_ = std::min(minimum, maximum);
    sizeMax_ = std::max(minimum, maximum);
}

void TMyFF::setDateRange(int64_t fromNs, int64_t toNs) {
    dated_ = true;
    dateFrom_ = std::min(fromNs, toNs);
    dateTo_ = std::max(fromNs, toNs);
}

void TMyFF::setFindString(std::string_view text) {
    if (text == search_.pattern()) return;
    search_.setPattern(text);
}

// One search: the walker's threads read folders and scan files; each file that
// passes (or, with an OnScanFile handler, each file scanned) becomes a record, and
// the calling thread raises the events in depth-first order as the records come.
struct TMyFF::Walk : walk::Visitor, walk::Sink {
    TMyFF& ff;
    const bool contentTest;
    const bool sized, needStored, statFirst, everyScan;
    walk::Control control;
    std::vector<std::vector<char>> buffers;  // one a worker
    std::string full;

    explicit Walk(TMyFF& f)
        : ff(f),
          contentTest(!f.search_.pattern().empty()),
          sized(f.sizeMin_ > 0 || f.sizeMax_ != kNoLimit),
          needStored((f.excluded_ & (kAttrSystem | kAttrArchive)) != 0),
          // Without a content test every reported file needs its status anyway; with
          // one, the scan's own fstat supplies it unless a cheaper filter needs it first.
          statFirst(!contentTest || sized || f.dated_ || (f.excluded_ & kAttrReadOnly) != 0),
          everyScan(contentTest && static_cast<bool>(f.OnScanFile)),
          control(f.token_) {}

    uint32_t stored(walk::Folder& folder, std::string_view name) const {
        std::string path = folder.path();
        path.append(name);
        return readDosAttrib(path).bits;
    }

    void entry(walk::Folder& folder, const walk::Entry& e) override {
        EntryType type = e.type;
        if (type == EntryType::Dir || type == EntryType::Unknown) return;  // folders are never reported
        // The name decides before any stat.
        if (!ff.takesAll_ && !lists::MatchesMaskList(e.name, ff.masks_)) return;
        const char* name = e.name.data();
        struct stat st {};
        bool haveStat = false;
        EntryType shown = type;
        if (type == EntryType::Link) {
            // A link is what it points to; a link to a folder is a folder, and the
            // walk never enters it. A dangling link is reported as itself.
            if (walk::statEntry(folder.fd(), name, STATX_BASIC_STATS, true, st)) {
                if (S_ISDIR(st.st_mode)) return;
                shown = entryTypeFromMode(st.st_mode);
                haveStat = true;
            }
        }
        // Only regular files have contents to search.
        if (contentTest && shown != EntryType::File && shown != EntryType::Link) return;
        if (!haveStat && statFirst) {
            if (!walk::statEntry(folder.fd(), name, STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME, false,
                                 st))
                return;  // vanished meanwhile
            haveStat = true;
        }
        uint32_t storedBits = 0;
        if (haveStat) {
            const uint64_t size = static_cast<uint64_t>(st.st_size);
            if (sized && (size < ff.sizeMin_ || size > ff.sizeMax_)) return;
            const int64_t mtime = mtimeOf(st);
            if (ff.dated_ && (mtime < ff.dateFrom_ || mtime > ff.dateTo_)) return;
            if (needStored) storedBits = stored(folder, e.name);
            if (attributesOf(st, e.name, storedBits) & ff.excluded_ & ~kAttrDirectory) return;
        } else if ((ff.excluded_ & kAttrHidden) && e.name[0] == '.') {
            return;
        } else if (needStored) {
            storedBits = stored(folder, e.name);
            if (storedBits & ff.excluded_) return;
        }
        bool match = true;
        if (contentTest) {
            match = scanFile(ff.search_, buffers[folder.worker()], folder.fd(), name, st, haveStat, control);
            if (!match && !everyScan) return;
        }
        uint32_t attributes = 0;
        if (match) attributes = attributesOf(st, e.name, needStored ? storedBits : stored(folder, e.name));
        folder.emit(e.name, &st, makeTag(attributes, shown, match));
    }

    bool folder(const FolderReport& r) override {
        // An unreadable folder, one entered before (a bind mount loop) or a pseudo
        // file system still gets its OnChDir but gives no entries.
        bool cancel = false;
        if (ff.OnChDir) ff.OnChDir(r.path, cancel);
        return !(cancel || ff.cancelled());
    }

    bool record(const Record& r) override {
        bool cancel = false;
        if (everyScan) {
            full.assign(r.folder).append(r.name);
            ff.OnScanFile(full, cancel);
            if (cancel || ff.cancelled()) return false;
        }
        if (!(r.tag & kTagMatch)) return true;
        FoundFile found;
        found.name = r.name;
        found.type = static_cast<EntryType>((r.tag >> 8) & 0xFF);
        found.size = static_cast<uint64_t>(r.st->st_size);
        found.mtimeNs = mtimeOf(*r.st);
        found.attributes = r.tag & 0xFF;
        if (ff.OnAddFile) ff.OnAddFile(r.folder, found, cancel);
        return !(cancel || ff.cancelled());
    }
};

bool TMyFF::execute(std::string_view startFolder) {
    Walk w(*this);
    walk::Options o;
    o.threads = scanThreads_ < 0 ? 0 : static_cast<unsigned>(scanThreads_) + 1;
    o.recurse = RecurseDirs;
    o.ordered = true;
    o.filesFirst = true;
    walk::Walker walker(w, w.control, o);
    w.buffers.resize(walker.threads());
    return walker.walk(startFolder, &w);
}

}  // namespace arbel::search
