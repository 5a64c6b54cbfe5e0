#include "ui/lists/file_window.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/app/file_system.h"
#include "core/lists/list_format.h"
#include "core/lists/whatdisk.h"
#include "ui/app/scope_guards.h"
#include "ui/frame/mdimain.h"
#include "ui/frame/view_panel.h"
#include "ui/lists/file_list.h"
#include "ui/lists/file_list_view.h"
#include "ui/lists/right_drag.h"
#include "ui/viewer/mdiview.h"

namespace arbel::ui {

namespace {

constexpr int kRightTimerMs = 500;
constexpr int kStillPixels = 10;
const char* const kMaroon = "color: #800000;";

}  // namespace

bool FileWindow::atVolumeRoot(const std::string& folder) {
    if (folder.empty() || folder == "/") return true;
    for (const Volume& v : listVolumes()) {
        if (v.mountPoint == folder) return true;
    }
    return false;
}

FileWindow::FileWindow(Tmdimain& frame, app::ActiveKind kind) : ChildWindow(frame, kind) {
    model_ = new TFileList(this);
    buildWidgets();
    buildMenus();
    setUpDrops();
    Timer1.setSingleShot(true);
    Timer1.setInterval(kRightTimerMs);
    connect(&Timer1, &QTimer::timeout, this, &FileWindow::Timer1Timer);
    connect(model_, &TFileList::readProgress, this, &FileWindow::onProgress);
    connect(model_, &TFileList::readFinished, this, &FileWindow::onReadFinished);
}

FileWindow::~FileWindow() = default;

void FileWindow::buildWidgets() {
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel3 = new QWidget(body);
    auto* top = new QHBoxLayout(Panel3);
    top->setContentsMargins(2, 1, 2, 1);
    BitBtn1 = new QToolButton(Panel3);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    BitBtn1->setToolTip(QStringLiteral("Up One Level"));
    BitBtn1->setAutoRaise(true);
    connect(BitBtn1, &QToolButton::clicked, this, &FileWindow::BitBtn1Click);
    top->addWidget(BitBtn1);

    Panel1 = new QFrame(Panel3);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->installEventFilter(this);
    auto* status = new QHBoxLayout(Panel1);
    status->setContentsMargins(4, 0, 4, 0);
    extlabel = new QLabel(Panel1);
    extlabel->setObjectName(QStringLiteral("extlabel"));
    maskLabel_ = new QLabel(Panel1);
    maskLabel_->setObjectName(QStringLiteral("maskLabel"));
    Label2 = new QLabel(Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* l : {extlabel, maskLabel_, Label2}) l->installEventFilter(this);
    status->addWidget(extlabel);
    status->addStretch(1);
    status->addWidget(maskLabel_);
    status->addStretch(1);
    status->addWidget(Label2);
    top->addWidget(Panel1, 1);
    layout->addWidget(Panel3);

    // The header labels of the icon and list styles: a click sorts.
    listpan = new QWidget(body);
    auto* header = new QHBoxLayout(listpan);
    header->setContentsMargins(6, 0, 6, 0);
    names = new QLabel(QStringLiteral("Name"), listpan);
    names->setObjectName(QStringLiteral("names"));
    Label3 = new QLabel(QStringLiteral("Ext"), listpan);
    Label3->setObjectName(QStringLiteral("Label3"));
    for (QLabel* l : {names, Label3}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    header->addWidget(names);
    header->addSpacing(40);
    header->addWidget(Label3);
    header->addStretch(1);
    layout->addWidget(listpan);

    FileList1 = new TFileListView(*model_, body);
    FileList1->setObjectName(QStringLiteral("FileList1"));
    FileList1->installEventFilter(this);
    for (QWidget* v :
         {static_cast<QWidget*>(FileList1->listView()), static_cast<QWidget*>(FileList1->reportView())}) {
        v->installEventFilter(this);
    }
    layout->addWidget(FileList1, 1);
    setWidget(body);

    connect(FileList1, &TFileListView::rightPressed, this, &FileWindow::rightclick);
    connect(FileList1, &TFileListView::rightReleased, this, &FileWindow::rightclickup);
    connect(FileList1, &TFileListView::rightDoubleClicked, this, &FileWindow::dblrightclick);
    connect(FileList1, &TFileListView::headerClicked, this, [this](lists::FileInfo info) { sortBy(info); });
    connect(FileList1, &TFileListView::selectionChangedByUser, this, &FileWindow::selectionChanged);
    connect(FileList1, &TFileListView::leftReleased, this, &FileWindow::FileList1MouseUp);
    connect(FileList1, &TFileListView::entryActivated, this, [this](int) {
        QPointer<FileWindow> self(this);
        frame().activateChild(this);
        if (self) frame().Selected1Click();
    });
    updateHeaderLabels();
}

void FileWindow::buildMenus() {
    // Each item runs the frame's command of its id.
    using commands::Command;
    auto command = [this](const char* caption, Command id) {
        return PopupMenu1->addAction(QString::fromLatin1(caption), this,
                                     [this, id] { frame().runCommand(id); });
    };
    PopupMenu1 = new QMenu(this);
    command("Copy", Command::Copy);
    command("Move", Command::Move);
    command("Delete", Command::Delete);
    renameItem_ = command("Rename", Command::Rename);
    PopupMenu1->addAction(QStringLiteral("Attributes"), this, [this] {
        frame().runCommand(QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier
                               ? Command::Properties
                               : Command::ChangeAttributes);
    });
    propertiesItem_ = command("Properties", Command::Properties);
    shortcutItem_ = command("Shortcut", Command::ShortcutProperties);
    shortcutItem_->setVisible(false);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(QStringLiteral("Cancel"));
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] {
        const auto rows = FileList1->selectedRows();
        renameItem_->setEnabled(rows.size() == 1);
        propertiesItem_->setEnabled(rows.size() == 1);
        // Link entries (".desktop" files) get their editor.
        bool desktop =
            rows.size() == 1 && model_->core().cell(static_cast<std::size_t>(rows[0]), lists::Cell::Extension,
                                                    model_->format()) == ".DESKTOP";
        shortcutItem_->setVisible(desktop);
    });

