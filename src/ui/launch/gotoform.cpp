#include "ui/launch/gotoform.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <optional>

#include "core/app/file_system.h"
#include "core/commands/gates.h"
#include "core/config/settings.h"
#include "core/launch/folder_browse.h"
#include "ui/app/bounded_task.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/launch/launch_dialog_support.h"
#include "ui/search/findform.h"

namespace arbel::ui {
namespace {

constexpr int kPathRole = Qt::UserRole + 1;

std::string bytesOf(const QVariant& v) {
    const QByteArray b = v.toByteArray();
    return std::string(b.constData(), size_t(b.size()));
}

QByteArray toBytes(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

QString notAnswering() {
    return QString::fromUtf8(commands::kNotAnswering.data(), qsizetype(commands::kNotAnswering.size()));
}

}  // namespace

Tgotoform::Tgotoform(Tmdimain& frame, const std::string& start)
    : OperationDialog(frame, app::DialogTag::GotoForm, QStringLiteral("gotoform"),
                      QStringLiteral("Type or select a folder")) {
    auto* grid = new QGridLayout(this);
    Label1 = new QLabel(QStringLiteral("Folder Path:"), this);
    ComboBox1 = new QComboBox(this);
    fillHistoryBox(ComboBox1, frame_.config().readHistory(config::sections::Folders));
    ComboBox1->setMinimumWidth(360);
    Edit1 = ComboBox1->lineEdit();
    DriveComboBox1 = new QComboBox(this);
    DirectoryListBox1 = new QListWidget(this);
    DirectoryListBox1->setMinimumHeight(180);
    Button1 = new QPushButton(QStringLiteral("Open"), this);
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Close"), this);
    grid->addWidget(Label1, 0, 0, 1, 3);
    grid->addWidget(ComboBox1, 1, 0, 1, 3);
    grid->addWidget(DirectoryListBox1, 2, 0, 1, 3);
    grid->addWidget(DriveComboBox1, 3, 0, 1, 3);
    grid->addWidget(Button1, 4, 1);
    grid->addWidget(Button2, 4, 2);
    connect(Button1, &QPushButton::clicked, this, &Tgotoform::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::close);
    connect(ComboBox1, &QComboBox::activated, this, [this] { Edit1->setFocus(); });
    // The folder under the cursor (by click or by keys) is the one Open takes;
    // a double click lists it. Enter goes to the default button, Open.
    connect(DirectoryListBox1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) setEditPath(bytesOf(item->data(kPathRole)));
    });
    connect(DirectoryListBox1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { setEditPath(bytesOf(item->data(kPathRole))); });
    connect(DirectoryListBox1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { browse(bytesOf(item->data(kPathRole))); });
    connect(DriveComboBox1, &QComboBox::activated, this,
            [this](int index) { browse(bytesOf(DriveComboBox1->itemData(index))); });
    connect(Edit1, &QLineEdit::textEdited, this, [this] { editBytes_.clear(); });
    fillVolumes();
    watchConfirmKeys(Edit1, Button1);
    finishCreation(Edit1);

    const std::string path = launch::withoutTrailingSlash(start);
    if (!path.empty()) {
        QPointer<Tgotoform> self(this);
        runBounded<bool>(
            this, [path] { return isFolder(path); },
            [self, path](std::optional<bool> folder) {
                if (self && folder.value_or(false)) self->browse(path);
            });
    }
}

Tgotoform* Tgotoform::open(Tmdimain& frame) {
    std::string start = activeWindowFolder(frame);
    const app::ActiveKind kind = frame.state().activeKind;
    if (kind == app::ActiveKind::Auto || kind == app::ActiveKind::List) {
        const FirstSelected first = firstSelectedEntry(frame);
        if (!first.path.empty()) start = first.path;
    }
    if (frame.state().fromSearch)
        if (Tfindform* search = searchWindow(frame)) {
            const std::vector<std::string> paths = search->selectedPaths();
            if (!paths.empty()) start = parentPath(paths.front());
        }
    return showOverFrame(frame, new Tgotoform(frame, start));
}

void Tgotoform::fillVolumes() {
    for (const Volume& v : listVolumes()) {
        QString caption = displayPath(v.mountPoint);
        const std::string& name = !v.label.empty() ? v.label : v.displayName;
        if (!name.empty()) caption += QStringLiteral("  [") + displayPath(name) + QLatin1Char(']');
        DriveComboBox1->addItem(caption, toBytes(v.mountPoint));
    }
}

void Tgotoform::setEditPath(const std::string& path) {
    editBytes_ = path;
    Edit1->setText(displayPath(path));
}

void Tgotoform::browse(const std::string& folder) {
    setEditPath(folder);
    // The folder may be on a network mount: read where it cannot freeze the dialog.
    QPointer<Tgotoform> self(this);
    runBounded<std::vector<std::string>>(
        this, [folder] { return launch::subfolderNames(folder); },
        [self, folder](std::optional<std::vector<std::string>> names) {
            if (!self) return;
            self->showRows(folder, names.value_or(std::vector<std::string>{}));
            emit self->browsed();
        });
}

void Tgotoform::showRows(const std::string& folder, const std::vector<std::string>& subfolders) {
    browsed_ = folder;
    DirectoryListBox1->clear();
    for (const launch::BrowseRow& row : launch::browseRows(folder, subfolders)) {
        const QString name = row.depth == 0 ? displayPath(row.folder) : displayPath(baseName(row.folder));
        auto* item = new QListWidgetItem(QString(row.depth * 2, QLatin1Char(' ')) + name, DirectoryListBox1);
        item->setData(kPathRole, toBytes(row.folder));
        item->setIcon(style()->standardIcon(row.current ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
        if (row.current) DirectoryListBox1->setCurrentItem(item);
    }
}

void Tgotoform::Button1Click() {
    if (checking_) return;
    // The bytes behind the text: a browsed folder or a history entry keeps its
    // own bytes (a non-UTF-8 name), a typed path is taken as typed.
    std::string path = typedBytes(ComboBox1);
    if (!editBytes_.empty() && Edit1->text() == displayPath(editBytes_)) path = editBytes_;
    checking_ = true;
    QPointer<Tgotoform> self(this);
    runBounded<bool>(
        this, [path] { return !path.empty() && isFolder(path); },
        [self, path](std::optional<bool> folder) {
            if (!self) return;
            self->checking_ = false;
            if (!folder) {
                showMessage(self, displayPath(path) + notAnswering(), QMessageBox::Warning);
                self->Edit1->setFocus();
                return;
            }
            if (!*folder) {
                showMessage(self, QStringLiteral("That directory does not exist"));
                self->Edit1->setFocus();
                return;
            }
            Tmdimain& frame = self->frame_;
            (void)rememberInHistory(frame, config::sections::Folders, path, self->ComboBox1);
            // Closed first, so that the new window is activated with no dialog open.
            self->close();
            openFolderWindowQuietly(frame, launch::withoutTrailingSlash(path));
        });
}

}  // namespace arbel::ui
