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

bool TShellFileOp::execute(Operation op) {
    result_ = {};
    if (list_.items.empty()) return false;
    OperationOptions options;
    options.noConfirmation = NoConfirmation;
    bool deleting = op == Operation::Delete || op == Operation::Recycle;
    options.autoMakeDir = AutoMakeDir && !deleting;
    options.renameOnCollision = RenameOnCollision && !deleting;
    FileOperation job(op, list_.items, deleting ? std::string() : target_, options);
    if (!deleting && !TargetName.empty() && list_.items.size() == 1) job.setTargetName(0, TargetName);
    if (runner_) {
        result_ = runner_(job);
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
