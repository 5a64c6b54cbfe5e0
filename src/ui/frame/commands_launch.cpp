// Launching commands: Edit, Copy Diskette, the system find, and the file dialog
// that locates the user's editor and disk-copy program.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QPointer>
#include <QSortFilterProxyModel>

#include "core/app/file_system.h"
#include "core/config/settings.h"
#include "core/launch/launch.h"
#include "ui/app/bounded_task.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/launch/launch_hooks.h"
#include "ui/lists/file_window.h"
#include "ui/search/findform.h"

namespace arbel::ui {

namespace {

const QString kProgramsFilter = QStringLiteral("Programs and application entries (*)");
const QString kAllFilter = QStringLiteral("All files (*)");

// Shows folders (to move through them), executable files and Desktop Entry
// files; everything while "All files" is chosen.
class ProgramFilter : public QSortFilterProxyModel {
public:
    explicit ProgramFilter(QFileDialog* dialog) : QSortFilterProxyModel(dialog), dialog_(dialog) {}
    void refilter() { invalidateFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (dialog_->selectedNameFilter() == kAllFilter) return true;
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (!files) return true;
        const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
        if (info.isDir()) return true;
        return info.fileName().endsWith(QLatin1String(".desktop"), Qt::CaseInsensitive) ||
               (info.isFile() && info.isExecutable());
    }

private:
    QFileDialog* dialog_;
};

std::optional<std::string> fileDialogProgram(QWidget* parent, const QString& title) {
    QFileDialog dialog(parent, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // the filter needs the proxy
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    auto* filter = new ProgramFilter(&dialog);
    dialog.setProxyModel(filter);
    dialog.setNameFilters({kProgramsFilter, kAllFilter});
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [filter] { filter->refilter(); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QByteArray bytes = QFile::encodeName(dialog.selectedFiles().front());
    return std::string(bytes.constData(), size_t(bytes.size()));
}

const QString kLocateEditor = QStringLiteral("Locate Your Editor Program");
const QString kLocateDiskCopy = QStringLiteral("Locate Your DiskCopy Program");

// Asks for the program and stores the choice; empty when the user cancelled (or
// the choice could not be stored, which was said).
std::string locateAndStore(Tmdimain& frame, const config::Key& key, const QString& title) {
    const std::optional<std::string> chosen = locateProgram(&frame, title);
    if (!chosen || chosen->empty()) return {};
    if (!reportWriteErrors(&frame, [&] { config::setText(frame.config(), key, *chosen); })) return {};
    return *chosen;
}

// The stored program, or the one the user locates now (always with Shift held).
std::string chosenProgram(Tmdimain& frame, const config::Key& key, const QString& title) {
    std::string program = config::getText(frame.config(), key);
    if (program.empty() || launchShiftHeld()) program = locateAndStore(frame, key, title);
    return program;
}

void reportFailure(QWidget* parent, const launch::Launched& started) {
    if (!started.ok()) showMessage(parent, displayPath(started.message), QMessageBox::Warning);
}

// The item Edit hands to the editor, before it is checked to be a file: the
// selected search result, else the first selected entry of the active file window.
std::string editCandidate(const Tmdimain& frame) {
    if (frame.state().fromSearch) {
        if (Tfindform* search = searchWindow(frame)) {
            const std::vector<std::string> paths = search->selectedPaths();
            if (!paths.empty()) return paths.front();
        }
        return {};
    }
    if (FileWindow* w = activeFileWindow(frame)) {
        const std::vector<std::string> paths = w->selectedPaths();
        if (!paths.empty()) return paths.front();
    }
    return {};
}

}  // namespace

LaunchHooks& launchHooks() {
    static LaunchHooks hooks;
    return hooks;
}

std::optional<std::string> locateProgram(QWidget* parent, const QString& title) {
    if (auto& hook = launchHooks().locateProgram) return hook(parent, title);
    return fileDialogProgram(parent, title);
}

bool launchShiftHeld() {
    if (auto& hook = launchHooks().shiftHeld) return hook();
    return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
}

void Tmdimain::editbutClick() {
    const std::string editor = chosenProgram(*this, config::keys::Editor, kLocateEditor);
    if (editor.empty()) return;
    // Only an existing file is handed over, never a folder; whether it is one is
    // asked where a hanging mount cannot freeze the windows. An item that does not
    // answer is left out and the editor starts without it.
    const std::string candidate = editCandidate(*this);
    QPointer<Tmdimain> self(this);
    runBounded<std::string>(
        this, [candidate] { return launch::editorTarget(candidate); },
        [self, editor](std::optional<std::string> target) {
            if (!self) return;
            reportFailure(self, launch::startChosenProgram(editor, target.value_or(std::string())));
        });
}

void Tmdimain::editbutRightClick() {
    (void)locateAndStore(*this, config::keys::Editor, kLocateEditor);
}

void Tmdimain::copydiskbutClick() {
    const std::string program = chosenProgram(*this, config::keys::DiskCopy, kLocateDiskCopy);
    if (program.empty()) return;
    reportFailure(this, launch::startChosenProgram(program, {}));
}

void Tmdimain::copydiskbutRightClick() {
    (void)locateAndStore(*this, config::keys::DiskCopy, kLocateDiskCopy);
}

// The system's find: the desktop's search tool when one is installed, else
// Arbel's own search window on the home folder.
void Tmdimain::findbutRightClick() {
    if (state_.activeDialog != app::DialogTag::None) return;
    const std::string tool = launch::desktopSearchTool();
    if (!tool.empty()) {
        const launch::Launched started = launch::executeFile(tool, {}, homeFolder());
        if (started.ok()) return;
        reportFailure(this, started);
    }
    Tfindform::open(*this)->setStartFolder(homeFolder());
}

}  // namespace arbel::ui
