#include "core/ops/op_runner.h"

#include <sys/stat.h>

#include <memory>
#include <set>
#include <utility>

#include "platform/paths.h"
#include "platform/volumes.h"

namespace arbel::ops {

void walkItem(FileOperation::PlannedItem& item, const CancelToken& cancel) {
    item.walked = true;
    item.entries.clear();
    item.entries.push_back({"", item.st});
    if (!S_ISDIR(item.st.st_mode)) return;
    struct Frame {
        DirHandle dir;
        std::string rel;
        std::vector<std::string> names;
        size_t next = 0;
    };
    std::set<std::pair<dev_t, ino_t>> visited{{item.st.st_dev, item.st.st_ino}};
    std::vector<Frame> stack;
    auto enter = [&](DirHandle dir, const std::string& rel) {
        Frame f;
        f.dir = std::move(dir);
        f.rel = rel;
        Status s = forEachEntry(f.dir, [&](const RawEntry& e) {
            f.names.emplace_back(e.name);
            return true;
        });
        if (!s.ok()) {
            item.walkErrors.push_back(
                errnoError(rel.empty() ? item.source : joinPath(item.source, rel), s.error().code));
            return;
        }
        stack.push_back(std::move(f));
    };
    auto root = DirHandle::open(item.source, true);
    if (!root.ok()) {
        item.walkErrors.push_back(errnoError(item.source, root.error().code));
        return;
    }
    enter(std::move(*root), {});
    while (!stack.empty()) {
        if (cancel.cancelled()) return;
        Frame& f = stack.back();
        if (f.next >= f.names.size()) {
            stack.pop_back();
            continue;
        }
        std::string name = f.names[f.next++];
        std::string rel = f.rel.empty() ? name : f.rel + "/" + name;
        auto st = statAt(f.dir, name, false);
        if (!st.ok()) {
            if (st.error().code != ENOENT)
                item.walkErrors.push_back(errnoError(joinPath(item.source, rel), st.error().code));
            continue;
        }
        if (!S_ISDIR(st->st_mode)) {
            item.entries.push_back({rel, *st});
            continue;
        }
        if (!visited.insert({st->st_dev, st->st_ino}).second) continue;
        auto child = f.dir.openChild(name);
        if (!child.ok()) {
            item.walkErrors.push_back(errnoError(joinPath(item.source, rel), child.error().code));
            continue;
        }
        if (isPseudoFileSystemAt(child->fd())) continue;
        item.entries.push_back({rel, *st});
        enter(std::move(*child), rel);
    }
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
