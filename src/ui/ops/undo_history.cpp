#include "ui/ops/undo_history.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/undo_journal.h"

namespace arbel::ui {

namespace {
constexpr int kIdRole = Qt::UserRole + 1;
}

Tundohist::Tundohist(Tmdimain& frame)
    : OperationDialog(frame, app::DialogTag::Undo, QStringLiteral("undohist"),
                      QStringLiteral("Undo History")) {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Newest first. An earlier entry can be undone while no later one "
                                       "changed the same items."),
                        this);
    Label1->setWordWrap(true);
    list = new QListWidget(this);
    list->setMinimumSize(420, 240);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Undo"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addWidget(Label1);
    layout->addWidget(list);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &Tundohist::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    connect(list, &QListWidget::itemDoubleClicked, this, &Tundohist::Button1Click);
    fill();
    finishCreation(list);
}

Tundohist* Tundohist::open(Tmdimain& frame) {
    return showOverFrame(frame, new Tundohist(frame));
}

void Tundohist::fill() {
    list->clear();
    const auto& entries = undoJournal(frame_).entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        auto* item = new QListWidgetItem(displayPath(it->description), list);
        item->setData(kIdRole, QVariant::fromValue<qulonglong>(it->id));
    }
    if (list->count()) list->setCurrentRow(0);
    Button1->setEnabled(list->count() > 0);
}

void Tundohist::Button1Click() {
    if (busy()) return;
    QListWidgetItem* item = list->currentItem();
    if (!item) return;
    const uint64_t id = item->data(kIdRole).toULongLong();
    QPointer<Tundohist> self(this);
    BackgroundJob* job = startUndo(frame_, this, id, [self] {
        if (self) self->fill();
    });
    if (job) runJob(job);
}

}  // namespace arbel::ui