    PopupMenu2 = new QMenu(this);
    // The folder dropped on (an entry, else the window's folder) is the copy's target.
    auto dropTarget = [this] {
        std::string target =
            rightDropTarget_.empty() ? shownFolder() : joinPath(shownFolder(), rightDropTarget_);
        rightDropTarget_.clear();
        return target;
    };
    PopupMenu2->addAction(QStringLiteral("Copy"), this,
                          [this, dropTarget] { frame().copyItemsTo(dropTarget()); });
    PopupMenu2->addAction(QStringLiteral("Move"), this,
                          [this, dropTarget] { frame().moveItemsTo(dropTarget()); });
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(QStringLiteral("Cancel"));
}

app::AppState& FileWindow::state() const {
    return frame().state();
}

QWidget* FileWindow::mainControl() const {
    return FileList1->currentView();
}

DisplayStyle FileWindow::displayStyle() const {
    return FileList1->displayStyle();
}

void FileWindow::setDisplayStyle(DisplayStyle style) {
    FileList1->setDisplayStyle(style);
    // The report style has its own column headers.
    listpan->setVisible(style != DisplayStyle::Report);
}

void FileWindow::sortBy(lists::FileInfo key) {
    model_->sortByInfo(key);
    updateHeaderLabels();
}

lists::FileInfo FileWindow::sortKey() const {
    return model_->core().sortOrder().column;
}
bool FileWindow::sortReversed() const {
    return model_->core().sortOrder().reversed;
}

void FileWindow::updateHeaderLabels() {
    auto underline = [](QLabel* l, bool on) {
        QFont f = l->font();
        f.setUnderline(on);
        l->setFont(f);
    };
    underline(names, sortKey() == lists::FileInfo::Name);
    underline(Label3, sortKey() == lists::FileInfo::DosExt);
}

