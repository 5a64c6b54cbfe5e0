#include "core/ops/op_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/fileops.h"
#include "platform/paths.h"

namespace arbel::ops {

// Removes what a cancelled or failed item made, newest first. Best effort: what
// cannot be removed is the item's own copy, never the user's data, so a failure
// here is not worth a question.
void FileOperation::Runner::rollback(const std::vector<std::string>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it) {
        struct stat st;
        if (::lstat(it->c_str(), &st) != 0) continue;
        int rc = S_ISDIR(st.st_mode) ? ::rmdir(it->c_str()) : ::unlink(it->c_str());
        (void)rc;
    }
}

// Copies the planned entries of one item to item.target. `created` collects what
// this call made (for a rollback); `copied` the entries copied whole.
Step FileOperation::Runner::copyItem(PlannedItem& item, std::vector<std::string>* created,
                                     std::unordered_set<std::string>* copied) {
    if (!item.walked) walkItem(item, cancel_);
    for (const auto& e : item.walkErrors) {
        if (failed(e, false), stopped()) return Step::Cancelled;
    }
    std::vector<std::pair<std::string, const struct stat*>> madeDirs;
    std::string skipBelow;  // a folder that could not be made: its contents are skipped
    bool anyFailed = !item.walkErrors.empty(), anySkipped = false, topSkipped = false;
    for (const auto& entry : item.entries) {
        if (stopped()) return Step::Cancelled;
        if (!skipBelow.empty() && isSameOrBelow(entry.rel, skipBelow)) continue;
        std::string src = entry.rel.empty() ? item.source : joinPath(item.source, entry.rel);
        std::string dst = entry.rel.empty() ? item.target : joinPath(item.target, entry.rel);
        op_.setCurrent(src);
        Step step;
        if (S_ISDIR(entry.st.st_mode)) {
            for (;;) {
                targetDir_ = DirHandle();  // folders change: never reuse a stale handle
                if (::mkdir(dst.c_str(), 0700) == 0) {
                    if (created) created->push_back(dst);
                    if (struct stat made; ::lstat(dst.c_str(), &made) == 0)
                        recordMade(dst, true, made, src, entry.st);
                    madeDirs.emplace_back(dst, &entry.st);
                    step = Step::Done;
                    break;
                }
                int err = errno;
                struct stat dst_st;
                if (err == EEXIST && ::lstat(dst.c_str(), &dst_st) == 0 && S_ISDIR(dst_st.st_mode)) {
                    step = Step::Done;  // merge into the folder that is there
                    break;
                }
                if (failed(errnoError(dst, err))) continue;
                step = failStep();
                break;
            }
            if (step != Step::Done) skipBelow = entry.rel.empty() ? std::string("/") : entry.rel;
            if (entry.rel.empty() && step != Step::Done) {
                return step;
            }
        } else {
            step = S_ISREG(entry.st.st_mode) ? copyFile(src, dst, entry.st, created)
                                             : copyOther(src, dst, entry.st, created);
            if (step == Step::Cancelled) return step;  // not a file done, and no report after a cancel
            ++op_.filesDone_;
            q_.onProgress(op_.bytesDone_, op_.filesDone_);
        }
        if (step == Step::Cancelled) return step;
        if (step == Step::Failed) anyFailed = true;
        if (step == Step::Skipped) {
            anySkipped = true;
            if (entry.rel.empty()) topSkipped = true;
        }
        if (step == Step::Done && copied) copied->insert(entry.rel);
        if (entry.rel.empty() && skipBelow == "/") break;
    }
    // Folders get their own mode and time last: writing into them changed the time,
    // and a read-only mode would have refused their contents.
    for (auto it = madeDirs.rbegin(); it != madeDirs.rend(); ++it) {
        const struct stat& st = *it->second;
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::chmod(it->first.c_str(), st.st_mode & 07777) != 0 ||
            ::utimensat(AT_FDCWD, it->first.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
            // The contents are there; the folder's own mode or time is not.
            anyFailed = true;
            if (failed(errnoError(it->first), false), stopped()) return Step::Cancelled;
        }
    }
    if (anyFailed) return Step::Failed;
    if (topSkipped || (anySkipped && item.entries.size() == 1)) return Step::Skipped;
    return Step::Done;
}

