#include "ui/ops/newdir.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ops/item_gathering.h"
#include "core/ops/names.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/file_label.h"
#include "ui/ops/tree_sync.h"
#include "ui/ops/undo_journal.h"

namespace arbel::ui {

std::string Tnewd::parentFor(const DialogSource& source) {
    if (source.kind == app::ActiveKind::List || source.kind == app::ActiveKind::Auto) {
        const std::string& first = source.gathered.firstItem;
        if (!first.empty() && ops::isFolderPath(first)) return first;
    }
    return source.windowFolder;
}

Tnewd::Tnewd(Tmdimain& frame, DialogSource source, std::string parent)
    : OperationDialog(frame, app::DialogTag::NewDir, QStringLiteral("newd"), QStringLiteral("New Folder")),
      source_(std::move(source)),
      parent_(std::move(parent)) {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Create a new folder in:"), this);
    parlabel2 = new TFileLabel(this);
    parlabel2->setFileName(parent_);
    Edit1 = new QLineEdit(this);
    Edit1->setMinimumWidth(300);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Create"), this);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addWidget(Label1);
    layout->addWidget(parlabel2);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &Tnewd::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    watchConfirmKeys(Edit1, Button1);
    finishCreation(Edit1);
}

Tnewd* Tnewd::open(Tmdimain& frame) {
    DialogSource source = gatherFromFrame(frame);
    std::string parent = parentFor(source);
    if (parent.empty()) return nullptr;
    return showOverFrame(frame, new Tnewd(frame, std::move(source), parent));
}

void Tnewd::Button1Click() {
    QByteArray typed = Edit1->text().toUtf8();
    ops::NewFolderResult r =
        ops::createNewFolder(parent_, std::string_view(typed.constData(), size_t(typed.size())));
    if (!r.created) {
        (void)takeKeepOpen();
        showMessage(this, displayPath(r.message));
        return;
    }
    undoJournal(frame_).recordNewFolder(r.made);
    FrozenUpdates frozen(frame_.clientArea());
    treeAddFolder(frame_, r.path);
    for (ChildWindow* w : frame_.windowsShowingFolder(parent_)) {
        app::ScopedRefreshSignal signal(frame_.state(), app::RefreshSignal::Format);
        w->refreshWindow(app::RefreshSignal::Format, parent_);
    }
    Edit1->clear();
    if (!takeKeepOpen()) close();
}

}  // namespace arbel::ui