bool FileWindow::setFilter(const std::string& mask) {
    lists::FileListModel& core = model_->core();
    std::string before = core.mask();
    core.setMask(mask);
    if (core.mask() == before) return false;
    updateWith(state().pendingUpdate, shownFolder());
    return true;
}

std::string FileWindow::filter() const {
    return model_->core().mask();
}

void FileWindow::setShowFolders(bool on) {
    if (model_->core().setDisplayDirectory(on)) readFolder(shownFolder());
}

bool FileWindow::showFolders() const {
    return model_->core().displayDirectory();
}

void FileWindow::selectAll(bool filesOnly) {
    FileList1->selectAll(filesOnly);
    bytecount();
}

std::vector<std::string> FileWindow::selectedPaths() const {
    std::vector<std::string> out;
    for (int row : FileList1->selectedRows()) out.push_back(model_->fullPath(row));
    return out;
}

std::vector<std::string> FileWindow::selectedNames() const {
    std::vector<std::string> out;
    for (int row : FileList1->selectedRows())
        out.emplace_back(model_->core().name(static_cast<std::size_t>(row)));
    return out;
}

void FileWindow::setFolderSize(const std::string& path, uint64_t bytes) {
    for (int row : FileList1->selectedRows()) {
        if (model_->fullPath(row) == path) model_->setFolderSize(row, bytes);
    }
    long row = -1;
    if (path.rfind(shownFolder(), 0) == 0) {
        std::string_view name(path);
        name.remove_prefix(std::min(path.size(), shownFolder().size() + (shownFolder() == "/" ? 0 : 1)));
        row = model_->core().findName(name);
    }
    if (row >= 0) model_->setFolderSize(static_cast<int>(row), bytes);
}

void FileWindow::stopReading() {
    model_->cancel();
}
bool FileWindow::reading() const {
    return model_->reading();
}

QString FileWindow::statusText() const {
    return extlabel->text();
}
QString FileWindow::freeSpaceText() const {
    return Label2->text();
}
QString FileWindow::maskCaption() const {
    return maskLabel_->text();
}

void FileWindow::refreshWindow(app::RefreshSignal mode, const std::string& folder) {
    updateWith(mode, folder);
}

void FileWindow::syncViewControls(ViewPanel& panel) {
    panel.shdirs->setChecked(showFolders());
    panel.setDisplayStyle(displayStyle());
    panel.setFilterText(QString::fromStdString(filter()));
}

app::ChildExtras FileWindow::settingsExtras() const {
    app::ChildExtras e;
    e.style = std::string(config::kListStyles[static_cast<std::size_t>(displayStyle())]);
    e.showFolders = showFolders();
    return e;
}

void FileWindow::ActivateForm() {
    if (state().pendingUpdate == app::RefreshSignal::Rename) {
        ChildWindow::ActivateForm();
        return;
    }
    ChildWindow::ActivateForm();
    bytecount();
}

void FileWindow::applyStoredSettings(const config::Key& styleKey, const config::Key& folderKey) {
    const config::IniFile& ini = frame().config();
    if (auto style = config::listStyleIndex(config::getText(ini, styleKey))) {
        setDisplayStyle(static_cast<DisplayStyle>(*style));
    } else {
        setDisplayStyle(DisplayStyle::List);
    }
    model_->core().setDisplayDirectory(config::getBool(ini, folderKey));
}

void FileWindow::setUpEnabled(bool on) {
    BitBtn1->setEnabled(on);
}

void FileWindow::readFolder(const std::string& folder) {
    lists::FileListModel& core = model_->core();
    core.setFolder(folder);
    extlabel->setText(QStringLiteral("Reading..."));
    model_->rereadAsync();
}

void FileWindow::onProgress(qulonglong entries) {
    if (!model_->reading()) return;
    extlabel->setText(
        QStringLiteral("Reading... %1 entries (Esc stops)")
            .arg(QString::fromStdString(lists::formatGrouped(entries, model_->format().thousandsSep))));
}

