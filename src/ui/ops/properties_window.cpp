#include "ui/ops/properties_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "core/app/file_system.h"
#include "core/lists/folder_size.h"
#include "core/ops/time_field.h"
#include "ui/app/background_job.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/ops/attrib.h"
#include "ui/ops/checksum_section.h"
#include "ui/ops/dialog_source.h"

namespace arbel::ui {

namespace {

// Owner, group, others; read, write, execute each.
constexpr std::array<mode_t, 9> kPermissionBits = {0400, 0200, 0100, 040, 020, 010, 04, 02, 01};

QString sizeText(uint64_t bytes) {
    const QLocale loc = QLocale::system();
    QString text = loc.toString(qulonglong(bytes)) + QStringLiteral(" bytes");
    if (bytes >= 1024) text += QStringLiteral(" (") + loc.formattedDataSize(qint64(bytes)) + QLatin1Char(')');
    return text;
}

QString timeText(const Timestamp& t) {
    return QString::fromStdString(ops::formatTimeField(t.sec, Tattrib::localeFormat()));
}

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setWordWrap(true);
    return l;
}

}  // namespace

PropertiesWindow::PropertiesWindow(Tmdimain& frame, std::string path)
    : QDialog(&frame, Qt::Window), frame_(frame), path_(std::move(path)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("properties"));
    const std::string name = path_ == "/" ? path_ : baseName(path_);
    setWindowTitle(displayPath(name) + QStringLiteral(" Properties"));

    auto* layout = new QVBoxLayout(this);
    form_ = new QFormLayout;
    nameLabel = valueLabel(this, "name");
    kindLabel = valueLabel(this, "kind");
    locationLabel = valueLabel(this, "location");
    sizeLabel = valueLabel(this, "size");
    linkLabel = valueLabel(this, "linkTarget");
    ownerLabel = valueLabel(this, "owner");
    groupLabel = valueLabel(this, "group");
    permissionLabel = valueLabel(this, "permissions");
    modifiedLabel = valueLabel(this, "modified");
    accessedLabel = valueLabel(this, "accessed");
    changedLabel = valueLabel(this, "changed");
    createdLabel = valueLabel(this, "created");
    volumeLabel = valueLabel(this, "volume");
    freeLabel = valueLabel(this, "freeSpace");
    errorLabel = valueLabel(this, "error");
    errorLabel->setVisible(false);
    nameLabel->setText(displayPath(name));
    kindLabel->setText(QStringLiteral("Reading..."));

    auto* permissions = new QWidget(this);
    auto* grid = new QGridLayout(permissions);
    grid->setContentsMargins(0, 0, 0, 0);
    const char* who[] = {"Owner", "Group", "Others"};
    const char* what[] = {"Read", "Write", "Execute"};
    for (int c = 0; c < 3; ++c)
        grid->addWidget(new QLabel(QString::fromLatin1(what[c]), permissions), 0, c + 1);
    for (int r = 0; r < 3; ++r) {
        grid->addWidget(new QLabel(QString::fromLatin1(who[r]), permissions), r + 1, 0);
        for (int c = 0; c < 3; ++c) {
            auto* box = new QCheckBox(permissions);
            box->setObjectName(QStringLiteral("perm%1%2").arg(r).arg(c));
            box->setEnabled(false);
            connect(box, &QCheckBox::toggled, this, &PropertiesWindow::permissionToggled);
            permissionBoxes[std::size_t(r * 3 + c)] = box;
            grid->addWidget(box, r + 1, c + 1);
        }
    }
    grid->addWidget(permissionLabel, 4, 0, 1, 4);

    form_->addRow(QStringLiteral("Name:"), nameLabel);
    form_->addRow(QStringLiteral("Kind:"), kindLabel);
    form_->addRow(QStringLiteral("Location:"), locationLabel);
    form_->addRow(QStringLiteral("Size:"), sizeLabel);
    form_->addRow(QStringLiteral("Link to:"), linkLabel);
    form_->addRow(QStringLiteral("Owner:"), ownerLabel);
    form_->addRow(QStringLiteral("Group:"), groupLabel);
    form_->addRow(QStringLiteral("Permissions:"), permissions);
    form_->addRow(QStringLiteral("Modified:"), modifiedLabel);
    form_->addRow(QStringLiteral("Accessed:"), accessedLabel);
    form_->addRow(QStringLiteral("Changed:"), changedLabel);
    form_->addRow(QStringLiteral("Created:"), createdLabel);
    form_->addRow(QStringLiteral("Volume:"), volumeLabel);
    form_->addRow(QStringLiteral("Free space:"), freeLabel);
    form_->setRowVisible(linkLabel, false);
    layout->addLayout(form_);
    layout->addWidget(errorLabel);
    checksum = new ChecksumSection(this);
    checksum->setVisible(false);
    layout->addWidget(checksum);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);

    auto facts = std::make_shared<Result<ops::ItemProperties>>(Error{});
    reader_ = new BackgroundJob(this);
    reader_->start([path = path_, facts](JobContext&) { *facts = ops::readItemProperties(path); },
                   [this, facts] {
                       loaded_ = true;
                       if (*facts) {
                           fill(facts->value());
                       } else {
                           kindLabel->clear();
                           errorLabel->setText(displayPath(facts->error().describe()));
                           errorLabel->setVisible(true);
                       }
                       emit propertiesLoaded();
                   });
}

