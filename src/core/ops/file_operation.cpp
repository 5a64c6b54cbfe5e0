#include "core/ops/file_operation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/dir.h"
#include "platform/fileops.h"
#include "platform/shutdown.h"
#include "platform/trash.h"
#include "platform/volumes.h"

namespace arbel::ops {

bool OperationResult::allDone() const {
    if (aborted) return false;
    for (const auto& i : items)
        if (i.outcome != Outcome::Done) return false;
    return true;
}

std::vector<Error> OperationResult::errors() const {
    std::vector<Error> out;
    for (const auto& i : items) out.insert(out.end(), i.errors.begin(), i.errors.end());
    return out;
}

struct FileOperation::Entry {
    std::string rel;  // relative to the item; "" for the item itself
    struct stat st {};
};

struct FileOperation::PlannedItem {
    std::string source;
    std::string target;
    bool statOk = false;
    struct stat st {};
    Error statError;
    bool walked = false;
    std::vector<Entry> entries;  // pre-order: a folder comes before what it holds
    std::vector<Error> walkErrors;
};

namespace {

std::string trimSlashes(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

Error messageError(std::string path, std::string message, int code = 0) {
    Error e;
    e.path = std::move(path);
    e.code = code;
    e.message = std::move(message);
    return e;
}

// Depth-first walk on directory handles; never follows links, never enters
// pseudo file systems, and cannot loop through bind mounts.
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

// "name (2).ext" style: the first free name in the folder.
std::string collisionName(const std::string& folder, const std::string& name) {
    std::string stem = name, ext;
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        stem = name.substr(0, dot);
        ext = name.substr(dot);
    }
    for (int n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
        struct stat st;
        if (::lstat(joinPath(folder, candidate).c_str(), &st) != 0) return candidate;
    }
}

enum class Step { Done, Skipped, Failed, Cancelled };

// How often a file written to while it is copied is copied again.
constexpr int kCopyAttempts = 3;

}  // namespace

// The state of one run: the questions' "for all" answers, the cancel token and the
// abort flag.
class FileOperation::Runner {
public:
    Runner(FileOperation& op, OperationQuestions& q, const CancelToken& cancel)
        : op_(op), q_(q), cancel_(cancel) {}

    OperationResult run();

private:
    FileOperation& op_;
    OperationQuestions& q_;
    const CancelToken& cancel_;
    bool aborted_ = false;
    bool replaceAll_ = false, skipAll_ = false;
    bool deleteAll_ = false, keepAll_ = false;
    bool permanentAll_ = false, notPermanentAll_ = false;
    ItemResult* current_ = nullptr;
    std::string agreed_;  // a target the user already agreed to replace
    DirHandle targetDir_;
    std::string targetDirPath_;

    bool stopped() {
        if (cancel_.cancelled()) aborted_ = true;
        return aborted_;
    }
    // The outcome of a step that could not be done: cancelled when the job stops.
    Step failStep() { return stopped() ? Step::Cancelled : Step::Failed; }

    // Reports a failure; true = try again.
    bool failed(Error e, bool canRetry = true) {
        if (current_) current_->errors.push_back(e);
        ErrorAnswer a = q_.onError(e);
        if (a == ErrorAnswer::Abort) aborted_ = true;
        if (a == ErrorAnswer::Retry && canRetry && !stopped()) {
            if (current_) current_->errors.pop_back();
            return true;
        }
        return false;
    }

    // The target exists: Yes = replace, No = skip, Cancel.
    Answer askReplace(const std::string& source, const std::string& target) {
        if (op_.options_.noConfirmation || replaceAll_ || target == agreed_) return Answer::Yes;
        if (skipAll_) return Answer::No;
        Answer a = q_.replaceExisting(source, target);
        if (a == Answer::YesToAll) replaceAll_ = true;
        if (a == Answer::NoToAll) skipAll_ = true;
        if (a == Answer::Cancel) aborted_ = true;
        return a == Answer::YesToAll ? Answer::Yes : a == Answer::NoToAll ? Answer::No : a;
    }

