#include "core/search/finder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "platform/volumes.h"

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
bool scanFile(const TTISearch& search, std::vector<char>& buf, int dirFd, const std::string& name,
              struct stat& st, bool& statted, const CancelToken* token, const CancelToken& stop) {
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
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
    while ((token == nullptr || !token->cancelled()) && !stop.cancelled()) {
        const ssize_t r = ::read(fd, buf.data() + keep, TMyFF::kBlockSize);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        const size_t have = keep + static_cast<size_t>(r);
        total += static_cast<uint64_t>(r);
        if (search.find(buf.data(), have) != TTISearch::npos) {
            found = true;
            break;
        }
        // The size known at open saves the read that would only report the end.
        if (st.st_size > 0 && total >= static_cast<uint64_t>(st.st_size)) break;
        keep = std::min(have, m > 0 ? m - 1 : 0);
        std::memmove(buf.data(), buf.data() + have - keep, keep);
    }
    ::close(fd);
    return found;
}

}  // namespace

namespace {

// Scan threads pay off only with cores to spare: a process with several threads
// pays for shared file-descriptor tables on every open, read and close (about a
// quarter more system time), which on two cores costs more than it brings.
unsigned defaultScanThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores >= 4 ? std::min(cores - 1, 3u) : 0;
}

}  // namespace