void FileWindow::onReadFinished(bool) {
    afterRead();
    applyPendingSelection();
    emit listRead();
}

void FileWindow::selectNames(std::vector<std::string> names) {
    pendingSelection_ = std::move(names);
    if (!reading()) applyPendingSelection();
}

void FileWindow::applyPendingSelection() {
    if (pendingSelection_.empty()) return;
    const std::vector<std::string> names = std::move(pendingSelection_);
    pendingSelection_.clear();
    QItemSelection rows;
    QModelIndex first;
    for (const std::string& name : names) {
        const long row = model_->core().findName(name);
        if (row < 0) continue;
        const QModelIndex index = model_->index(static_cast<int>(row), 0);
        rows.select(index, index);
        if (!first.isValid()) first = index;
    }
    if (!first.isValid()) return;
    QItemSelectionModel* selection = FileList1->selectionModel();
    selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    FileList1->currentView()->scrollTo(first);
    selectionChanged();
}

void FileWindow::afterRead() {
    const lists::FileListModel& core = model_->core();
    const std::string& sep = model_->format().thousandsSep;
    state().freeSpaceText = whatdiskText();
    Label2->setText(QString::fromStdString(state().freeSpaceText));
    extlabel->setText(QString::fromStdString(
        lists::folderStatusText(core.fileCount(), core.totalBytes(), core.folderCount(), sep)));
    const bool masked = !core.maskIsAll();
    maskLabel_->setText(masked ? QString::fromStdString(core.mask()).toUpper() : QString());
    const QString colour = masked ? QString::fromLatin1(kMaroon) : QString();
    for (QLabel* l : {extlabel, Label2, maskLabel_}) l->setStyleSheet(colour);
    bytecount();
    if (FileList1->selectedRows().empty()) FileList1->focusFirst();
}

std::string FileWindow::whatdiskText() const {
    auto bytes = model_->lastFreeBytes();
    return bytes ? arbel::lists::freeSpaceText(*bytes, model_->format().thousandsSep) : std::string();
}

void FileWindow::bytecount() {
    const auto rows = FileList1->selectedRows();
    uint64_t files = 0, folders = 0, bytes = 0;
    for (int row : rows) {
        const lists::FileEntry& e = model_->core().entry(static_cast<std::size_t>(row));
        if (e.isFolder()) {
            ++folders;
        } else {
            ++files;
            bytes += e.size;
        }
    }
    selectString_ = QString::fromStdString(
        arbel::lists::selectionText(files, bytes, folders, model_->format().thousandsSep));
    if (state().pendingUpdate != app::RefreshSignal::CaptionUpdate && frame().activeChild() == this) {
        frame().setStatusText(selectString_);
    }
}

void FileWindow::selectionChanged() {
    const auto rows = FileList1->selectedRows();
    if (!rows.empty()) {
        state().renameTarget = model_->fullPath(rows.front());
    } else {
        state().renameTarget.clear();
    }
    bytecount();
    if (!rows.empty()) autoViewerFollow(frame(), model_->fullPath(rows.front()));
}

void FileWindow::FileList1MouseUp() {
    if (state().activeDialog == app::DialogTag::None) {
        bytecount();
        return;
    }
    const auto rows = FileList1->selectedRows();
    std::string folder = shownFolder();
    if (!rows.empty() && model_->core().entry(static_cast<std::size_t>(rows.front())).isFolder()) {
        folder = model_->fullPath(rows.front());
    }
    emit folderOffered(QByteArray(folder.data(), static_cast<qsizetype>(folder.size())));
    frame().finddlog();
}

void FileWindow::BitBtn1Click() {
    FrozenUpdates frozen(frame().clientArea());
    frame().activateChild(this);
    const std::string& here = shownFolder();
    if (atVolumeRoot(here)) return;
    updateWith(app::RefreshSignal::Format, parentPath(here));
}