Step FileOperation::Runner::copyFile(const std::string& src, std::string dst, const struct stat& planned,
                                     std::vector<std::string>* created) {
    bool replace = false;
    std::string folder = parentPath(dst), name = baseName(dst);
    auto conflict = [&]() -> Step {
        struct stat ss, ds;
        if (::stat(src.c_str(), &ss) == 0 && ::stat(dst.c_str(), &ds) == 0 && sameFile(ss, ds)) {
            failed(messageError(dst, "Can't copy the file on itself"), false);
            return failStep();
        }
        struct stat dl;
        if (::lstat(dst.c_str(), &dl) == 0 && S_ISDIR(dl.st_mode)) {
            failed(errnoError(dst, EISDIR), false);
            return failStep();
        }
        Answer a = askReplace(src, dst);
        if (a == Answer::Cancel) return Step::Cancelled;
        if (a == Answer::No) return Step::Skipped;
        if (a == Answer::KeepBoth) {
            keepBoth(dst);
            name = baseName(dst);
            return Step::Done;
        }
        replace = true;
        return Step::Done;
    };
    struct stat existing;
    if (::lstat(dst.c_str(), &existing) == 0) {
        Step s = conflict();
        if (s != Step::Done) return s;
    }
    int rewrites = 0;
    for (;;) {
        if (stopped()) return Step::Cancelled;
        int in = ::open(src.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (in < 0) {
            if (failed(errnoError(src))) continue;
            return failStep();
        }
        struct stat st;
        int statErr = ::fstat(in, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EINVAL;
        if (statErr) {
            int err = statErr;
            ::close(in);
            if (failed(errnoError(src, err))) continue;
            return failStep();
        }
        // One handle per target folder, reused while its files are copied.
        if (targetDirPath_ != folder || !targetDir_.valid()) {
            targetDirPath_.clear();
            int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) {
                int err = errno;
                ::close(in);
                if (failed(errnoError(dst, err))) continue;
                return failStep();
            }
            targetDir_ = DirHandle(fd);
            targetDirPath_ = folder;
        }
        int dirFd = targetDir_.fd();
        auto temp = createTempBeside(dirFd, name);
        if (!temp.ok()) {
            ::close(in);
            if (failed(errnoError(dst, temp.error().code))) continue;
            return failStep();
        }
        uint64_t copied = 0, counted = 0;
        Status s = copyFileData(in, temp->fd, &copied, [&](uint64_t n) {
            if (cancel_.cancelled()) return false;
            op_.bytesDone_ += n;
            counted += n;
            q_.onProgress(op_.bytesDone_, op_.filesDone_);
            return !cancel_.cancelled();
        });
        // copyFileData continues every short write to its end, so success means the
        // temporary file holds every byte read; then the source's mode and time.
        int err = s.ok() ? 0 : s.error().code;
        struct stat after;
        if (!err && ::fstat(in, &after) == 0 &&
            (after.st_size != st.st_size || after.st_mtim.tv_sec != st.st_mtim.tv_sec ||
             after.st_mtim.tv_nsec != st.st_mtim.tv_nsec)) {
            // Written to while it was copied: the copy may mix old and new data, so
            // it is made again from the file as it is now.
            ::close(in);
            discardTemp(dirFd, *temp);
            op_.bytesDone_ -= counted;
            if (++rewrites < kCopyAttempts) continue;
            failed(messageError(src, "The file kept changing while it was copied"), false);
            return failStep();
        }
        if (!err && ::fchmod(temp->fd, st.st_mode & 07777) != 0) err = errno;
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (!err && ::futimens(temp->fd, times) != 0) err = errno;
        ::close(in);
        // The copy as made: the name it gets keeps this object.
        struct stat made {};
        if (!err && ::fstat(temp->fd, &made) != 0) err = errno;
        for (;;) {
            if (!err) {
                Status r = commitTemp(dirFd, *temp, name, replace);
                if (r.ok()) {
                    if (created && !replace) created->push_back(dst);
                    if (replace && current_) current_->replaced.push_back(dst);
                    if (!replace) recordMade(dst, false, made, src, st);
                    return Step::Done;
                }
                if (r.error().code == EEXIST && !replace) {
                    // Someone made the target while we copied: it is theirs, so ask.
                    Step c = conflict();
                    if (c == Step::Done) continue;
                    discardTemp(dirFd, *temp);
                    op_.bytesDone_ -= counted;
                    return c;
                }
                err = r.error().code;
            }
            discardTemp(dirFd, *temp);
            op_.bytesDone_ -= counted;
            if (err == ECANCELED && cancel_.cancelled()) return stopped(), Step::Cancelled;
            break;
        }
        if (failed(errnoError(dst, err))) continue;
        return failStep();
    }
}

// Links are copied as links; FIFOs and devices are made anew; sockets cannot be.
Step FileOperation::Runner::copyOther(const std::string& src, std::string dst, const struct stat& st,
                                      std::vector<std::string>* created) {
    std::string folder = parentPath(dst), name = baseName(dst);
    for (;;) {
        if (stopped()) return Step::Cancelled;
        struct stat dl;
        bool replace = false;
        if (::lstat(dst.c_str(), &dl) == 0) {
            if (S_ISDIR(dl.st_mode)) {
                failed(errnoError(dst, EISDIR), false);
                return failStep();
            }
            Answer a = askReplace(src, dst);
            if (a == Answer::Cancel) return Step::Cancelled;
            if (a == Answer::No) return Step::Skipped;
            if (a == Answer::KeepBoth) {
                keepBoth(dst);
                name = baseName(dst);
            } else {
                replace = true;
            }
        }
        std::string temp = joinPath(folder, tempNameFor(name));
        int rc;
        if (S_ISLNK(st.st_mode)) {
            std::string target(size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
            ssize_t n = ::readlink(src.c_str(), target.data(), target.size());
            if (n < 0) {
                if (failed(errnoError(src))) continue;
                return failStep();
            }
            target.resize(size_t(n));
            rc = ::symlink(target.c_str(), temp.c_str());
        } else if (S_ISSOCK(st.st_mode)) {
            failed(messageError(src, "A socket cannot be copied"), false);
            return failStep();
        } else {
            rc = ::mknod(temp.c_str(), st.st_mode, st.st_rdev);
        }
        if (rc != 0) {
            if (failed(errnoError(dst))) continue;
            return failStep();
        }
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::utimensat(AT_FDCWD, temp.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
            int err = errno;
            ::unlink(temp.c_str());
            if (failed(errnoError(dst, err))) continue;
            return failStep();
        }
        struct stat made {};
        (void)::lstat(temp.c_str(), &made);
        Status r = replace ? (::rename(temp.c_str(), dst.c_str()) == 0 ? Status{} : Status{errnoError(dst)})
                           : renameNoReplace(temp, dst);
        if (r.ok()) {
            if (created && !replace) created->push_back(dst);
            if (replace && current_) current_->replaced.push_back(dst);
            if (!replace) recordMade(dst, false, made, src, st);
            return Step::Done;
        }
        (void)::unlink(temp.c_str());            // our own temporary entry
        if (r.error().code == EEXIST) continue;  // appeared meanwhile: ask about it
        if (failed(errnoError(dst, r.error().code))) continue;
        return failStep();
    }
}

}  // namespace arbel::ops
