#include "ui/ops/attrib.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "core/app/file_system.h"
#include "ui/app/background_job.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/undo_journal.h"
#include "ui/search/find_results_model.h"
#include "ui/search/findform.h"

namespace arbel::ui {

TriStateBox::TriStateBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setTristate(true);
}

ops::BoxState TriStateBox::boxState() const {
    switch (checkState()) {
        case Qt::Checked:
            return ops::BoxState::Checked;
        case Qt::PartiallyChecked:
            return ops::BoxState::Mixed;
        default:
            return ops::BoxState::Unchecked;
    }
}

void TriStateBox::setBoxState(ops::BoxState state) {
    setCheckState(state == ops::BoxState::Checked ? Qt::Checked
                  : state == ops::BoxState::Mixed ? Qt::PartiallyChecked
                                                  : Qt::Unchecked);
}

void TriStateBox::nextCheckState() {
    setBoxState(ops::clickBox(boxState()));
}

ops::DateTimeFormat Tattrib::localeFormat() {
    const QLocale loc = QLocale::system();
    ops::DateTimeFormat f;
    f.datePattern = loc.dateFormat(QLocale::ShortFormat).toStdString();
    f.timePattern = loc.timeFormat(QLocale::ShortFormat).toStdString();
    for (int m = 1; m <= 12; ++m) {
        f.monthNames.push_back(loc.monthName(m, QLocale::LongFormat).toStdString());
        f.shortMonthNames.push_back(loc.monthName(m, QLocale::ShortFormat).toStdString());
    }
    f.amText = loc.amText().toStdString();
    f.pmText = loc.pmText().toStdString();
    return f;
}

Tattrib::Tattrib(Tmdimain& frame, DialogSource source)
    : OperationDialog(frame, app::DialogTag::Attrib, QStringLiteral("attrib"),
                      QStringLiteral("Change Attributes"), Qt::WindowStaysOnTopHint),
      source_(std::move(source)) {
    view_ = ops::readAttribView(source_.gathered.items);
    // Only what exists as a file or a folder when the dialog opens is changed
    // (a dangling link has no attributes of its own to change).
    for (const ops::AttribItem& item : view_.items) paths_.push_back(item.path);

    auto* layout = new QVBoxLayout(this);
    GroupBox1 = new QGroupBox(QStringLiteral("Flags"), this);
    auto* flags = new QGridLayout(GroupBox1);
    Readonlycheck = new TriStateBox(QStringLiteral("&Read-Only"), GroupBox1);
    archivecheck = new TriStateBox(QStringLiteral("Archi&ve"), GroupBox1);
    systemcheck = new TriStateBox(QStringLiteral("S&ystem"), GroupBox1);
    hiddencheck = new TriStateBox(QStringLiteral("&Hidden"), GroupBox1);
    flags->addWidget(Readonlycheck, 0, 0);
    flags->addWidget(archivecheck, 0, 1);
    flags->addWidget(systemcheck, 1, 0);
    flags->addWidget(hiddencheck, 1, 1);
    const std::array<TriStateBox*, ops::kBoxCount> boxes = {Readonlycheck, archivecheck, systemcheck,
                                                            hiddencheck};
    for (std::size_t b = 0; b < ops::kBoxCount; ++b) {
        boxes[b]->setBoxState(view_.boxes[b]);
        boxes[b]->setEnabled(view_.enabled[b]);
    }
    // Hidden is the name's leading dot: shown, changed by renaming.
    hiddencheck->setToolTip(
        QStringLiteral("A name starting with \".\" is hidden; rename the item to change it"));
    if (!view_.enabled[ops::kBoxSystem] && !view_.items.empty())
        systemcheck->setToolTip(QStringLiteral("This file system keeps no extended attributes"));

    Label1 = new QLabel(QStringLiteral("Modification Date/Time"), this);
    auto* timeRow = new QHBoxLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setMinimumWidth(220);
    Button3 = new QPushButton(QStringLiteral("&Now"), this);
    timeRow->addWidget(Edit1, 1);
    timeRow->addWidget(Button3);
    if (view_.singleFileTime)
        Edit1->setText(
            QString::fromStdString(ops::formatTimeField(view_.singleFileTime->sec, localeFormat())));
    initialTime_ = Edit1->text();
    Label1->setEnabled(view_.hasFile);
    Edit1->setEnabled(view_.hasFile);
    Button3->setEnabled(view_.hasFile);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("&Change"), this);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    layout->addWidget(GroupBox1);
    layout->addWidget(Label1);
    layout->addLayout(timeRow);
    layout->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &Tattrib::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    connect(Button3, &QPushButton::clicked, this, &Tattrib::Button3Click);
    watchConfirmKeys(Edit1, Button1);
    finishCreation(Readonlycheck);
}

