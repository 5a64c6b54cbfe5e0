#include "ui/ops/copier.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/config/settings.h"
#include "core/ops/after_effects.h"
#include "core/ops/dialog_text.h"
#include "core/ops/item_gathering.h"
#include "core/ops/item_list.h"
#include "core/ops/names.h"
#include "core/ops/shell_file_op.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/operation_runner.h"
#include "ui/ops/tree_sync.h"
#include "ui/ops/undo_journal.h"
#include "ui/search/findform.h"

namespace arbel::ui {

namespace {

std::string bytesOf(const QString& s) {
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

void fillHistory(QComboBox* box, const std::vector<std::string>& entries) {
    for (const auto& e : entries) box->addItem(displayPath(e), QByteArray(e.data(), qsizetype(e.size())));
}

// The history entries as bytes (entries keep their original bytes in item data).
std::vector<std::string> historyOf(QComboBox* box) {
    std::vector<std::string> out;
    for (int i = 0; i < box->count(); ++i) {
        QByteArray b = box->itemData(i).toByteArray();
        out.emplace_back(b.constData(), size_t(b.size()));
    }
    return out;
}

// The text typed, or the bytes of the history entry it still equals.
std::string chosenText(QComboBox* box) {
    int i = box->findText(box->currentText());
    if (i >= 0 && !box->itemData(i).isNull()) {
        QByteArray b = box->itemData(i).toByteArray();
        return std::string(b.constData(), size_t(b.size()));
    }
    return bytesOf(box->currentText());
}

}  // namespace

Tcopier::Tcopier(Tmdimain& frame, Mode mode, DialogSource source)
    : OperationDialog(frame, app::DialogTag::Copier, QStringLiteral("copier"), QStringLiteral("Copy")),
      mode_(mode),
      source_(std::move(source)) {
    auto* grid = new QGridLayout(this);
    Label1 = new QLabel(QString::fromUtf8(kCopyLabel), this);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setEditable(true);
    ComboBox1->setMaxVisibleItems(15);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMinimumWidth(360);
    renbox = new QCheckBox(QStringLiteral("Rename Item to:"), this);
    renbox->setEnabled(false);
    ComboBox2 = new QComboBox(this);
    ComboBox2->setEditable(true);
    ComboBox2->setInsertPolicy(QComboBox::NoInsert);
    ComboBox2->setEnabled(false);
    autobox = new QCheckBox(QStringLiteral("Automatically Replace Existing Files"), this);
    Button1 = new QPushButton(QStringLiteral("Copy"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    modeButton = new QPushButton(QStringLiteral("Copy/Move"), this);
    modeButton->setToolTip(QStringLiteral("Switch between copying and moving (double click the dialog)"));
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(ComboBox1, 1, 0, 1, 3);
    grid->addWidget(renbox, 2, 0, 1, 3);
    grid->addWidget(ComboBox2, 3, 0, 1, 3);
    grid->addWidget(autobox, 4, 0, 1, 3);
    grid->addWidget(modeButton, 5, 0);
    grid->addWidget(Button1, 5, 1);
    grid->addWidget(Button2, 5, 2);
    connect(Button1, &QPushButton::clicked, this, &Tcopier::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    connect(modeButton, &QPushButton::clicked, this, &Tcopier::switchmode);
    connect(renbox, &QCheckBox::toggled, ComboBox2, &QWidget::setEnabled);

    config::IniFile& ini = frame_.config();
    fillHistory(ComboBox1, ini.readHistory(config::sections::Copies));
    fillHistory(ComboBox2, ini.readHistory(config::sections::Renames));
    ComboBox1->setEditText({});
    ComboBox2->setEditText({});
    autobox->setChecked(config::getFlag(ini, config::keys::Replace));
    // Rename on copy concerns one chosen item; dropped items are never renamed.
    renbox->setEnabled(!source_.dropped && source_.gathered.items.size() == 1);
    showMode();
    finishCreation(ComboBox1->lineEdit());
}

Tcopier::~Tcopier() = default;

Tcopier* Tcopier::open(Tmdimain& frame, Mode mode) {
    return showOverFrame(frame, new Tcopier(frame, mode, gatherFromFrame(frame)));
}

Tcopier* Tcopier::openDropped(Tmdimain& frame, Mode mode, std::vector<std::string> sources,
                              const std::string& target) {
    ops::processItemList().items = std::move(sources);
    Tcopier* dialog = nullptr;
    {
        app::ScopedRefreshSignal dfdrop(frame.state(), app::RefreshSignal::DfDrop);
        dialog = new Tcopier(frame, mode, gatherFromFrame(frame));
    }
    showOverFrame(frame, dialog);
    if (!target.empty()) dialog->setTarget(target);
    return dialog;
}

void Tcopier::setTarget(const std::string& folder) {
    presetTarget_ = folder;
    ComboBox1->setEditText(displayPath(folder));
}

void Tcopier::switchmode() {
    mode_ = mode_ == Mode::Copy ? Mode::Move : Mode::Copy;
    showMode();
}

// The caption, the button and the label say the mode from the moment the dialog opens.
void Tcopier::showMode() {
    bool move = mode_ == Mode::Move;
    setWindowTitle(move ? QStringLiteral("Move") : QStringLiteral("Copy"));
    Button1->setText(windowTitle());
    Label1->setText(QString::fromUtf8(move ? kMoveLabel : kCopyLabel));
}

void Tcopier::mouseDoubleClickEvent(QMouseEvent* event) {
    switchmode();
    QDialog::mouseDoubleClickEvent(event);
}

void Tcopier::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) switchmode();
    QDialog::mouseReleaseEvent(event);
}

void Tcopier::Button1Click() {
    if (busy()) return;  // the job runs; Enter on the frame cannot start another
    std::string newName;
    bool rename = renbox->isEnabled() && renbox->isChecked();
    if (rename) {
        newName = chosenText(ComboBox2);
        if (newName.empty()) return;
        std::string why = ops::checkItemName(newName);
        if (!why.empty()) {
            showMessage(this, QString::fromStdString(why));
            return;
        }
    }
    std::string target = !presetTarget_.empty() && ComboBox1->currentText() == displayPath(presetTarget_)
                             ? presetTarget_
                             : chosenText(ComboBox1);
    while (target.size() > 1 && target.back() == '/') target.pop_back();
    if (target.empty()) return;
    if (source_.gathered.items.empty()) {
        close();
        return;
    }
    if (ops::TargetState state = ops::targetState(target); state != ops::TargetState::Folder) {
        if (state == ops::TargetState::NotAFolder) {
            showMessage(this, displayPath(ops::notAFolderError(target).describe()));
            return;
        }
        if (!askYesNo(this, displayPath(ops::createTargetQuestion(target)))) return;
        Status made = ops::createTargetFolder(target);
        if (!made.ok()) {
            showMessage(this, displayPath(made.error().describe()), QMessageBox::Critical);
            return;
        }
        treeAddFolder(frame_, target);
    }
    // A refused settings write is reported once and the copy goes on.
    reportWriteErrors(this,
                      [&] { config::setFlag(frame_.config(), config::keys::Replace, autobox->isChecked()); });
    hide();

    ops::ItemList list;
    list.items = source_.gathered.items;
    ops::TShellFileOp op(list);
    op.NoConfirmation = autobox->isChecked();
    op.AutoMakeDir = true;
    if (rename) op.TargetName = newName;
    auto job = op.prepare(mode_ == Mode::Copy ? ops::Operation::Copy : ops::Operation::Move, target);
    runJob(runFileOperation(
        this, &frame_, std::move(job), {op.Animate, QString::fromStdString(op.ProgressTitle)},
        [this, target, newName, rename](const ops::OperationResult& result) {
            afterRun(result);
            reportWriteErrors(&frame_, [&] {
                config::IniFile& ini = frame_.config();
                ini.writeHistory(config::sections::Copies, ops::updatedHistory(target, historyOf(ComboBox1)));
                if (rename)
                    ini.writeHistory(config::sections::Renames,
                                     ops::updatedHistory(newName, historyOf(ComboBox2)));
            });
            close();
        }));
}

void Tcopier::afterRun(const ops::OperationResult& result) {
    recordOperation(frame_, result);
    applyAfterEffects(frame_, ops::afterEffects(result, source_.fromSearch));
}

}  // namespace arbel::ui
