#include "ui/ops/renamer.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/file_system.h"
#include "core/ops/after_effects.h"
#include "core/ops/names.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/confirm_keys.h"
#include "ui/ops/tree_sync.h"
#include "ui/search/findform.h"

namespace arbel::ui {

Tren::Tren(Tmdimain& frame, DialogSource source, std::string oldPath)
    : QDialog(&frame, Qt::Tool | Qt::WindowStaysOnTopHint),
      frame_(frame),
      source_(std::move(source)),
      old_(std::move(oldPath)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("ren"));
    setWindowTitle(QStringLiteral("Rename"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Rename Selected Object to:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMinimumWidth(300);
    Edit1->setText(displayPath(baseName(old_)));
    Edit1->installEventFilter(this);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Rename"), this);
    Button1->installEventFilter(this);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &Tren::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    frame_.dialogOpened(DialogTag::Rename, this, Edit1);
}

Tren* Tren::open(Tmdimain& frame) {
    DialogSource source = gatherFromFrame(frame);
    std::string old = frame.state().renameTarget;
    if (source.fromSearch || old.empty()) old = source.gathered.firstItem;
    if (old.empty()) return nullptr;
    auto* dialog = new Tren(frame, std::move(source), old);
    dialog->show();
    frame.finddlog();
    return dialog;
}

void Tren::closeEvent(QCloseEvent* event) {
    frame_.dialogClosed(DialogTag::Rename);
    QDialog::closeEvent(event);
}

bool Tren::eventFilter(QObject* watched, QEvent* event) {
    if (handleConfirmKeys(watched, event, Edit1, Button1, keepOpen_, [this] { Button1Click(); })) return true;
    return QDialog::eventFilter(watched, event);
}

void Tren::Button1Click() {
    QByteArray typed = Edit1->text().toUtf8();
    std::string newName(typed.constData(), size_t(typed.size()));
    // An unchanged field keeps the original bytes, which may not be valid UTF-8.
    if (Edit1->text() == displayPath(baseName(old_))) newName = baseName(old_);
    ops::RenameResult r = ops::renameItem(old_, newName);
    if (!r.renamed) {
        keepOpen_ = false;
        showMessage(this, displayPath(r.message));
        return;
    }
    applyAfterEffects(frame_, ops::afterRename(old_, r.newPath, r.wasFolder));
    if (source_.fromSearch)
        if (Tfindform* find = Tfindform::instance()) find->renameResult(old_, baseName(r.newPath));
    old_ = r.newPath;
    frame_.state().renameTarget = r.newPath;
    Edit1->setText(displayPath(baseName(old_)));
    bool stay = keepOpen_;
    keepOpen_ = false;
    if (!stay) close();
}

}  // namespace arbel::ui
