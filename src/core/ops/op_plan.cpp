#include "core/ops/op_runner.h"

#include <sys/stat.h>

#include <cerrno>

#include <memory>
#include <utility>

#include "core/walk/tree_walk.h"
#include "platform/paths.h"

namespace arbel::ops {

namespace {

// The item's tree on the shared walk, handed back in depth-first order (a folder
// before what it holds, entries in the order the folder lists them) on this thread.
struct ItemWalk : walk::Visitor, walk::Sink {
    FileOperation::PlannedItem& item;
    size_t rootLen = 0;

    explicit ItemWalk(FileOperation::PlannedItem& i) : item(i) {}

    void entry(walk::Folder& folder, const walk::Entry& e) override {
        struct stat st;
        if (walk::statEntry(folder.fd(), e.name.data(), STATX_BASIC_STATS, false, st)) {
            folder.emit(e.name, &st, 0);
        } else if (errno != ENOENT) {  // one that vanished meanwhile was never there
            folder.emit(e.name, nullptr, static_cast<uint32_t>(errno));
        }
    }

    std::string rel(const std::string& folder) const {
        return folder.size() > rootLen ? folder.substr(rootLen, folder.size() - rootLen - 1) : std::string();
    }

    bool folder(const FolderReport& r) override {
        const std::string relPath = rel(r.path);
        const std::string path = relPath.empty() ? item.source : joinPath(item.source, relPath);
        switch (r.why) {
            case walk::Skip::None:
                if (!relPath.empty()) item.entries.push_back({relPath, r.st});
                if (r.error != 0) item.walkErrors.push_back(errnoError(path, r.error));
                break;
            case walk::Skip::Unreadable:
                if (r.error != ENOENT) item.walkErrors.push_back(errnoError(path, r.error));
                break;
            case walk::Skip::Pseudo:
                // Its files are made up as they are read: copying them would say it
                // copied what it did not. Said, not skipped silently, at the start.
                if (relPath.empty())
                    item.walkErrors.push_back(
                        messageError(path, "is on a pseudo file system: its contents are not copied"));
                break;
            case walk::Skip::Loop:
            case walk::Skip::OtherMount:
                break;
        }
        return true;
    }

    bool record(const Record& r) override {
        const std::string relPath = rel(r.folder);
        std::string entryRel = relPath.empty() ? std::string(r.name) : relPath + "/" + std::string(r.name);
        if (r.st == nullptr) {
            item.walkErrors.push_back(errnoError(joinPath(item.source, entryRel), static_cast<int>(r.tag)));
        } else {
            item.entries.push_back({std::move(entryRel), *r.st});
        }
        return true;
    }
};

}  // namespace

void walkItem(FileOperation::PlannedItem& item, const CancelToken& cancel) {
    item.walked = true;
    item.entries.clear();
    item.entries.push_back({"", item.st});
    if (!S_ISDIR(item.st.st_mode)) return;
    ItemWalk w(item);
    w.rootLen = item.source == "/" ? 1 : item.source.size() + 1;
    walk::Control control(&cancel);
    walk::Options o;
    o.ordered = true;
    o.followStart = false;  // the item is what lstat saw: a link is copied as a link
    walk::Walker walker(w, control, o);
    if (!walker.walk(item.source, &w) && walker.startSkip() == walk::Skip::Unreadable)
        item.walkErrors.push_back(errnoError(item.source, walker.startError()));
}

void FileOperation::plan() {
    CancelToken never;
    plan(never);
}

void FileOperation::plan(const CancelToken& cancel) {
    if (planned_) return;
    planned_ = std::make_unique<std::vector<PlannedItem>>();
    uint64_t bytes = 0, files = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        const std::string& source = items_[i];
        PlannedItem item;
        item.source = source;
        if (op_ == Operation::Copy || op_ == Operation::Move) {
            bool renamed = i < targetNames_.size() && !targetNames_[i].empty();
            item.target = joinPath(target_, renamed ? targetNames_[i] : baseName(source));
        }
        struct stat st;
        if (::lstat(source.c_str(), &st) == 0) {
            item.statOk = true;
            item.st = st;
        } else {
            item.statError = errnoError(source);
        }
        if (item.statOk && op_ == Operation::Copy) {
            walkItem(item, cancel);
            for (const auto& e : item.entries) {
                if (S_ISDIR(e.st.st_mode)) continue;
                ++files;
                if (S_ISREG(e.st.st_mode)) bytes += uint64_t(e.st.st_size);
            }
        } else if (op_ == Operation::Move) {
            ++files;
        }
        planned_->push_back(std::move(item));
    }
    bytesTotal_ = bytes;
    filesTotal_ = files;
}

}  // namespace arbel::ops
