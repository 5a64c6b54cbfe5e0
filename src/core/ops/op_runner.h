#pragma once
// Inside the file-operation engine: the plan of a job and the state of one run,
// shared by its parts (op_plan, op_copy, op_move, op_delete). Not for callers.

#include <sys/stat.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "core/ops/file_operation.h"
#include "platform/dir.h"
#include "platform/paths.h"

namespace arbel::ops {

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

enum class Step { Done, Skipped, Failed, Cancelled };

// How often a file written to while it is copied is copied again.
constexpr int kCopyAttempts = 3;

inline Error messageError(std::string path, std::string message, int code = 0) {
    Error e;
    e.path = std::move(path);
    e.code = code;
    e.message = std::move(message);
    return e;
}

// "name (2).ext": the first free name of that form in the folder.
std::string collisionName(const std::string& folder, const std::string& name);

// The item's tree on the shared parallel walk, in depth-first order; never follows
// links, never enters pseudo file systems, and cannot loop through bind mounts.
// Fills item.entries.
void walkItem(FileOperation::PlannedItem& item, const CancelToken& cancel);

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
    bool keepBothAll_ = false;
    bool recordMade_ = false;  // a copy records what it creates in the item's result
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

    // The target exists: Yes = replace, No = skip, KeepBoth, Cancel.
    Answer askReplace(const std::string& source, const std::string& target) {
        if (op_.options_.noConfirmation || replaceAll_ || target == agreed_) return Answer::Yes;
        if (skipAll_) return Answer::No;
        if (keepBothAll_) return Answer::KeepBoth;
        Answer a = q_.replaceExisting(source, target);
        if (a == Answer::YesToAll) replaceAll_ = true;
        if (a == Answer::NoToAll) skipAll_ = true;
        if (a == Answer::KeepBothToAll) keepBothAll_ = true;
        if (a == Answer::Cancel) aborted_ = true;
        if (a == Answer::YesToAll) return Answer::Yes;
        if (a == Answer::NoToAll) return Answer::No;
        if (a == Answer::KeepBothToAll) return Answer::KeepBoth;
        return a;
    }
    // Keep Both: `target` becomes the free name beside it; the item's result
    // follows when it is the item itself.
    void keepBoth(std::string& target) {
        std::string next = joinPath(parentPath(target), collisionName(parentPath(target), baseName(target)));
        if (current_ && current_->target == target) current_->target = next;
        target = std::move(next);
    }

    bool ensureTargetFolder(std::vector<Error>& errors);
    Step copyItem(PlannedItem& item, std::vector<std::string>* created,
                  std::unordered_set<std::string>* copied);
    Step copyFile(const std::string& src, std::string dst, const struct stat& planned,
                  std::vector<std::string>* created);
    Step copyOther(const std::string& src, std::string dst, const struct stat& st,
                   std::vector<std::string>* created);
    Step moveItem(const std::string& src, std::string dst);
    void recordMade(const std::string& path, bool folder, const struct stat& made, const std::string& src,
                    const struct stat& from) {
        if (recordMade_ && current_)
            current_->made.push_back({path, folder, FileStamp::of(made), src, FileStamp::of(from)});
    }
    Step moveAcross(const std::string& src, const std::string& dst, const struct stat& st);
    Step deleteItem(const std::string& path, bool recycle);
    Step removePermanently(const std::string& path);
    void rollback(const std::vector<std::string>& created);
};

}  // namespace arbel::ops
