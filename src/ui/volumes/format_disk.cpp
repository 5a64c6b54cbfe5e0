#include "ui/volumes/format_disk.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/commands/gates.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/lists/file_window.h"
#include "ui/tree/mdisubdir.h"

namespace arbel::ui {

namespace {

std::string bytesOf(const QString& text) {
    const QByteArray b = text.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

}  // namespace

void startFormatDisk(Tmdimain& frame, const std::string& mountPoint) {
    auto format = std::make_shared<volumes::TFormatDrive>(*volumes::volumeService());
    // The frame's own component: fixed disks may be formatted, full format offered first.
    format->AllowHD = true;
    format->DefaultAction = volumes::TFormatOptions::foNormal;
    format->Drive = mountPoint;
    auto service = volumes::volumeService();  // kept alive while the check runs
    auto* job = new BackgroundJob(&frame, &frame);
    auto code = std::make_shared<int>(0);
    job->start([format, service, code](JobContext&) { *code = format->check(); },
               [&frame, job, format, code] {
                   job->deleteLater();
                   if (*code == volumes::kProtectedVolume) {
                       showMessage(&frame,
                                   QStringLiteral("%1 holds the system, your home folder or Arbel itself "
                                                  "and cannot be formatted.")
                                       .arg(displayPath(format->volume().mountPoint)));
                       return;
                   }
                   // The other refusals end silently, as they always did.
                   if (*code != volumes::kFormatted) return;
                   if (commands::dialogBusy(commandState(frame))) return;  // a dialog opened meanwhile
                   auto* dialog = new Tformat(frame, format);
                   dialog->show();
                   frame.finddlog();
               });
}

void volumeFormatted(Tmdimain& frame, const std::string& oldMountPoint, const std::string& newMountPoint,
                     const std::string& label) {
    const std::string root = newMountPoint.empty() ? oldMountPoint : newMountPoint;
    if (Tmdisubdir* tree = Tmdisubdir::of(frame)) {
        // The mount may have moved (a new label names the new mount point): read the
        // volumes again rather than patch one node.
        {
            app::ScopedRefreshSignal signal(frame.state(), app::RefreshSignal::Format);
            tree->refreshWindow(app::RefreshSignal::Format);
        }
        tree->DirTree1().setVolumeLabel(root, label);
    }
    FrozenUpdates frozen(frame.clientArea());
    for (ChildWindow* w : frame.windowsAtOrBelow(oldMountPoint)) {
        if (w->kind() != app::ActiveKind::List && w->kind() != app::ActiveKind::Auto) continue;
        app::ScopedRefreshSignal signal(frame.state(), app::RefreshSignal::Format);
        w->refreshWindow(app::RefreshSignal::Format, root);
    }
}

Tformat::Tformat(Tmdimain& frame, std::shared_ptr<volumes::TFormatDrive> format)
    : OperationDialog(frame, app::DialogTag::Format, QStringLiteral("formatdisk"),
                      QStringLiteral("Format Disk"), Qt::WindowStaysOnTopHint),
      format_(std::move(format)),
      mountPoint_(format_->volume().mountPoint) {
    const FormatRequest proposal = format_->proposal();
    auto* layout = new QVBoxLayout(this);
    const Volume& v = format_->volume();
    Label1 = new QLabel(QStringLiteral("Format %1 (%2)?\nEverything on this volume will be erased.")
                            .arg(displayPath(v.mountPoint), displayPath(v.source)),
                        this);
    layout->addWidget(Label1);
    auto* form = new QFormLayout;
    FileSystem = new QComboBox(this);
    FileSystem->addItems({QStringLiteral("vfat"), QStringLiteral("exfat"), QStringLiteral("ext4")});
    FileSystem->setCurrentText(QString::fromStdString(proposal.fsType));
    LabelEdit = new QLineEdit(displayPath(proposal.label), this);
    QuickBox = new QCheckBox(QStringLiteral("&Quick format (do not overwrite the old contents)"), this);
    QuickBox->setChecked(!proposal.fullErase);
    form->addRow(QStringLiteral("File &system:"), FileSystem);
    form->addRow(QStringLiteral("&Label:"), LabelEdit);
    layout->addLayout(form);
    layout->addWidget(QuickBox);
    auto* buttons = new QHBoxLayout;
    FormatButton = new QPushButton(QStringLiteral("&Format"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setDefault(true);  // Enter alone never erases a disk
    buttons->addStretch();
    buttons->addWidget(FormatButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    connect(FormatButton, &QPushButton::clicked, this, &Tformat::FormatButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::close);
    finishCreation(CancelButton);
}

FormatRequest Tformat::chosen() const {
    FormatRequest request;
    request.fsType = bytesOf(FileSystem->currentText());
    request.label = bytesOf(LabelEdit->text());
    request.fullErase = !QuickBox->isChecked();
    return request;
}

void Tformat::setControlsEnabled(bool on) {
    for (QWidget* w : {static_cast<QWidget*>(FileSystem), static_cast<QWidget*>(LabelEdit),
                       static_cast<QWidget*>(QuickBox), static_cast<QWidget*>(FormatButton),
                       static_cast<QWidget*>(CancelButton)})
        w->setEnabled(on);
}

void Tformat::FormatButtonClick() {
    if (busy()) return;
    (void)takeKeepOpen();
    const FormatRequest request = chosen();
    setControlsEnabled(false);
    Label1->setText(QStringLiteral("Formatting %1...").arg(displayPath(mountPoint_)));
    auto format = format_;
    auto service = volumes::volumeService();
    struct Outcome {
        bool formatted = false;
        int code = 0;
        std::string message;
        std::string newMountPoint;
    };
    auto outcome = std::make_shared<Outcome>();
    auto* job = new BackgroundJob(this, this);
    runJob(job);
    job->start(
        [format, service, request, outcome](JobContext&) {
            // Execute checks again: the volume may have changed while the user chose.
            outcome->formatted = format->Execute(request);
            outcome->code = format->result();
            outcome->message = format->message();
            outcome->newMountPoint = format->newMountPoint();
        },
        [this, outcome] {
            formatEnded(outcome->formatted, outcome->code, outcome->message, outcome->newMountPoint);
        });
}

void Tformat::formatEnded(bool formatted, int code, const std::string& message,
                          const std::string& newMountPoint) {
    if (formatted) {
        Tmdimain& frame = frame_;
        const std::string label = chosen().label;
        const std::string oldMountPoint = mountPoint_;
        close();
        volumeFormatted(frame, oldMountPoint, newMountPoint, label);
        return;
    }
    setControlsEnabled(true);
    const Volume& v = format_->volume();
    Label1->setText(QStringLiteral("Format %1 (%2)?\nEverything on this volume will be erased.")
                        .arg(displayPath(v.mountPoint), displayPath(v.source)));
    // A dismissed authorisation is the user's own cancel: nothing to say.
    if (code == volumes::kServiceCancelled) return;
    if (code < 0) {
        close();  // the volume changed under the dialog: the refusal ends it silently
        return;
    }
    showMessage(
        this, QStringLiteral("Unable to format %1.\n%2").arg(displayPath(mountPoint_), displayPath(message)));
}

}  // namespace arbel::ui
