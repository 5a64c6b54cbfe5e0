// Change of case of the selected names of the active file window.
#include <QPointer>
#include <optional>

#include "core/commands/case_change.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/ops/undo_journal.h"

namespace arbel::ui {

namespace {

const QString kContinueQuestion = QStringLiteral("Continue with other files?");

}  // namespace

void renameIt(Tmdimain& frame, commands::CaseMode mode) {
    if (!commands::gateOpen(commands::Command::ChangeCaseMenu, commandState(frame))) return;
    FileWindow* window = activeFileWindow(frame);
    if (!window) return;
    app::AppState& st = frame.state();
    const bool isAuto = st.activeKind == app::ActiveKind::Auto;
    QPointer<FileWindow> remembered(window);
    const std::string folder = window->shownFolder();
    const std::vector<std::string> names = window->selectedNames();
    const bool several = names.size() > 1;

    WaitCursor wait;
    FrozenUpdates frozen(frame.clientArea());
    bool changed = false;
    std::vector<std::pair<std::string, std::string>> renamed;  // for undo
    std::vector<bool> folders;
    for (const std::string& name : names) {
        auto done = commands::changeCaseOnDisk(folder, name, mode);
        if (!done) {
            const QString text = displayPath(done.error().message);
            if (!several) {
                showMessage(&frame, text);
            } else if (!askOkCancel(&frame, text + QStringLiteral("\n\n") + kContinueQuestion)) {
                break;  // renames already done stay
            }
            continue;
        }
        if (done->newName == done->oldName) continue;
        changed = true;
        renamed.emplace_back(joinPath(folder, done->oldName), joinPath(folder, done->newName));
        folders.push_back(done->isFolder);
        if (done->isFolder) {
            // The tree's selection handler must know the rename is ours.
            std::optional<app::ScopedRefreshSignal> signal;
            if (isAuto) signal.emplace(st, app::RefreshSignal::Lowercase);
            treeFolderRenamed(frame, joinPath(folder, done->oldName), done->newName);
        }
    }

    undoJournal(frame).recordRenames(ops::UndoKind::CaseChange, renamed, folders);
    // Every window on the folder, the active one too, shows the new names.
    if (changed) frame.cappything(folder);
    if (remembered) frame.activateChild(remembered);
}

}  // namespace arbel::ui