    bool ensureTargetFolder(std::vector<Error>& errors);
    Step copyItem(PlannedItem& item, std::vector<std::string>* created,
                  std::unordered_set<std::string>* copied);
    Step copyFile(const std::string& src, const std::string& dst, const struct stat& planned,
                  std::vector<std::string>* created);
    Step copyOther(const std::string& src, const std::string& dst, const struct stat& st,
                   std::vector<std::string>* created);
    Step moveItem(const std::string& src, const std::string& dst);
    Step moveAcross(const std::string& src, const std::string& dst, const struct stat& st);
    Step deleteItem(const std::string& path, bool recycle);
    Step removePermanently(const std::string& path);
    void rollback(const std::vector<std::string>& created);
};

FileOperation::FileOperation(Operation op, std::vector<std::string> items, std::string targetFolder,
                             OperationOptions options)
    : op_(op), items_(std::move(items)), target_(trimSlashes(std::move(targetFolder))), options_(options) {
    for (auto& i : items_) i = trimSlashes(i);
}

FileOperation::~FileOperation() {
    delete planned_;
}

void FileOperation::setTargetName(size_t index, std::string name) {
    if (index >= items_.size()) return;
    targetNames_.resize(items_.size());
    targetNames_[index] = std::move(name);
}

void FileOperation::setCurrent(const std::string& path) {
    std::lock_guard lock(currentMutex_);
    current_ = path;
}

Progress FileOperation::progress() const {
    Progress p;
    p.bytesDone = bytesDone_.load();
    p.bytesTotal = bytesTotal_.load();
    p.filesDone = filesDone_.load();
    p.filesTotal = filesTotal_.load();
    std::lock_guard lock(currentMutex_);
    p.current = current_;
    return p;
}

void FileOperation::plan() {
    CancelToken never;
    plan(never);
}

void FileOperation::plan(const CancelToken& cancel) {
    if (planned_) return;
    planned_ = new std::vector<PlannedItem>();
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

OperationResult FileOperation::run(OperationQuestions& questions, const CancelToken& cancel) {
    JobScope running;  // the program waits for the cleanup before it exits
    plan(cancel);
    Runner runner(*this, questions, cancel);
    OperationResult result = runner.run();
    result.operation = op_;
    result.targetFolder = target_;
    // The state each item was left in, recorded once here for whoever acts on it.
    for (ItemResult& r : result.items) {
        struct stat st;
        r.sourceGone = ::lstat(r.source.c_str(), &st) != 0;
        r.targetFolder = !r.target.empty() && ::stat(r.target.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    return result;
}

bool FileOperation::Runner::ensureTargetFolder(std::vector<Error>& errors) {
    struct stat st;
    const std::string& target = op_.target_;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        errors.push_back(errnoError(target, ENOTDIR));
        q_.onError(errors.back());
        return false;
    }
    if (!op_.options_.autoMakeDir && !q_.createTargetFolder(target)) {
        aborted_ = true;
        return false;
    }
    for (;;) {
        Status s = makeDirs(target);
        if (s.ok()) return true;
        ErrorAnswer a = q_.onError(s.error());
        if (a == ErrorAnswer::Retry && !stopped()) continue;
        if (a == ErrorAnswer::Abort) aborted_ = true;
        errors.push_back(s.error());
        return false;
    }
}

OperationResult FileOperation::Runner::run() {
    OperationResult result;
    auto& planned = *op_.planned_;
    result.items.resize(planned.size());
    for (size_t i = 0; i < planned.size(); ++i) {
        result.items[i].source = planned[i].source;
        result.items[i].target = planned[i].target;
    }
    bool copyOrMove = op_.op_ == Operation::Copy || op_.op_ == Operation::Move;
    std::vector<Error> targetErrors;
    if (copyOrMove && !planned.empty() && !ensureTargetFolder(targetErrors)) {
        result.aborted = aborted_;
        for (auto& r : result.items) {
            r.outcome = aborted_ ? Outcome::NotDone : Outcome::Failed;
            r.errors = targetErrors;
        }
        return result;
    }
    for (size_t i = 0; i < planned.size(); ++i) {
        if (stopped()) break;
        PlannedItem& item = planned[i];
        ItemResult& r = result.items[i];
        current_ = &r;
        op_.setCurrent(item.source);
        Step step = Step::Failed;
        if (!item.statOk) {
            failed(item.statError, false);
        } else if (op_.op_ == Operation::Delete || op_.op_ == Operation::Recycle) {
            step = deleteItem(item.source, op_.op_ == Operation::Recycle);
        } else {
            // A folder copied or moved into itself would never end (copy) or vanish (move).
            bool inside = false;
            if (S_ISDIR(item.st.st_mode)) {
                auto in = isInside(op_.target_, item.st.st_dev, item.st.st_ino);
                inside = in.ok() && *in;
            }
            if (inside) {
                failed(messageError(item.source, op_.op_ == Operation::Copy
                                                     ? "Cannot copy a folder into itself"
                                                     : "Cannot move a folder into itself"),
                       false);
            } else {
                if (op_.options_.renameOnCollision) {
                    struct stat st;
                    if (::lstat(item.target.c_str(), &st) == 0) {
                        item.target =
                            joinPath(op_.target_, collisionName(op_.target_, baseName(item.target)));
                        r.target = item.target;
                    }
                }
                if (op_.op_ == Operation::Copy) {
                    std::vector<std::string> created;
                    step = copyItem(item, &created, nullptr);
                    if (step == Step::Cancelled) rollback(created);
                } else {
                    step = moveItem(item.source, item.target);
                }
            }
        }
        switch (step) {
            case Step::Done:
                r.outcome = r.errors.empty() ? Outcome::Done : Outcome::Failed;
                break;
            case Step::Skipped:
                r.outcome = r.errors.empty() ? Outcome::Skipped : Outcome::Failed;
                break;
            case Step::Failed:
                r.outcome = Outcome::Failed;
                break;
            case Step::Cancelled:
                r.outcome = Outcome::NotDone;
                break;
        }
        if (op_.op_ == Operation::Move) ++op_.filesDone_;
    }
    current_ = nullptr;
    result.aborted = aborted_ || cancel_.cancelled();
    op_.setCurrent({});
    return result;
}

void FileOperation::Runner::rollback(const std::vector<std::string>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it) {
        struct stat st;
        if (::lstat(it->c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode))
            ::rmdir(it->c_str());
        else
            ::unlink(it->c_str());
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
        } else if (S_ISREG(entry.st.st_mode)) {
            step = copyFile(src, dst, entry.st, created);
            ++op_.filesDone_;
            q_.onProgress(op_.bytesDone_, op_.filesDone_);
        } else {
            step = copyOther(src, dst, entry.st, created);
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
        ::chmod(it->first.c_str(), st.st_mode & 07777);
        struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::utimensat(AT_FDCWD, it->first.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    if (anyFailed) return Step::Failed;
    if (topSkipped || (anySkipped && item.entries.size() == 1)) return Step::Skipped;
    return Step::Done;
}

Step FileOperation::Runner::copyFile(const std::string& src, const std::string& dst,
                                     const struct stat& planned, std::vector<std::string>* created) {
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
        for (;;) {
            if (!err) {
                Status r = commitTemp(dirFd, *temp, name, replace);
                if (r.ok()) {
                    if (created && !replace) created->push_back(dst);
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
Step FileOperation::Runner::copyOther(const std::string& src, const std::string& dst, const struct stat& st,
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
            replace = true;
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
        ::utimensat(AT_FDCWD, temp.c_str(), times, AT_SYMLINK_NOFOLLOW);
        Status r = replace ? (::rename(temp.c_str(), dst.c_str()) == 0 ? Status{} : Status{errnoError(dst)})
                           : renameNoReplace(temp, dst);
        if (r.ok()) {
            if (created && !replace) created->push_back(dst);
            return Step::Done;
        }
        ::unlink(temp.c_str());
        if (r.error().code == EEXIST) continue;  // appeared meanwhile: ask about it
        if (failed(errnoError(dst, r.error().code))) continue;
        return failStep();
    }
}

Step FileOperation::Runner::moveItem(const std::string& src, const std::string& dst) {
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
                if (all == Step::Done) ::rmdir(src.c_str());
                return all;
            }
            if (S_ISDIR(ss.st_mode) != S_ISDIR(ds.st_mode)) {
                failed(errnoError(dst, S_ISDIR(ds.st_mode) ? EISDIR : ENOTDIR), false);
                return failStep();
            }
            Answer a = askReplace(src, dst);
            if (a == Answer::Cancel) return Step::Cancelled;
            if (a == Answer::No) return Step::Skipped;
            replace = true;
        }
        Status r = replace ? (::rename(src.c_str(), dst.c_str()) == 0 ? Status{} : Status{errnoError(dst)})
                           : renameNoReplace(src, dst);
        if (r.ok()) return Step::Done;
        int err = r.error().code;
        if (err == EEXIST && !replace) continue;  // appeared meanwhile: ask
        if (err == EXDEV) {
            if (replace) agreed_ = dst;
            Step s = moveAcross(src, dst, ss);
            agreed_.clear();
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
    int fd = ::open(parentPath(dst).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        int err = ::syncfs(fd) == 0 ? 0 : errno;
        ::close(fd);
        if (err) {
            rollback(created);
            failed(errnoError(dst, err), false);
            return Step::Failed;
        }
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

Step FileOperation::Runner::deleteItem(const std::string& path, bool recycle) {
    if (!op_.options_.noConfirmation && !deleteAll_) {
        if (keepAll_) return Step::Skipped;
        Answer a = q_.confirmDelete(path, recycle);
        if (a == Answer::Cancel) return (aborted_ = true), Step::Cancelled;
        if (a == Answer::NoToAll) keepAll_ = true;
        if (a == Answer::No || a == Answer::NoToAll) return Step::Skipped;
        if (a == Answer::YesToAll) deleteAll_ = true;
    }
    struct stat st, ps;
    if (::lstat(path.c_str(), &st) != 0) {
        failed(errnoError(path), false);
        return failStep();
    }
    if (path == "/" || path.empty() ||
        (S_ISDIR(st.st_mode) && ::lstat(parentPath(path).c_str(), &ps) == 0 && ps.st_dev != st.st_dev)) {
        failed(messageError(path, "Cannot delete a mount point"), false);
        return failStep();
    }
    if (recycle) {
        Status s = moveToTrash(path);
        if (s.ok()) {
            ++op_.filesDone_;
            return Step::Done;
        }
        struct stat still;
        if (::lstat(path.c_str(), &still) != 0) {
            failed(s.error(), false);
            return failStep();
        }
        // No trash here: deleting for good needs the user's word.
        if (notPermanentAll_) return Step::Skipped;
        if (!permanentAll_) {
            Answer a = q_.deletePermanently(path, s.error());
            if (a == Answer::Cancel) return (aborted_ = true), Step::Cancelled;
            if (a == Answer::NoToAll) notPermanentAll_ = true;
            if (a == Answer::No || a == Answer::NoToAll) return Step::Skipped;
            if (a == Answer::YesToAll) permanentAll_ = true;
        }
    }
    return removePermanently(path);
}

Step FileOperation::Runner::removePermanently(const std::string& path) {
    for (;;) {
        int parent = ::open(parentPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parent < 0) {
            if (failed(errnoError(path))) continue;
            return failStep();
        }
        DirHandle ph(parent);
        bool retry = false;
        RemoveHooks hooks;
        hooks.cancel = &cancel_;
        hooks.onError = [&](const Error& e) {
            if (current_) current_->errors.push_back(e);
            ErrorAnswer a = q_.onError(e);
            if (a == ErrorAnswer::Abort) aborted_ = true;
            if (a == ErrorAnswer::Retry) {
                if (current_) current_->errors.pop_back();
                retry = true;
            }
            return !aborted_;
        };
        hooks.removed = [&](const std::string& rel, bool isDir) {
            if (!isDir) ++op_.filesDone_;
            q_.onProgress(op_.bytesDone_, op_.filesDone_);
            if (rel.empty() || (op_.filesDone_ & 255) == 0) op_.setCurrent(joinPath(path, rel));
        };
        RemoveOutcome out = removeTree(parent, baseName(path), path, hooks);
        switch (out) {
            case RemoveOutcome::Done:
                return Step::Done;
            case RemoveOutcome::Cancelled:
                return (aborted_ = true), Step::Cancelled;
            case RemoveOutcome::Stopped:
                return Step::Cancelled;
            case RemoveOutcome::Incomplete:
                if (retry && !stopped()) continue;
                return Step::Failed;
        }
    }
}

}  // namespace arbel::ops
