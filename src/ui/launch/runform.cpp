#include "ui/launch/runform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <optional>

#include "core/app/file_system.h"
#include "core/commands/gates.h"
#include "core/config/settings.h"
#include "core/launch/launch.h"
#include "ui/app/bounded_task.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/launch/launch_dialog_support.h"
#include "ui/ops/file_label.h"

namespace arbel::ui {

Trunform::Trunform(Tmdimain& frame, std::string folder, const std::string& command)
    : OperationDialog(frame, app::DialogTag::RunForm, QStringLiteral("runform"), QStringLiteral("Run")),
      folder_(std::move(folder)) {
    auto* grid = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Command Line:"), this);
    ComboBox1 = new QComboBox(this);
    fillHistoryBox(ComboBox1, frame_.config().readHistory(config::sections::Runs));
    ComboBox1->setMinimumWidth(360);
    Edit1 = ComboBox1->lineEdit();
    Edit1->setText(displayPath(command));
    Label2 = new QLabel(QStringLiteral("Current Folder:"), this);
    label3 = new TFileLabel(this);
    label3->setFileName(folder_);
    Button1 = new QPushButton(QStringLiteral("Open"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(ComboBox1, 1, 0, 1, 3);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(label3, 2, 1, 1, 2);
    grid->addWidget(Button1, 3, 1);
    grid->addWidget(Button2, 3, 2);
    connect(Button1, &QPushButton::clicked, this, &Trunform::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    // A history entry chosen: it is the command, ready to be changed.
    connect(ComboBox1, &QComboBox::activated, this, [this] { Edit1->setFocus(); });
    watchConfirmKeys(Edit1, Button1);
    finishCreation(Edit1);
}

Trunform* Trunform::open(Tmdimain& frame) {
    std::string folder = activeWindowFolder(frame);
    if (folder.empty()) folder = homeFolder();
    std::string command;
    const app::ActiveKind kind = frame.state().activeKind;
    if (kind == app::ActiveKind::Auto || kind == app::ActiveKind::List) {
        const FirstSelected first = firstSelectedEntry(frame);
        if (!first.path.empty() && !first.folder) command = baseName(first.path);
    }
    return showOverFrame(frame, new Trunform(frame, std::move(folder), command));
}

void Trunform::Button1Click() {
    if (lookingUp_) return;
    const bool keepOpen = takeKeepOpen();
    const std::string command = typedBytes(ComboBox1);
    // Looking the program up asks the disk (the shown folder may be on a network
    // mount): done where it cannot freeze the windows.
    lookingUp_ = true;
    QPointer<Trunform> self(this);
    runBounded<std::optional<launch::RunPlan>>(
        this, [folder = folder_, command] { return launch::planRun(folder, command); },
        [self, command, keepOpen](std::optional<std::optional<launch::RunPlan>> plan) {
            if (!self) return;
            self->lookingUp_ = false;
            if (!plan) {
                showMessage(
                    self,
                    displayPath(command) + QString::fromUtf8(commands::kNotAnswering.data(),
                                                             qsizetype(commands::kNotAnswering.size())),
                    QMessageBox::Warning);
                self->Edit1->setFocus();
                return;
            }
            if (!*plan) {
                showMessage(
                    self, QString::fromUtf8(launch::kCannotRun.data(), qsizetype(launch::kCannotRun.size())));
                self->Edit1->setFocus();
                return;
            }
            const launch::Launched run = launch::startRun(**plan);
            if (!run.ok()) {
                // The history stays as it was and the dialog open, to mend the line.
                showMessage(self, displayPath(run.message), QMessageBox::Warning);
                self->Edit1->setFocus();
                return;
            }
            self->started(command);
            if (!keepOpen) self->close();
        });
}

void Trunform::started(const std::string& command) {
    (void)rememberInHistory(frame_, config::sections::Runs, command, ComboBox1);
}

}  // namespace arbel::ui