PropertiesWindow::~PropertiesWindow() = default;

bool PropertiesWindow::counting() const {
    return counter_ && counter_->running();
}

void PropertiesWindow::fill(const ops::ItemProperties& p) {
    props_ = p;
    kindLabel->setText(p.kind.empty() ? QString::fromStdString(p.contentType)
                                      : QString::fromStdString(p.kind));
    locationLabel->setText(displayPath(p.location));
    form_->setRowVisible(linkLabel, p.isLink);
    if (p.isLink)
        linkLabel->setText(displayPath(p.linkTarget) +
                           (p.dangling ? QStringLiteral(" (missing)") : QString()));
    ownerLabel->setText(QString::fromStdString(p.owner));
    groupLabel->setText(QString::fromStdString(p.group));
    setBoxes(p.mode);
    for (QCheckBox* box : permissionBoxes) box->setEnabled(p.permissionsEditable);
    modifiedLabel->setText(timeText(p.modified));
    accessedLabel->setText(timeText(p.accessed));
    changedLabel->setText(timeText(p.changed));
    createdLabel->setText(p.created ? timeText(*p.created) : QStringLiteral("not kept by this file system"));
    volumeLabel->setText(QString::fromStdString(p.volume));
    freeLabel->setText(p.freeBytes ? sizeText(*p.freeBytes) : QStringLiteral("unknown"));
    if (p.isFolder) {
        countFolderSize();
    } else {
        sizeLabel->setText(p.dangling ? QString() : sizeText(p.size));
        if (!p.dangling) {
            checksum->setFile(p.path, p.size);
            checksum->setVisible(true);
        }
    }
}

void PropertiesWindow::countFolderSize() {
    sizeLabel->setText(QStringLiteral("Counting..."));
    auto job = std::make_shared<lists::FolderSizeJob>(std::vector<std::string>{path_});
    auto complete = std::make_shared<bool>(false);
    counter_ = new BackgroundJob(this);
    counter_->setPoll(
        [this, job] { sizeLabel->setText(QStringLiteral("Counting... ") + sizeText(job->bytesCounted())); });
    counter_->start([job, complete](JobContext& context) { *complete = job->run(context.cancelToken()); },
                    [this, job, complete] {
                        if (*complete && !job->results().empty()) {
                            const lists::FolderSize& s = job->results().front();
                            QString text =
                                sizeText(s.bytes) +
                                QStringLiteral(", %1 files, %2 folders").arg(s.files).arg(s.folders);
                            if (s.unreadable > 0)
                                text += QStringLiteral(" (%1 folders could not be read)").arg(s.unreadable);
                            sizeLabel->setText(text);
                        } else {
                            sizeLabel->setText(QStringLiteral("not counted"));
                        }
                        emit sizeCounted();
                    });
}

void PropertiesWindow::setBoxes(mode_t mode) {
    settingBoxes_ = true;
    for (std::size_t i = 0; i < kPermissionBits.size(); ++i)
        permissionBoxes[i]->setChecked((mode & kPermissionBits[i]) != 0);
    settingBoxes_ = false;
    permissionLabel->setText(QString::fromStdString(ops::permissionText(mode)));
}

void PropertiesWindow::permissionToggled() {
    if (settingBoxes_ || !props_) return;
    mode_t rwx = 0;
    for (std::size_t i = 0; i < kPermissionBits.size(); ++i)
        if (permissionBoxes[i]->isChecked()) rwx |= kPermissionBits[i];
    if (Status s = ops::changePermissions(path_, rwx); !s) {
        setBoxes(props_->mode);  // the boxes show what the item has
        showMessage(
            this, QStringLiteral("Could not change the permissions of ") + displayPath(s.error().describe()),
            QMessageBox::Warning);
        return;
    }
    props_->mode = (props_->mode & 07000) | rwx;
    setBoxes(props_->mode);
    // The read-only mark of the windows on its folder may have changed.
    reloadKeepingSelection(frame_, props_->location);
}

PropertiesWindow* showItemProperties(Tmdimain& frame, const std::string& path) {
    if (path.empty()) return nullptr;
    for (PropertiesWindow* open :
         frame.findChildren<PropertiesWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->path() != path) continue;
        open->raise();
        open->activateWindow();
        return open;
    }
    auto* w = new PropertiesWindow(frame, path);
    w->QDialog::show();
    w->raise();
    w->activateWindow();
    return w;
}

}  // namespace arbel::ui
