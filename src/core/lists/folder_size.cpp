#include "core/lists/folder_size.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_set>

#include "platform/dir.h"
#include "platform/volumes.h"

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

using IdentitySet = std::unordered_set<Identity, IdentityHash>;

// Rough heap cost of one entry of an IdentitySet (node plus bucket).
constexpr std::size_t kSetEntryBytes = sizeof(Identity) + 3 * sizeof(void*);

// Folders deeper than this keep no handle open while their descendants are
// counted (a tree thousands of levels deep must not run out of descriptors);
// they are reopened through ".." from the child, checked by identity.
constexpr std::size_t kOpenFrames = 48;

struct Frame {
    DirHandle dir;
    Identity id;
    std::vector<std::string> subdirs;  // waiting to be entered
    std::size_t next = 0;
    std::size_t nameBytes = 0;
};

uint64_t allocatedOf(const struct stat& st) {
    return uint64_t(st.st_blocks) * 512u;
}

}  // namespace

FolderSizeJob::FolderSizeJob(std::vector<std::string> folders) : folders_(std::move(folders)) {}

bool FolderSizeJob::run(const CancelToken& cancel) {
    results_.assign(folders_.size(), FolderSize{});
    for (std::size_t i = 0; i < folders_.size(); ++i) {
        if (!count(folders_[i], cancel, results_[i])) return false;
    }
    return true;
}

bool FolderSizeJob::count(const std::string& folder, const CancelToken& cancel, FolderSize& out) {
    // The start is opened as given: a link the user chose is measured as the folder
    // it names. Nothing below it is ever followed.
    auto named = statPath(folder, /*follow=*/true);
    out.isFolder = named.ok() && S_ISDIR(named->st_mode);
    if (!out.isFolder) return !cancel.cancelled();
    auto first = DirHandle::open(folder);
    struct stat st;
    if (!first.ok() || ::fstat(first->fd(), &st) != 0 || isPseudoFileSystemAt(first->fd())) {
        ++out.unreadable;
        return !cancel.cancelled();
    }
    out.allocated += allocatedOf(st);

    IdentitySet entered{{st.st_dev, st.st_ino}};
    IdentitySet linked;  // regular files with more than one link, counted already
    std::vector<Frame> stack;
    std::size_t nameBytes = 0;
    auto noteMemory = [&] {
        std::size_t now = nameBytes + stack.capacity() * sizeof(Frame) +
                          (entered.size() + linked.size()) * kSetEntryBytes +
                          (entered.bucket_count() + linked.bucket_count()) * sizeof(void*);
        peakMemory_ = std::max(peakMemory_, now);
    };

    // Counts the files of one open folder and gathers its sub-folders.
    auto readFolder = [&](Frame& frame) {
        Status s = forEachEntry(frame.dir, [&](const RawEntry& e) {
            EntryType type = e.type;
            struct stat est;
            bool haveStat = false;
            if (type == EntryType::Unknown || type == EntryType::File) {
                auto r = statAt(frame.dir, e.name, /*follow=*/false);
                if (!r.ok()) return !cancel.cancelled();  // vanished meanwhile
                est = *r;
                haveStat = true;
                type = entryTypeFromMode(est.st_mode);
            }
            if (type == EntryType::Dir) {
                frame.subdirs.emplace_back(e.name);
                frame.nameBytes += e.name.size() + sizeof(std::string);
            } else if (type == EntryType::File && haveStat) {
                if (est.st_nlink <= 1 || linked.insert({est.st_dev, est.st_ino}).second) {
                    ++out.files;
                    out.bytes += uint64_t(est.st_size);
                    out.allocated += allocatedOf(est);
                    files_.fetch_add(1, std::memory_order_relaxed);
                    bytes_.fetch_add(uint64_t(est.st_size), std::memory_order_relaxed);
                }
            }
            return !cancel.cancelled();
        });
        if (!s.ok()) ++out.unreadable;
        nameBytes += frame.nameBytes;
    };

    stack.push_back(Frame{std::move(*first), {st.st_dev, st.st_ino}, {}, 0, 0});
    readFolder(stack.back());
    noteMemory();
    while (!stack.empty()) {
        if (cancel.cancelled()) return false;
        Frame& top = stack.back();
        if (top.next >= top.subdirs.size()) {
            nameBytes -= top.nameBytes;
            // Before the handle goes, reopen the parent if it was closed for depth.
            if (stack.size() >= 2 && !stack[stack.size() - 2].dir.valid()) {
                Frame& parent = stack[stack.size() - 2];
                int fd = ::openat(top.dir.fd(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
                struct stat pst;
                DirHandle reopened(fd);
                if (fd >= 0 && ::fstat(fd, &pst) == 0 && Identity{pst.st_dev, pst.st_ino} == parent.id) {
                    parent.dir = std::move(reopened);
                } else {
                    parent.next = parent.subdirs.size();  // moved away meanwhile: its rest is not reachable
                }
            }
            stack.pop_back();
            continue;
        }
        const std::string& name = top.subdirs[top.next++];
        if (!top.dir.valid()) continue;
        auto child = top.dir.openChild(name);  // O_NOFOLLOW: a link swapped in is not entered
        if (!child.ok()) {
            if (child.error().code != ENOENT && child.error().code != ENOTDIR && child.error().code != ELOOP)
                ++out.unreadable;
            continue;
        }
        struct stat cst;
        if (::fstat(child->fd(), &cst) != 0) continue;
        const Identity id{cst.st_dev, cst.st_ino};
        if (!entered.insert(id).second) continue;  // a bind mount loop, or a folder counted already
        if (cst.st_dev != top.id.dev && isPseudoFileSystemAt(child->fd())) continue;
        ++out.folders;
        out.allocated += allocatedOf(cst);
        if (stack.size() >= kOpenFrames) stack[stack.size() - kOpenFrames].dir = DirHandle();
        stack.push_back(Frame{std::move(*child), id, {}, 0, 0});
        readFolder(stack.back());
        noteMemory();
    }
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