TMyFF::TMyFF() : scanThreads_(defaultScanThreads()) {
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

// One search. The calling thread walks the tree and raises every event, in walk
// order. With a content test, scan threads read the candidate files meanwhile: the
// walk runs a bounded distance ahead of the events, and a file's events wait until
// its scan is done, so handlers see exactly the order of a one-thread search.
struct TMyFF::Walk {
    enum State : uint8_t { kReady, kQueued, kMatch, kNoMatch };
    struct File {
        std::string name;
        EntryType shown = EntryType::File;
        bool haveStat = false;
        struct stat st {};
        State state = kReady;
    };
    struct Folder {
        std::string path;  // ends in "/"
        DirHandle dir;     // kept open while its files wait for a scan
        std::vector<File> files;
        size_t nextToClaim = 0;
        size_t nextToRaise = 0;
        bool entered = false;  // OnChDir raised
    };
    // Bounds on the walk's lead: open folders and files waiting for a scan.
    static constexpr size_t kMaxFolders = 64;
    static constexpr size_t kMaxQueued = 4096;

    TMyFF& ff;
    const bool contentTest;
    std::mutex mu;
    std::condition_variable workCv;  // scans queued, or stopping
    std::condition_variable doneCv;  // a scan finished
    std::deque<Folder> folders;      // walk order; the front is the next to raise events for
    size_t queued = 0;
    bool stopping = false;
    CancelToken stopScans;  // ends a scan in the middle of a large file when the search ends
    std::vector<std::thread> workers;
    std::vector<char> buffer;

    Walk(TMyFF& f) : ff(f), contentTest(!f.search_.pattern().empty()) {}

    ~Walk() {
        stopScans.cancel();
        {
            std::lock_guard lk(mu);
            stopping = true;
        }
        workCv.notify_all();
        for (auto& t : workers) t.join();
    }

    void startWorkers() {
        if (!contentTest) return;
        try {
            for (unsigned i = 0; i < ff.scanThreads_; ++i) workers.emplace_back([this] { workerLoop(); });
        } catch (const std::system_error&) {
            // No thread to be had: the caller scans everything itself.
        }
    }

    // Under mu: the next file waiting for a scan, if any.
    bool claim(Folder*& folder, size_t& index) {
        for (Folder& f : folders) {
            if (f.nextToClaim < f.files.size()) {
                folder = &f;
                index = f.nextToClaim++;
                return true;
            }
        }
        return false;
    }

    // Called with lk held; scans one file with the lock released.
    void scanOne(std::unique_lock<std::mutex>& lk, Folder* folder, size_t index, std::vector<char>& buf) {
        File& file = folder->files[index];
        lk.unlock();
        const bool match = scanFile(ff.search_, buf, folder->dir.fd(), file.name, file.st, file.haveStat,
                                    ff.token_, stopScans);
        lk.lock();
        file.state = match ? kMatch : kNoMatch;
        --queued;
        doneCv.notify_all();
    }

    void workerLoop() {
        std::vector<char> buf;
        std::unique_lock lk(mu);
        while (!stopping) {
            Folder* folder;
            size_t index;
            if (claim(folder, index)) {
                scanOne(lk, folder, index, buf);
            } else {
                workCv.wait(lk);
            }
        }
    }

    // Raises the events that are due; false when a handler or the token cancelled.
    bool raiseDue() {
        std::unique_lock lk(mu);
        while (!folders.empty()) {
            Folder& f = folders.front();
            if (!f.entered) {
                f.entered = true;
                lk.unlock();
                bool cancel = false;
                if (ff.OnChDir) ff.OnChDir(f.path, cancel);
                if (cancel || ff.cancelled()) return false;
                lk.lock();
                continue;
            }
            if (f.nextToRaise == f.files.size()) {
                folders.pop_front();
                continue;
            }
            File& file = f.files[f.nextToRaise];
            if (file.state == kQueued) return true;  // its scan is not done yet
            ++f.nextToRaise;
            lk.unlock();
            if (!raiseFile(f, file)) return false;
            lk.lock();
        }
        return true;
    }

    bool raiseFile(const Folder& f, const File& file) {
        bool cancel = false;
        const std::string full = f.path + file.name;
        if (contentTest) {
            if (ff.OnScanFile) ff.OnScanFile(full, cancel);
            if (cancel || ff.cancelled()) return false;
            if (file.state != kMatch) return true;
        }
        FoundFile found;
        found.name = file.name;
        found.type = file.shown;
        found.size = static_cast<uint64_t>(file.st.st_size);
        found.mtimeNs = mtimeOf(file.st);
        found.attributes = attributesOf(file.st, file.name, readDosAttrib(full).bits);
        if (ff.OnAddFile) ff.OnAddFile(f.path, found, cancel);
        return !(cancel || ff.cancelled());
    }

    // Waits for the front folder to have something to raise, scanning meanwhile.
    // `lead` allows the walk to go on once the backlog is below its bounds.
    void helpOrWait(bool lead) {
        std::unique_lock lk(mu);
        for (;;) {
            if (lead && folders.size() < kMaxFolders && queued < kMaxQueued) return;
            if (folders.empty()) return;
            Folder& front = folders.front();
            if (!front.entered || front.nextToRaise == front.files.size() ||
                front.files[front.nextToRaise].state != kQueued)
                return;
            // Only the file whose events are due: a later (perhaps huge) file would
            // hold up the events, and a cancel from them, until it was read through.
            if (front.nextToClaim == front.nextToRaise) {
                scanOne(lk, &front, front.nextToClaim++, buffer);
            } else {
                doneCv.wait(lk);
            }
        }
    }

    // Reads one folder: sub-folders go to `subdirs`, files that pass every test short
    // of the content test to `out.files`.
    void readFolder(Folder& out, const DirHandle& dir, std::vector<std::string>& subdirs) {
        const bool sized = ff.sizeMin_ > 0 || ff.sizeMax_ != kNoLimit;
        const bool needStored = (ff.excluded_ & (kAttrSystem | kAttrArchive)) != 0;
        // Without a content test every reported file needs its status anyway; with
        // one, the scan's own fstat supplies it unless a cheaper filter needs it first.
        const bool statFirst = !contentTest || sized || ff.dated_ || (ff.excluded_ & kAttrReadOnly) != 0;
        std::string name;
        (void)forEachEntry(dir, [&](const RawEntry& e) {
            EntryType type = e.type;
            File file;
            if (type == EntryType::Unknown) {
                auto s = statAt(dir, e.name, false);
                if (!s.ok()) return true;  // vanished meanwhile
                file.st = *s;
                file.haveStat = true;
                type = entryTypeFromMode(file.st.st_mode);
            }
            if (type == EntryType::Dir) {
                if (ff.RecurseDirs) subdirs.emplace_back(out.path).append(e.name).push_back('/');
                return true;
            }
            // Folders are never reported, so the name decides before any stat.
            if (!ff.takesAll_ && !lists::MatchesMaskList(e.name, ff.masks_)) return true;

            file.shown = type;
            if (type == EntryType::Link) {
                // A link is what it points to; a link to a folder is a folder, and the
                // walk never enters it. A dangling link is reported as itself.
                auto s = statAt(dir, e.name, true);
                if (s.ok()) {
                    if (S_ISDIR(s->st_mode)) return true;
                    file.st = *s;
                    file.shown = entryTypeFromMode(file.st.st_mode);
                    file.haveStat = true;
                }
            }
            // Only regular files have contents to search.
            if (contentTest && file.shown != EntryType::File && file.shown != EntryType::Link) return true;
            if (!file.haveStat && statFirst) {
                auto s = statAt(dir, e.name, false);
                if (!s.ok()) return true;
                file.st = *s;
                file.haveStat = true;
            }
            name.assign(e.name);
            if (file.haveStat) {
                const uint64_t size = static_cast<uint64_t>(file.st.st_size);
                if (sized && (size < ff.sizeMin_ || size > ff.sizeMax_)) return true;
                const int64_t mtime = mtimeOf(file.st);
                if (ff.dated_ && (mtime < ff.dateFrom_ || mtime > ff.dateTo_)) return true;
                const uint32_t stored = needStored ? readDosAttrib(out.path + name).bits : 0;
                if (attributesOf(file.st, name, stored) & ff.excluded_ & ~kAttrDirectory) return true;
            } else if ((ff.excluded_ & kAttrHidden) && !name.empty() && name[0] == '.') {
                return true;
            } else if (needStored && (readDosAttrib(out.path + name).bits & ff.excluded_)) {
                return true;
            }
            file.name = std::move(name);
            file.state = contentTest ? kQueued : kReady;
            out.files.push_back(std::move(file));
            name.clear();
            return !ff.cancelled();
        });
    }

    bool run(std::string start, DirHandle first) {
        struct Pending {
            std::string path;
            dev_t parentDev;
        };
        struct stat startSt;
        if (::fstat(first.fd(), &startSt) != 0) return false;
        std::vector<Pending> stack{{std::move(start), startSt.st_dev}};
        std::set<std::pair<dev_t, ino_t>> entered;
        std::vector<std::string> subdirs;
        startWorkers();

        while (!stack.empty()) {
            Pending pending = std::move(stack.back());
            stack.pop_back();
            Folder folder;
            folder.path = std::move(pending.path);
            DirHandle dir;
            if (first.valid()) {
                dir = std::move(first);
            } else if (auto opened = DirHandle::open(folder.path, /*noFollow=*/true); opened.ok()) {
                dir = std::move(opened.value());
            }
            struct stat dst;
            subdirs.clear();
            // An unreadable folder, one entered before (a bind mount loop) or a pseudo
            // file system still gets its OnChDir but gives no entries.
            if (dir.valid() && ::fstat(dir.fd(), &dst) == 0 &&
                entered.insert({dst.st_dev, dst.st_ino}).second &&
                (dst.st_dev == pending.parentDev || !isPseudoFileSystemAt(dir.fd()))) {
                readFolder(folder, dir, subdirs);
                for (auto it = subdirs.rbegin(); it != subdirs.rend(); ++it)
                    stack.push_back({std::move(*it), dst.st_dev});
            }
            const size_t scans = contentTest ? folder.files.size() : 0;
            if (scans > 0) folder.dir = std::move(dir);
            {
                std::lock_guard lk(mu);
                folders.push_back(std::move(folder));
                queued += scans;
            }
            if (scans > 0) workCv.notify_all();
            if (ff.cancelled() || !raiseDue()) return false;
            for (;;) {
                helpOrWait(/*lead=*/true);
                if (!raiseDue()) return false;
                std::lock_guard lk(mu);
                if (folders.size() < kMaxFolders && queued < kMaxQueued) break;
            }
        }
        for (;;) {
            if (!raiseDue()) return false;
            {
                std::lock_guard lk(mu);
                if (folders.empty()) return true;
            }
            helpOrWait(/*lead=*/false);
        }
    }
};

bool TMyFF::execute(std::string_view startFolder) {
    std::string start(startFolder);
    while (start.size() > 1 && start.back() == '/') start.pop_back();
    if (start.empty()) return false;
    auto first = DirHandle::open(start);  // the start itself may be a link the user chose
    if (!first.ok()) return false;
    if (start != "/") start.push_back('/');
    Walk walk(*this);
    return walk.run(std::move(start), std::move(first.value()));
}

}  // namespace arbel::search
