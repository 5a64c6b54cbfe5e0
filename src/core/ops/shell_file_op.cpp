#include "core/ops/shell_file_op.h"

namespace arbel::ops {

ItemList& processItemList() {
    static ItemList list;
    return list;
}

bool TShellFileOp::Copy(const std::string& targetFolder) {
    target_ = targetFolder;
    return execute(Operation::Copy);
}

bool TShellFileOp::Move(const std::string& targetFolder) {
    target_ = targetFolder;
    return execute(Operation::Move);
}

bool TShellFileOp::Delete() {
    allowUndo_ = false;
    return execute(Operation::Delete);
}

bool TShellFileOp::Recycle() {
    allowUndo_ = true;
    return execute(Operation::Recycle);
}

std::unique_ptr<FileOperation> TShellFileOp::prepare(Operation op, const std::string& targetFolder) {
    if (list_.items.empty()) return nullptr;
    OperationOptions options;
    options.noConfirmation = NoConfirmation;
    bool deleting = op == Operation::Delete || op == Operation::Recycle;
    options.autoMakeDir = AutoMakeDir && !deleting;
    options.renameOnCollision = RenameOnCollision && !deleting;
    auto job =
        std::make_unique<FileOperation>(op, list_.items, deleting ? std::string() : targetFolder, options);
    if (!deleting && !TargetName.empty() && list_.items.size() == 1) job->setTargetName(0, TargetName);
    return job;
}

bool TShellFileOp::execute(Operation op) {
    result_ = {};
    std::unique_ptr<FileOperation> job = prepare(op, target_);
    if (!job) return false;
    if (runner_) {
        result_ = runner_(*job);
    } else {
        for (const auto& item : list_.items) {
            ItemResult r;
            r.source = item;
            r.outcome = Outcome::NotDone;
            r.errors.push_back(Error{item, 0, "No one to carry out the operation"});
            result_.items.push_back(std::move(r));
        }
    }
    if (!list_.keep) list_.items.clear();
    return result_.aborted;
}

}  // namespace arbel::ops
