#include "core/search/finder.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace arbel {

namespace {

// File systems that describe the kernel rather than hold files: walking them finds
// nothing a user searches for, and some (proc) lead back into the tree or never end.
bool isPseudoFileSystem(int fd) {
    struct statfs sf;
    if (::fstatfs(fd, &sf) != 0) return false;
    switch (static_cast<unsigned long>(sf.f_type)) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEVPTS_SUPER_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case PSTOREFS_MAGIC:
        case BPF_FS_MAGIC:
        case 0x62656570:  // configfs
        case 0x65735543:  // fusectl
        case BINFMTFS_MAGIC:
        case 0x19800202:  // mqueue
        case AUTOFS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

int64_t mtimeOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

TMyFF::TMyFF() {
    setMask({});
}
TMyFF::~TMyFF() = default;

void TMyFF::setMask(std::string_view text) {
    // The finder's own expansion: unlike a folder window's mask, a "?" does not keep a
    // bare word from matching anywhere in the name.
    BuildMaskList(text, masks_, /*expand=*/false);
    for (std::string& p : masks_) {
        const bool star = p.find('*') != std::string::npos;
        const bool dot = p.find('.') != std::string::npos;
        if (!star && !dot) {
            p = "*" + p + "*";
        } else if (!dot && p.back() != '*') {
            p.push_back('*');
        }
    }
    takesAll_ = MaskListTakesAll(masks_);
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

bool TMyFF::contentMatches(int dirFd, const std::string& name) {
    // Non-blocking open: a FIFO would otherwise wait for a writer forever. Anything
    // but a regular file is refused before a byte is read.
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const size_t m = search_.patternLength();
    if (!buffer_ || bufferSize_ < kBlockSize + m) {
        bufferSize_ = kBlockSize + m;
        buffer_.reset(new char[bufferSize_]);
    }
    if (st.st_size > static_cast<off_t>(kBlockSize)) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

    char* buf = buffer_.get();
    size_t keep = 0;  // tail of the previous block, so a match across blocks is seen
    uint64_t total = 0;
    bool found = false;
    while (!cancelled()) {
        const ssize_t r = ::read(fd, buf + keep, kBlockSize);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        const size_t have = keep + static_cast<size_t>(r);
        total += static_cast<uint64_t>(r);
        if (search_.find(buf, have) != TTISearch::npos) {
            found = true;
            break;
        }
        // The size known at open saves the read that would only report the end.
        if (st.st_size > 0 && total >= static_cast<uint64_t>(st.st_size)) break;
        keep = std::min(have, m > 0 ? m - 1 : 0);
        std::memmove(buf, buf + have - keep, keep);
    }
    ::close(fd);
    return found;
}

bool TMyFF::execute(std::string_view startFolder) {
    std::string start(startFolder);
    while (start.size() > 1 && start.back() == '/') start.pop_back();
    if (start.empty()) return false;

    auto first = DirHandle::open(start);  // the start itself may be a link the user chose
    if (!first.ok()) return false;
    if (start != "/") start.push_back('/');

    struct Pending {
        std::string path;  // ends in "/"
        dev_t parentDev;
    };
    std::vector<Pending> stack;
    std::set<std::pair<dev_t, ino_t>> entered;
    std::vector<std::string> subdirs;
    std::string name;
    std::string full;
    const bool contentTest = !search_.pattern().empty();
    const bool sized = sizeMin_ > 0 || sizeMax_ != kNoLimit;
    const bool needStored = (excluded_ & (kAttrSystem | kAttrArchive)) != 0;

    DirHandle dir = std::move(first.value());
    struct stat startSt;
    if (::fstat(dir.fd(), &startSt) != 0) return false;
    stack.push_back({start, startSt.st_dev});

    bool firstFolder = true;
    while (!stack.empty()) {
        Pending folder = std::move(stack.back());
        stack.pop_back();

        bool cancel = false;
        if (OnChDir) OnChDir(folder.path, cancel);
        if (cancel || cancelled()) return false;

        if (!firstFolder) {
            auto opened = DirHandle::open(folder.path, /*noFollow=*/true);
            if (!opened.ok()) continue;  // unreadable or vanished: no entries
            dir = std::move(opened.value());
        }
        firstFolder = false;
        struct stat dst;
        if (::fstat(dir.fd(), &dst) != 0) continue;
        if (!entered.insert({dst.st_dev, dst.st_ino}).second) continue;  // a bind mount loop
        if (dst.st_dev != folder.parentDev && isPseudoFileSystem(dir.fd())) continue;

        subdirs.clear();
        bool stop = false;
        (void)forEachEntry(dir, [&](const RawEntry& e) {
            EntryType type = e.type;
            struct stat st;
            bool haveStat = false;
            if (type == EntryType::Unknown) {
                auto s = statAt(dir, e.name, false);
                if (!s.ok()) return true;  // vanished meanwhile
                st = *s;
                haveStat = true;
                type = entryTypeFromMode(st.st_mode);
            }
            if (type == EntryType::Dir) {
                if (RecurseDirs) subdirs.emplace_back(folder.path).append(e.name).push_back('/');
                return true;
            }
            // Folders are never reported, so the name decides before any stat.
            if (!takesAll_ && !MatchesMaskList(e.name, masks_)) return true;

            EntryType shown = type;
            if (type == EntryType::Link) {
                // A link is what it points to; a link to a folder is a folder, and the
                // walk never enters it. A dangling link is reported as itself.
                auto s = statAt(dir, e.name, true);
                if (s.ok()) {
                    if (S_ISDIR(s->st_mode)) return true;
                    st = *s;
                    shown = entryTypeFromMode(st.st_mode);
                    haveStat = true;
                } else {
                    haveStat = false;
                }
            }
            if (!haveStat) {
                auto s = statAt(dir, e.name, false);
                if (!s.ok()) return true;
                st = *s;
            }

            const uint64_t size = static_cast<uint64_t>(st.st_size);
            if (sized && (size < sizeMin_ || size > sizeMax_)) return true;
            const int64_t mtime = mtimeOf(st);
            if (dated_ && (mtime < dateFrom_ || mtime > dateTo_)) return true;

            name.assign(e.name);
            full.assign(folder.path).append(name);
            uint32_t stored = 0;
            bool storedRead = false;
            if (needStored) {
                stored = readDosAttrib(full).bits;
                storedRead = true;
            }
            if (attributesOf(st, name, stored) & excluded_ & ~kAttrDirectory) return true;

            if (contentTest) {
                if (OnScanFile) OnScanFile(full, cancel);
                if (cancel) {
                    stop = true;
                    return false;
                }
                if (!contentMatches(dir.fd(), name)) {
                    if (cancelled()) stop = true;
                    return !stop;
                }
            }
            if (!storedRead) stored = readDosAttrib(full).bits;

            FoundFile found;
            found.name = e.name;
            found.type = shown;
            found.size = size;
            found.mtimeNs = mtime;
            found.attributes = attributesOf(st, name, stored);
            if (OnAddFile) OnAddFile(folder.path, found, cancel);
            if (cancel || cancelled()) {
                stop = true;
                return false;
            }
            return true;
        });
        if (stop || cancelled()) return false;

        for (auto it = subdirs.rbegin(); it != subdirs.rend(); ++it)
            stack.push_back({std::move(*it), dst.st_dev});
    }
    return true;
}

}  // namespace arbel
