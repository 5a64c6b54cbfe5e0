#include "core/ops/file_operation.h"

#include <sys/stat.h>

#include <utility>

#include "core/ops/op_runner.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/shutdown.h"

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

namespace {

// A folder copied or moved into itself would never end (copy) or vanish (move).
std::optional<Error> insideRefusal(Operation op, const std::string& source, const struct stat& st,
                                   const std::string& target) {
    if (!S_ISDIR(st.st_mode)) return std::nullopt;
    auto in = isInside(target, st.st_dev, st.st_ino);
    if (!in.ok() || !*in) return std::nullopt;
    return messageError(source, op == Operation::Copy ? "Cannot copy a folder into itself"
                                                      : "Cannot move a folder into itself");
}

}  // namespace

std::optional<Error> intoItselfRefusal(Operation op, const std::string& source,
                                       const std::string& targetFolder) {
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0) return std::nullopt;
    return insideRefusal(op, source, st, targetFolder);
}

namespace {

std::string trimSlashes(std::string p) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

}  // namespace

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

FileStamp FileStamp::of(const struct stat& st) {
    return {st.st_dev, st.st_ino, int64_t(st.st_size), st.st_mtim};
}

FileOperation::FileOperation(Operation op, std::vector<std::string> items, std::string targetFolder,
                             OperationOptions options)
    : op_(op), items_(std::move(items)), target_(trimSlashes(std::move(targetFolder))), options_(options) {
    for (auto& i : items_) i = trimSlashes(i);
}

FileOperation::~FileOperation() = default;

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
            if (auto refusal = insideRefusal(op_.op_, item.source, item.st, op_.target_)) {
                failed(*refusal, false);
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
                    recordMade_ = true;
                    step = copyItem(item, &created, nullptr);
                    recordMade_ = false;
                    if (step == Step::Cancelled) {
                        rollback(created);
                        r.made.clear();
                    }
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

}  // namespace arbel::ops
