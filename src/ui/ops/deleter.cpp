#include "ui/ops/deleter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/config/settings.h"
#include "core/ops/after_effects.h"
#include "core/ops/dialog_text.h"
#include "core/ops/item_list.h"
#include "core/ops/shell_file_op.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/file_label.h"
#include "ui/ops/operation_runner.h"
#include "ui/ops/tree_sync.h"
#include "ui/ops/undo_journal.h"
#include "ui/search/findform.h"

namespace arbel::ui {

Tdel::Tdel(Tmdimain& frame, DialogSource source)
    : OperationDialog(frame, app::DialogTag::Delete, QStringLiteral("del"), QStringLiteral("Delete"),
                      Qt::WindowStaysOnTopHint),
      source_(std::move(source)) {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(this);
    label2 = new TFileLabel(this);
    label2->setMinimumWidth(300);
    CheckBox1 = new QCheckBox(QStringLiteral("place in Recycle Bin if possible"), this);
    CheckBox2 = new QCheckBox(QStringLiteral("confirmations on"), this);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Delete"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addWidget(Label1);
    layout->addWidget(label2);
    layout->addWidget(CheckBox1);
    layout->addWidget(CheckBox2);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &Tdel::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);

    config::IniFile& ini = frame_.config();
    CheckBox1->setChecked(config::getFlag(ini, config::keys::Recycle));
    CheckBox2->setChecked(config::getFlag(ini, config::keys::ConfirmDel));
    if (source_.fromSearch) {
        Label1->setText(QString::fromStdString(ops::searchDeleteQuestion(source_.rows.size())));
    } else if (source_.kind == app::ActiveKind::Dir) {
        Label1->setText(
            QString::fromUtf8(ops::kDeleteFolderQuestion.data(), ops::kDeleteFolderQuestion.size()));
        label2->setFileName(source_.windowFolder);
    } else {
        Label1->setText(QString::fromStdString(ops::deleteQuestion(source_.files, source_.folders)));
        label2->setFileName(source_.windowFolder);
    }
    finishCreation(Button1);
}

Tdel* Tdel::open(Tmdimain& frame) {
    return showOverFrame(frame, new Tdel(frame, gatherFromFrame(frame)));
}

Tdel* Tdel::openDropped(Tmdimain& frame, std::vector<std::string> sources) {
    ops::processItemList().items = std::move(sources);
    Tdel* dialog = nullptr;
    {
        app::ScopedRefreshSignal dfdrop(frame.state(), app::RefreshSignal::DfDrop);
        dialog = new Tdel(frame, gatherFromFrame(frame));
    }
    dialog->CheckBox1->setChecked(true);
    return showOverFrame(frame, dialog);
}

void Tdel::Button1Click() {
    if (busy()) return;  // the job runs; Enter on the frame cannot start another
    bool recycle = CheckBox1->isChecked();
    reportWriteErrors(this, [&] {
        config::setFlag(frame_.config(), config::keys::Recycle, recycle);
        config::setFlag(frame_.config(), config::keys::ConfirmDel, CheckBox2->isChecked());
    });
    hide();
    if (source_.gathered.items.empty()) {
        close();
        return;
    }
    ops::ItemList list;
    list.items = source_.gathered.items;
    ops::TShellFileOp op(list);
    op.NoConfirmation = !CheckBox2->isChecked();
    auto job = op.prepare(recycle ? ops::Operation::Recycle : ops::Operation::Delete);
    runJob(runFileOperation(this, &frame_, std::move(job),
                            {op.Animate, QString::fromStdString(op.ProgressTitle)},
                            [this](const ops::OperationResult& result) {
                                recordOperation(frame_, result);
                                applyAfterEffects(frame_, ops::afterEffects(result, source_.fromSearch));
                                close();
                            }));
}

}  // namespace arbel::ui
