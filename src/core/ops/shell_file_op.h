#pragma once
// TShellFileOp: copy, move, delete or recycle the whole ItemList in one
// operation, with the dialogs' flags. Besides the "aborted" answer it keeps every
// item's outcome, so a failure is never taken for success.

#include <functional>
#include <memory>
#include <string>

#include "core/ops/file_operation.h"
#include "core/ops/item_list.h"

namespace arbel::ops {

class TShellFileOp {
public:
    explicit TShellFileOp(ItemList& list) : list_(list) {}

    bool FilesOnly = false;          // kept for its meaning; names are never wildcards here
    bool NoConfirmation = false;     // replace and delete without asking
    bool AutoMakeDir = false;        // create a missing target folder without asking
    bool RenameOnCollision = false;  // copy onto a taken name as "name (2)"
    bool Animate = true;             // false: no progress window
    std::string ProgressTitle;
    std::string TargetName;  // rename on copy: the single item goes under this name

    // The job for `op` with the component's flags, or null when the list is empty:
    // for callers that run it themselves (the interface, on its background job).
    std::unique_ptr<FileOperation> prepare(Operation op, const std::string& targetFolder = {});

    // Runs one job to its end, synchronously, for the Copy ... Recycle calls below.
    using JobRunner = std::function<OperationResult(FileOperation& job)>;
    void setRunner(JobRunner runner) { runner_ = std::move(runner); }

    // Each returns true when the user aborted at least part of the operation.
    bool Copy(const std::string& targetFolder);
    bool Move(const std::string& targetFolder);
    bool Delete();
    bool Recycle();

    bool AllowUndo() const { return allowUndo_; }
    const std::string& target() const { return target_; }
    const OperationResult& lastResult() const { return result_; }

private:
    bool execute(Operation op);
    ItemList& list_;
    JobRunner runner_;
    bool allowUndo_ = false;
    std::string target_;
    OperationResult result_;
};

}  // namespace arbel::ops