void FileWindow::Panel1DblClick() {
    if (model_->core().maskIsAll()) return;
    model_->core().setMask("*.*");
    if (auto* panel = frame().viewPanel()) panel->setFilterText(QStringLiteral("*.*"));
    if (kind() == app::ActiveKind::Auto) {
        app::ScopedRefreshSignal s(state(), app::RefreshSignal::Yes);
        updateWith(app::RefreshSignal::Yes, shownFolder());
    } else {
        updateWith(state().pendingUpdate, shownFolder());
    }
}

bool FileWindow::nearPress(QPoint pos) const {
    return std::abs(pos.x() - pressPos_.x()) <= kStillPixels &&
           std::abs(pos.y() - pressPos_.y()) <= kStillPixels;
}

void FileWindow::rightclick(QPoint pos) {
    if (state().activeDialog == app::DialogTag::Rename || state().activeDialog == app::DialogTag::NewDir)
        return;
    // Compare cursor positions, so a press and its release (or the
    // timer) agree whatever widget the events went to.
    pressPos_ = QCursor::pos();
    frame().activateChild(this);
    state().rightButtonPopup = true;
    Timer1.start();
    rightClickRow_ = FileList1->rowAt(FileList1->toViewport(pos));
}

void FileWindow::Timer1Timer() {
    Timer1.stop();
    const bool still = nearPress(QCursor::pos());
    if (still && state().rightButtonPopup && rightClickRow_ >= 0 && rightClickRow_ < model_->rowCount()) {
        FileList1->selectionModel()->select(model_->index(rightClickRow_, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        bytecount();
        state().rightButtonPopup = false;
        PopupMenu1->popup(QCursor::pos());
    }
    state().rightButtonPopup = false;
}

void FileWindow::rightclickup(QPoint pos) {
    state().rightButtonPopup = false;
    Timer1.stop();
    if (pressPos_.x() < 0) return;
    if (nearPress(QCursor::pos())) {
        if (rightClickRow_ >= 0 && rightClickRow_ < model_->rowCount()) {
            QModelIndex i = model_->index(rightClickRow_, 0);
            FileList1->selectionModel()->setCurrentIndex(
                i, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
        }
        frame().finddlog();
        bytecount();
        return;
    }
    // A right-button drag: ask what to do with the selection over the target.
    if (rightClickRow_ >= 0 && rightClickRow_ < model_->rowCount() &&
        !FileList1->selectionModel()->isRowSelected(rightClickRow_)) {
        FileList1->selectionModel()->select(model_->index(rightClickRow_, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    if (endRightDragElsewhere(this, FileList1->mapToGlobal(pos))) return;
    rightDropTarget_ = folderNameAt(pos);
    PopupMenu2->popup(FileList1->mapToGlobal(pos));
}

void FileWindow::dblrightclick(QPoint pos) {
    state().rightButtonPopup = false;
    Timer1.stop();
    int row = FileList1->rowAt(FileList1->toViewport(pos));
    if (row < 0) return;
    FrozenUpdates frozen(frame().clientArea());
    FileList1->selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
    const std::string path = model_->fullPath(row);
    if (model_->core().entry(static_cast<std::size_t>(row)).isFolder()) {
        // The folder opens in this window.
        updateWith(app::RefreshSignal::Format, path);
    } else {
        openFileViewer(frame(), path);
    }
}

bool FileWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() == Qt::Key_Escape && model_->reading()) {
            stopReading();
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease) bytecount();
    if (event->type() == QEvent::MouseButtonDblClick &&
        (watched == Panel1 || watched == extlabel || watched == maskLabel_ || watched == Label2)) {
        Panel1DblClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && (watched == names || watched == Label3)) {
        sortBy(watched == names ? lists::FileInfo::Name : lists::FileInfo::DosExt);
        return true;
    }
    return ChildWindow::eventFilter(watched, event);
}

}  // namespace arbel::ui
