#include "core/lists/folder_read.h"

#include <sys/stat.h>

#include <algorithm>

#include "core/lists/desktop_entry.h"
#include "platform/attributes.h"
#include "platform/dir.h"

namespace arbel::lists {

namespace {

bool isDirMode(mode_t m) {
    return S_ISDIR(m);
}

// Fills size, time, mode, flags and attributes of an entry from its status.
void fillFromStatus(FileEntry& e, const struct stat& st, std::string_view name, uint32_t stored) {
    e.mode = st.st_mode;
    e.mtime = st.st_mtim.tv_sec;
    if (isDirMode(st.st_mode)) {
        e.flags |= kEntryFolder;
        e.size = 0;
    } else {
        e.size = static_cast<uint64_t>(st.st_size);
    }
    e.attributes = static_cast<uint8_t>(attributesOf(st, name, stored) & 0xFF);
}

// A Desktop Entry file's own icon is part of what its list entry shows; it is read
// here, with the folder, because a view asking for it while painting must not wait
// on the file system.
void noteOwnIcon(Listing& listing, const FileEntry& e, std::string_view name, const std::string& path) {
    if (!S_ISREG(e.mode) || (e.flags & kEntryLink) || !isDesktopEntryName(name)) return;
    std::string icon = desktopEntryIcon(path);
    if (!icon.empty()) listing.ownIcons[e.nameOffset] = std::move(icon);
}

class FolderPass {
public:
    FolderPass(const ReadRequest& r, ReadOutcome& out, const CancelToken* cancel,
               const ReadProgress& progress, uint64_t& seen)
        : req_(r), out_(out), cancel_(cancel), progress_(progress), seen_(seen) {
        takeAll_ = MaskListTakesAll(r.mask);
        filter_ = listAttributeFilter(r.fileTypes);
        every_ = r.progressEvery ? r.progressEvery : 1;
    }

    void read(const std::string& folder, uint16_t index) {
        auto dir = DirHandle::open(folder);
        if (!dir) {
            out_.errors.push_back(dir.error());
            return;
        }
        folder_ = &folder;
        index_ = index;
        pathBuf_ = folder;
        xattrs_ = true;
        if (req_.displayDirectory && req_.displayParentDir) addParent(*dir);
        Status st = forEachEntry(*dir, [&](const RawEntry& raw) {
            if (cancel_ && cancel_->cancelled()) {
                out_.cancelled = true;
                return false;
            }
            visit(*dir, raw);
            if (++seen_ % every_ == 0 && progress_) progress_(seen_);
            return true;
        });
        if (!st) {
            Error e = st.error();
            e.path = folder;
            out_.errors.push_back(e);
        }
    }

private:
    uint32_t storedBits(std::string_view name) {
        if (!xattrs_) return 0;
        pathBuf_.resize(folder_->size());
        pathBuf_ += name;
        StoredDosAttrib s = readDosAttrib(pathBuf_);
        // One refusal means the whole file system keeps none: stop asking.
        if (!s.supported) xattrs_ = false;
        return s.present ? s.bits : 0;
    }

    void addParent(const DirHandle& dir) {
        auto st = statAt(dir, "..", true);
        if (!st) return;
        FileEntry e;
        e.folder = index_;
        fillFromStatus(e, *st, "..", 0);
        e.attributes &= static_cast<uint8_t>(~kAttrHidden);
        e.flags |= kEntryParent | kEntryFolder;
        out_.listing.add("..", e);
        ++out_.folderCount;
    }

