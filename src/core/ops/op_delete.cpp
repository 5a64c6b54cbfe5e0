#include "core/ops/op_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/trash.h"

namespace arbel::ops {

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
        TrashedItem where;
        Status s = moveToTrash(path, where);
        if (s.ok()) {
            if (current_) current_->trashed = where;
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
