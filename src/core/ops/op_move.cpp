#include "core/ops/op_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <unordered_map>

#include "platform/fileops.h"
#include "platform/paths.h"

namespace arbel::ops {

Step FileOperation::Runner::moveItem(const std::string& src, std::string dst) {
    for (;;) {
        if (stopped()) return Step::Cancelled;
        struct stat ss;
        if (::lstat(src.c_str(), &ss) != 0) {
            if (failed(errnoError(src))) continue;
            return failStep();
        }
        if (S_ISDIR(ss.st_mode)) {
            // A mount point is not ours to move, and "/" has nowhere to go.
            struct stat ps;
            if (src == "/" || (::lstat(parentPath(src).c_str(), &ps) == 0 && ps.st_dev != ss.st_dev)) {
                failed(messageError(src, "Cannot move a mount point"), false);
                return failStep();
            }
        }
        op_.setCurrent(src);
        struct stat ds;
        bool replace = false;
        if (::lstat(dst.c_str(), &ds) == 0) {
            if (sameFile(ss, ds)) {
                failed(messageError(src, "The source and the target are the same"), false);
                return failStep();
            }
            if (S_ISDIR(ss.st_mode) && S_ISDIR(ds.st_mode)) {
                if (ss.st_dev != ds.st_dev) return moveAcross(src, dst, ss);
                // Merge: move what the folder holds, then remove it if it is empty.
                if (current_ && current_->source == src) current_->merged = true;
                auto dir = DirHandle::open(src, true);
                if (!dir.ok()) {
                    if (failed(dir.error())) continue;
                    return failStep();
                }
                std::vector<std::string> names;
                (void)forEachEntry(*dir, [&](const RawEntry& e) {
                    names.emplace_back(e.name);
                    return true;
                });
                Step all = Step::Done;
                for (const auto& n : names) {
                    Step s = moveItem(joinPath(src, n), joinPath(dst, n));
                    if (s == Step::Cancelled) return s;
                    if (s != Step::Done && all != Step::Failed) all = s;
                }
                if (all == Step::Done && ::rmdir(src.c_str()) != 0) {
                    // Emptied, yet it will not go (something appeared, or no right).
                    failed(errnoError(src), false);
                    all = failStep();
                }
                return all;
            }
            if (S_ISDIR(ss.st_mode) != S_ISDIR(ds.st_mode)) {
                failed(errnoError(dst, S_ISDIR(ds.st_mode) ? EISDIR : ENOTDIR), false);
                return failStep();
            }
            Answer a = askReplace(src, dst);
            if (a == Answer::Cancel) return Step::Cancelled;
            if (a == Answer::No) return Step::Skipped;
            if (a == Answer::KeepBoth) {
                keepBoth(dst);
                continue;  // the free name, checked like any target
            }
            replace = true;
        }
        Status r = replace ? (::rename(src.c_str(), dst.c_str()) == 0 ? Status{} : Status{errnoError(dst)})
                           : renameNoReplace(src, dst);
        if (r.ok()) {
            if (replace && current_) current_->replaced.push_back(dst);
            return Step::Done;
        }
        int err = r.error().code;
        if (err == EEXIST && !replace) continue;  // appeared meanwhile: ask
        if (err == EXDEV) {
            if (replace) agreed_ = dst;
            Step s = moveAcross(src, dst, ss);
            agreed_.clear();
            if (s == Step::Done && replace && current_) current_->replaced.push_back(dst);
            return s;
        }
        if (failed(errnoError(src, err))) continue;
        return failStep();
    }
}

// Across file systems: copy everything, make it durable, then delete from the
// source only what was copied whole and has not changed since.
Step FileOperation::Runner::moveAcross(const std::string& src, const std::string& dst,
                                       const struct stat& st) {
    PlannedItem item;
    item.source = src;
    item.target = dst;
    item.statOk = true;
    item.st = st;
    walkItem(item, cancel_);
    uint64_t bytes = 0;
    for (const auto& e : item.entries)
        if (S_ISREG(e.st.st_mode)) bytes += uint64_t(e.st.st_size);
    op_.bytesTotal_ += bytes;
    std::vector<std::string> created;
    std::unordered_set<std::string> copied;
    Step step = copyItem(item, &created, &copied);
    if (step == Step::Cancelled) {
        rollback(created);
        return step;
    }
    if (step == Step::Failed) {
        // Part of the item could not be copied: it stays whole in the source rather
        // than being split between two places; what this move made is removed.
        rollback(created);
        return step;
    }
    // The copy must be on the disk before the source goes.
    int fd = ::open(parentPath(dst).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int err = fd < 0 ? errno : ::syncfs(fd) == 0 ? 0 : errno;
    if (fd >= 0) ::close(fd);
    if (err) {
        rollback(created);
        failed(errnoError(dst, err), false);
        return Step::Failed;
    }
    std::unordered_map<std::string, const struct stat*> plannedByRel;
    for (const auto& e : item.entries) plannedByRel[e.rel] = &e.st;
    RemoveHooks hooks;
    hooks.cancel = nullptr;  // the copy is complete: finish removing what it replaced
    bool changed = false;    // something copied differs now from what the walk saw
    hooks.shouldRemove = [&](const std::string& rel, const struct stat& now) {
        if (!copied.count(rel)) {
            // Declined or new since the walk: it stays where it is.
            if (!plannedByRel.count(rel)) changed = true;
            return false;
        }
        const struct stat* was = plannedByRel[rel];
        bool same = sameFile(*was, now) &&
                    (S_ISDIR(now.st_mode) ||
                     (now.st_size == was->st_size && now.st_mtim.tv_sec == was->st_mtim.tv_sec &&
                      now.st_mtim.tv_nsec == was->st_mtim.tv_nsec));
        if (!same) changed = true;
        return same;
    };
    hooks.onError = [&](const Error& e) { return (failed(e, false), !stopped()); };
    int parent = ::open(parentPath(src).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0) {
        failed(errnoError(src), false);
        return Step::Failed;
    }
    DirHandle ph(parent);
    RemoveOutcome out = removeTree(parent, baseName(src), src, hooks);
    if (step != Step::Done) return step;
    if (out == RemoveOutcome::Incomplete) {
        // Something changed or appeared in the source while it was copied: it stays.
        if (changed) failed(messageError(src, "Changed while it was moved; the source was kept"), false);
        // What the user declined to replace stays too, and is no failure.
        return changed || !current_ || !current_->errors.empty() ? Step::Failed : Step::Done;
    }
    return out == RemoveOutcome::Done ? Step::Done : Step::Cancelled;
}

}  // namespace arbel::ops
