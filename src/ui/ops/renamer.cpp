#include "ui/ops/renamer.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/file_system.h"
#include "core/ops/after_effects.h"
#include "core/ops/names.h"
#include "core/volumes/volume_information.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/tree_sync.h"
#include "ui/ops/undo_journal.h"
#include "ui/search/findform.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

Tren::Tren(Tmdimain& frame, DialogSource source, std::string oldPath, Mode mode)
    : OperationDialog(frame, app::DialogTag::Rename, QStringLiteral("ren"), QStringLiteral("Rename"),
                      Qt::WindowStaysOnTopHint),
      source_(std::move(source)),
      old_(std::move(oldPath)),
      mode_(mode) {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Rename Selected Object to:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setMinimumWidth(300);
    if (mode_ == Mode::VolumeLabel) {
        setWindowTitle(QStringLiteral("Volume Label of ") + displayPath(old_));
        // A label that cannot be read leaves the field empty; the component says nothing.
        volumes::TVolumeInformation info(*volumes::volumeService());
        info.Drive = old_;
        if (info.GetLabel(shownLabel_)) Edit1->setText(displayPath(shownLabel_));
    } else {
        Edit1->setText(displayPath(baseName(old_)));
    }
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Rename"), this);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    layout->addWidget(Label1);
    layout->addWidget(Edit1);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &Tren::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    watchConfirmKeys(Edit1, Button1);
    finishCreation(Edit1);
}

Tren* Tren::open(Tmdimain& frame) {
    const commands::CommandState state = commandState(frame);
    if (!state.fromSearch && state.activeKind == app::ActiveKind::Dir && state.treeAtVolumeRoot)
        if (Tmdisubdir* tree = Tmdisubdir::of(frame)) return openVolumeLabel(frame, tree->selectedFolder());
    DialogSource source = gatherFromFrame(frame);
    std::string old = frame.state().renameTarget;
    if (source.fromSearch || old.empty()) old = source.gathered.firstItem;
    if (old.empty()) return nullptr;
    return showOverFrame(frame, new Tren(frame, std::move(source), old));
}

Tren* Tren::openVolumeLabel(Tmdimain& frame, const std::string& mountPoint) {
    if (mountPoint.empty()) return nullptr;
    return showOverFrame(frame, new Tren(frame, gatherFromFrame(frame), mountPoint, Mode::VolumeLabel));
}

void Tren::labelVolume() {
    if (busy()) return;
    const bool stay = takeKeepOpen();
    QByteArray typed = Edit1->text().toUtf8();
    std::string label(typed.constData(), size_t(typed.size()));
    if (Edit1->text() == displayPath(shownLabel_)) label = shownLabel_;
    auto service = volumes::volumeService();
    auto result = std::make_shared<ServiceResult>();
    const std::string mountPoint = old_;
    auto* job = new BackgroundJob(this, this);
    runJob(job);
    Button1->setEnabled(false);
    job->start(
        [service, result, mountPoint, label](JobContext&) {
            const std::vector<Volume> all = service->volumes();
            const Volume* v = volumeOf(all, mountPoint);
            if (!v || v->mountPoint != mountPoint || volumes::blockDeviceOf(*v).empty()) {
                result->outcome = ServiceOutcome::Failed;
                return;
            }
            *result = service->setLabel(*v, label);
        },
        [this, result, label, stay] {
            Button1->setEnabled(true);
            if (!result->ok()) {
                // The dialog stays for another try.
                QString text = QStringLiteral("Unable change Volume Label.");
                if (!result->message.empty() && result->outcome != ServiceOutcome::Cancelled)
                    text += QStringLiteral("\n") + displayPath(result->message);
                showMessage(this, text);
                return;
            }
            shownLabel_ = label;
            if (Tmdisubdir* tree = Tmdisubdir::of(frame_)) tree->DirTree1().setVolumeLabel(old_, label);
            if (!stay) close();
        });
}

void Tren::Button1Click() {
    if (mode_ == Mode::VolumeLabel) {
        labelVolume();
        return;
    }
    QByteArray typed = Edit1->text().toUtf8();
    std::string newName(typed.constData(), size_t(typed.size()));
    // An unchanged field keeps the original bytes, which may not be valid UTF-8.
    if (Edit1->text() == displayPath(baseName(old_))) newName = baseName(old_);
    ops::RenameResult r = ops::renameItem(old_, newName);
    if (!r.renamed) {
        (void)takeKeepOpen();
        showMessage(this, displayPath(r.message));
        return;
    }
    undoJournal(frame_).recordRenames(ops::UndoKind::Rename, {{old_, r.newPath}}, {r.wasFolder});
    applyAfterEffects(frame_, ops::afterRename(old_, r.newPath, r.wasFolder));
    if (source_.fromSearch)
        if (Tfindform* find = Tfindform::instance()) find->renameResult(old_, baseName(r.newPath));
    old_ = r.newPath;
    frame_.state().renameTarget = r.newPath;
    Edit1->setText(displayPath(baseName(old_)));
    if (!takeKeepOpen()) close();
}

}  // namespace arbel::ui