    void visit(const DirHandle& dir, const RawEntry& raw) {
        FileEntry e;
        e.folder = index_;
        bool link = raw.type == EntryType::Link;
        Result<struct stat> st = statAt(dir, raw.name, raw.type != EntryType::Unknown);
        if (raw.type == EntryType::Unknown && st && S_ISLNK(st->st_mode)) {
            link = true;
            st = statAt(dir, raw.name, true);
        }
        if (link) e.flags |= kEntryLink;
        if (!st && link && st.error().code == ENOENT) {
            // A dangling link is listed as the link itself.
            st = statAt(dir, raw.name, false);
            e.flags |= kEntryDangling;
        }
        if (!st) {
            // Gone since the enumeration: not listed. Any other failure (no
            // search permission on the folder): listed by name and type only.
            if (st.error().code == ENOENT) return;
            e.flags |= kEntryNoStatus;
            if (raw.type == EntryType::Dir) e.flags |= kEntryFolder;
            if (!raw.name.empty() && raw.name[0] == '.') e.attributes |= kAttrHidden;
        } else {
            uint32_t stored = (e.flags & kEntryDangling) ? 0 : storedBits(raw.name);
            fillFromStatus(e, *st, raw.name, stored);
        }
        if (!passesAttributeFilter(e.attributes, filter_)) return;
        if (e.isFolder()) {
            if (!req_.displayDirectory) return;
            ++out_.folderCount;
        } else {
            if (!takeAll_ && !MatchesMaskList(raw.name, req_.mask)) return;
            out_.totalBytes += e.size;
        }
        const FileEntry& added = out_.listing.add(raw.name, e);
        if (!(added.flags & kEntryNoStatus)) {
            pathBuf_.resize(folder_->size());
            pathBuf_ += raw.name;
            noteOwnIcon(out_.listing, added, raw.name, pathBuf_);
        }
    }

    const ReadRequest& req_;
    ReadOutcome& out_;
    const CancelToken* cancel_;
    const ReadProgress& progress_;
    uint64_t& seen_;
    bool takeAll_ = false;
    AttributeFilter filter_;
    uint64_t every_ = 1;
    bool xattrs_ = true;
    const std::string* folder_ = nullptr;
    uint16_t index_ = 0;
    std::string pathBuf_;
};

}  // namespace

AttributeFilter listAttributeFilter(FileTypes types) {
    AttributeFilter f;
    f.all = types & ftAll;
    f.checked = kAttrArchive | kAttrReadOnly | kAttrHidden | kAttrSystem;
    if (types & ftArchive) f.allowed |= kAttrArchive;
    if (types & ftReadonly) f.allowed |= kAttrReadOnly;
    if (types & ftHidden) f.allowed |= kAttrHidden;
    if (types & ftSystem) f.allowed |= kAttrSystem;
    f.plainAllowed = true;
    return f;
}

ReadOutcome readFolders(const ReadRequest& request, const CancelToken* cancel, const ReadProgress& progress) {
    ReadOutcome out;
    uint64_t seen = 0;
    FolderPass pass(request, out, cancel, progress, seen);
    for (const auto& f : request.folders) {
        if (out.listing.folders.size() >= 0xFFFF) break;
        std::string folder = f;
        if (folder.empty() || folder.back() != '/') folder.push_back('/');
        auto index = static_cast<uint16_t>(out.listing.folders.size());
        out.listing.folders.push_back(folder);
        pass.read(out.listing.folders.back(), index);
        if (out.cancelled) break;
    }
    if (progress) progress(seen);
    out.listing.shrink();
    return out;
}

Result<std::size_t> addPath(Listing& listing, const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    std::size_t slash = p.rfind('/');
    if (slash == std::string::npos || slash + 1 >= p.size())
        return Error{path, EINVAL, "not a path to an item"};
    std::string folder = p.substr(0, slash + 1);
    std::string name = p.substr(slash + 1);

    struct stat st;
    FileEntry e;
    if (::lstat(p.c_str(), &st) != 0) return errnoError(path);
    if (S_ISLNK(st.st_mode)) {
        e.flags |= kEntryLink;
        struct stat target;
        if (::stat(p.c_str(), &target) == 0) {
            st = target;
        } else {
            e.flags |= kEntryDangling;
        }
    }
    StoredDosAttrib stored = (e.flags & kEntryDangling) ? StoredDosAttrib{} : readDosAttrib(p);
    fillFromStatus(e, st, name, stored.present ? stored.bits : 0);

    auto it = std::find(listing.folders.begin(), listing.folders.end(), folder);
    if (it == listing.folders.end()) {
        if (listing.folders.size() >= 0xFFFF) return Error{path, EOVERFLOW, "too many folders in one list"};
        listing.folders.push_back(folder);
        it = listing.folders.end() - 1;
    }
    e.folder = static_cast<uint16_t>(it - listing.folders.begin());
    noteOwnIcon(listing, listing.add(name, e), name, p);
    return listing.entries.size() - 1;
}

}  // namespace arbel::lists