Tattrib* Tattrib::open(Tmdimain& frame) {
    return showOverFrame(frame, new Tattrib(frame, gatherFromFrame(frame)));
}

ops::Boxes Tattrib::boxes() const {
    return {Readonlycheck->boxState(), archivecheck->boxState(), systemcheck->boxState(),
            hiddencheck->boxState()};
}

void Tattrib::Button3Click() {
    Edit1->setText(
        QString::fromStdString(ops::formatTimeField(QDateTime::currentSecsSinceEpoch(), localeFormat())));
}

void Tattrib::Button1Click() {
    // The dialog closes after every completed run, whichever way it was started.
    (void)takeKeepOpen();
    if (busy()) return;
    ops::AttribRequest request;
    request.boxes = boxes();
    const QString typed = Edit1->text().trimmed();
    // The time shown for a single file, left as it was, keeps the file's own
    // time (to the nanosecond) rather than the field's rounding of it.
    if (Edit1->isEnabled() && !typed.isEmpty() && Edit1->text() != initialTime_) {
        const QByteArray text = typed.toUtf8();
        request.modified =
            ops::parseTimeField(std::string_view(text.constData(), std::size_t(text.size())), localeFormat());
        // Checked once, before any item is touched.
        if (!request.modified) {
            showMessage(this, Edit1->text() + QStringLiteral(" does not appear to be a valid date/time."));
            return;
        }
    }
    if (paths_.empty()) {
        close();
        return;
    }
    auto run = std::make_shared<ops::AttribRun>();
    auto* job = new BackgroundJob(this, this);
    job->setProgressWindow(QStringLiteral("Change Attributes"), [] {
        return ProgressReport{QStringLiteral("Changing attributes..."), -1};
    });
    runJob(job);
    Button1->setEnabled(false);
    job->start([paths = paths_, request, run](JobContext&) { *run = ops::applyAttributes(paths, request); },
               [this, run] {
                   Button1->setEnabled(true);
                   applyRun(*run);
               });
}

std::vector<std::string> Tattrib::affectedFolders(const ops::AttribRun& run) const {
    std::vector<std::string> folders;
    for (const ops::AttribOutcome& item : run.items) {
        const std::string folder = parentPath(item.path);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    return folders;
}

void Tattrib::applyRun(const ops::AttribRun& run) {
    recordAttributeRun(frame_, run);
    // Every failure in one box: a hundred read-only files on a foreign disk
    // must not mean a hundred boxes.
    QStringList failures;
    for (const ops::AttribOutcome& item : run.items) {
        if (item.failed == ops::ItemStep::Attributes)
            failures << QStringLiteral("Could not update ") + displayPath(item.error.describe());
        else if (item.failed == ops::ItemStep::Time)
            failures << QStringLiteral("Could not update timestamp for ") +
                            displayPath(item.error.describe());
    }

    {
        FrozenUpdates frozen(frame_.clientArea());
        if (source_.fromSearch) {
            if (Tfindform* find = Tfindform::instance()) {
                for (const ops::AttribOutcome& item : run.items) {
                    if (item.failed == ops::ItemStep::Time) continue;
                    std::optional<int64_t> ns;
                    if (item.timeSet) ns = item.modifiedAfter.sec * 1000000000LL + item.modifiedAfter.nsec;
                    find->results()->updateRow(item.path, item.attributesAfter, ns);
                }
            }
        }
        for (const std::string& folder : affectedFolders(run)) reloadKeepingSelection(frame_, folder);
    }
    if (!failures.isEmpty()) showMessage(this, failures.join(QLatin1Char('\n')), QMessageBox::Warning);
    // A time that could not be set ends the run with the dialog open, so the
    // user can correct it.
    if (!run.stoppedOnTime) close();
}

}  // namespace arbel::ui
