#include "ui/shortcuts/assoc.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/app/file_system.h"
#include "core/assoc/associations.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/search/findform.h"

namespace arbel::ui {

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace

Tassoc::Tassoc(Tmdimain& frame, const std::string& proposed)
    : OperationDialog(frame, app::DialogTag::Assoc, QStringLiteral("assoc"), QStringLiteral("Associate"),
                      Qt::WindowStaysOnTopHint) {
    auto* layout = new QVBoxLayout(this);
    Label4 = new QLabel(QStringLiteral("Current associations:"), this);
    Listview1 = new QListWidget(this);
    Listview1->setMinimumSize(420, 180);
    Listview1->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* grid = new QGridLayout;
    Label1 = new QLabel(QStringLiteral("Extension:"), this);
    Edit1 = new QLineEdit(this);
    old = new QRadioButton(QStringLiteral("use existing registered program"), this);
    old->setChecked(true);
    newmode = new QRadioButton(QStringLiteral("register a new program"), this);
    Label2 = new QLabel(QStringLiteral("Filetype description:"), this);
    Edit2 = new QLineEdit(this);
    Label3 = new QLabel(QStringLiteral("Command line:"), this);
    Edit3 = new QLineEdit(this);
    browsebut = new QPushButton(QStringLiteral("Browse"), this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(old, 1, 1);
    grid->addWidget(newmode, 2, 1);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(Edit2, 3, 1);
    grid->addWidget(Label3, 4, 0);
    grid->addWidget(Edit3, 4, 1);
    grid->addWidget(browsebut, 4, 2);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addWidget(Label4);
    layout->addWidget(Listview1);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction(QStringLiteral("Delete Type"), this, &Tassoc::DeleteRegisteredType1Click);

    // FormCreate: the list, the fields at "<none>", the proposed extension.
    {
        WaitCursor wait;
        for (const assoc::TypeLine& line : assoc::typeLines()) {
            types_.push_back(line.type);
            descriptions_.push_back(line.description);
            commands_.push_back(line.command);
            Listview1->addItem(text(line.text));
        }
    }
    Edit2->setText(text(assoc::kNone));
    Edit3->setText(text(assoc::kNone));
    Edit1->setText(displayPath(proposed));
    oldClick();

    connect(old, &QRadioButton::clicked, this, &Tassoc::oldClick);
    connect(newmode, &QRadioButton::clicked, this, &Tassoc::oldClick);
    connect(Listview1, &QListWidget::itemClicked, this, &Tassoc::Listview1Click);
    connect(Listview1, &QListWidget::currentRowChanged, this, [this](int) { Listview1Click(); });
    connect(Listview1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (Listview1->isEnabled() && Listview1->itemAt(at)) PopupMenu1->popup(Listview1->mapToGlobal(at));
    });
    connect(Edit1, &QLineEdit::textChanged, this, &Tassoc::Edit1Change);
    connect(browsebut, &QPushButton::clicked, this, &Tassoc::browsebutClick);
    connect(Button1, &QPushButton::clicked, this, &Tassoc::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    // Enter in any of the three fields applies.
    watchConfirmKeys(Edit1, Button1);
    connect(Edit2, &QLineEdit::returnPressed, this, &Tassoc::Button1Click);
    connect(Edit3, &QLineEdit::returnPressed, this, &Tassoc::Button1Click);
    finishCreation(Edit1);
}

Tassoc* Tassoc::open(Tmdimain& frame) {
    std::string proposed;
    const app::AppState& state = frame.state();
    if (state.fromSearch) {
        if (Tfindform* find = Tfindform::instance()) {
            const std::vector<std::string> rows = find->selectedPaths();
            if (!rows.empty()) proposed = assoc::proposedExtension(rows.front(), true);
        }
    } else if (state.activeKind == app::ActiveKind::List || state.activeKind == app::ActiveKind::Auto) {
        if (auto* w = qobject_cast<FileWindow*>(frame.currentOf(state.activeKind))) {
            const std::vector<std::string> names = w->selectedNames();
            if (!names.empty()) proposed = assoc::proposedExtension(names.front(), false);
        }
    }
    return showOverFrame(frame, new Tassoc(frame, proposed));
}

std::string Tassoc::bytes(const QLineEdit* edit) const {
    const QByteArray b = edit->text().toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

void Tassoc::showLine(int row) {
    if (row < 0 || size_t(row) >= types_.size()) return;
    Edit2->setText(text(descriptions_[size_t(row)]));
    Edit3->setText(QStringLiteral("(") + text(commands_[size_t(row)]) + QStringLiteral(")"));
}

void Tassoc::oldClick() {
    const bool fresh = newmode->isChecked();
    if (fresh) {
        Edit2->setText(text(assoc::kNone));
        Edit3->setText(text(assoc::kNone));
    }
    Edit2->setEnabled(fresh);
    Edit3->setEnabled(fresh);
    browsebut->setEnabled(fresh);
    Listview1->setEnabled(!fresh);
    if (!fresh && Listview1->currentRow() >= 0) showLine(Listview1->currentRow());
}

void Tassoc::Listview1Click() {
    if (newmode->isChecked()) return;
    showLine(Listview1->currentRow());
}

void Tassoc::Edit1Change() {
    if (newmode->isChecked()) return;
    const std::string type = assoc::typeOfExtension(bytes(Edit1));
    for (size_t i = 0; i < types_.size(); ++i)
        if (!type.empty() && types_[i] == type) {
            showLine(int(i));
            return;
        }
    Edit2->setText(text(assoc::kNone));
    Edit3->setText(text(assoc::kNone));
}

void Tassoc::browsebutClick() {
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Locate Program to Associate"));
    if (!chosen.isEmpty()) Edit3->setText(chosen);
}

void Tassoc::Button1Click() {
    const bool stay = takeKeepOpen();
    assoc::AssociationStore store;
    Status done;
    if (old->isChecked()) {
        // Nothing chosen: nothing to point the extension at.
        const int row = Listview1->currentRow();
        if (row < 0 || size_t(row) >= types_.size() || Edit1->text().isEmpty()) return;
        WaitCursor wait;
        done = store.pointAt(bytes(Edit1), types_[size_t(row)]);
    } else {
        if (Edit1->text().isEmpty() || Edit2->text().isEmpty() || Edit3->text().isEmpty()) {
            showMessage(this, text(assoc::kFillAll));
            return;
        }
        if (Edit2->text() == text(assoc::kNone) && Edit3->text() == text(assoc::kNone)) {
            if (!askYesNo(this, text(assoc::kRemoveAssociation))) return;
            WaitCursor wait;
            done = store.removeAssociation(bytes(Edit1));
        } else {
            const std::string program = bytes(Edit3);
            if (!isExistingNonFolder(program)) {
                showMessage(this, text(assoc::kInvalidCommand));
                return;
            }
            WaitCursor wait;
            done = store.registerProgram(bytes(Edit1), bytes(Edit2), program);
        }
    }
    if (!done) {
        const Error& e = done.error();
        showMessage(this, displayPath(e.code ? e.describe() : e.message), QMessageBox::Warning);
        return;
    }
    if (!stay) close();
}

void Tassoc::DeleteRegisteredType1Click() {
    const int row = Listview1->currentRow();
    if (row < 0 || size_t(row) >= types_.size()) return;
    if (!askYesNo(this, text(assoc::kRemoveType))) return;
    assoc::AssociationStore store;
    Status done;
    {
        WaitCursor wait;
        done = store.deleteType(types_[size_t(row)]);
    }
    if (!done) {
        const Error& e = done.error();
        showMessage(this, displayPath(e.code ? e.describe() : e.message), QMessageBox::Warning);
        return;
    }
    types_.erase(types_.begin() + row);
    descriptions_.erase(descriptions_.begin() + row);
    commands_.erase(commands_.begin() + row);
    delete Listview1->takeItem(row);
}

}  // namespace arbel::ui
