#include "ui/search/findform.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

#include "core/app/file_system.h"
#include "core/commands/gates.h"
#include "core/config/settings.h"
#include "ui/app/file_drag.h"
#include "ui/app/message_box.h"
#include "ui/app/scope_guards.h"
#include "ui/app/whole_names.h"
#include "ui/frame/commands_support.h"
#include "ui/frame/mdimain.h"
#include "ui/search/find_job.h"
#include "ui/search/find_results_model.h"
#include "ui/viewer/mdiview.h"

namespace arbel::ui {

namespace {

QPointer<Tfindform> g_findform;

const QString kTitle = QStringLiteral("Search for Files");
const QString kCaptionPrefix = QStringLiteral("Find files in ");
const QString kEscToCancel = QStringLiteral("<ESC> to cancel...");
const QString kScanning = QStringLiteral("Scanning ");
const QString kFilesFound = QStringLiteral(" File(s) found");

// A date field's text as a point in local time: a date (its first instant), or a
// date followed by a time. Nothing when the text is neither.
std::optional<QDateTime> readDateField(const QString& text) {
    const QString t = text.trimmed();
    const QLocale loc;
    const QString df = Tfindform::dateFormat();
    for (const QString& tf : {loc.timeFormat(QLocale::LongFormat), loc.timeFormat(QLocale::ShortFormat)}) {
        QDateTime dt = loc.toDateTime(t, df + QLatin1Char(' ') + tf);
        if (dt.isValid()) return dt;
    }
    QDate d = loc.toDate(t, df);
    if (!d.isValid()) d = QDate::fromString(t, Qt::ISODate);
    if (!d.isValid()) return std::nullopt;
    return QDateTime(d, QTime(0, 0));
}

int64_t toNs(const QDateTime& t) {
    return t.toMSecsSinceEpoch() * 1000000;
}

std::string homeOrRoot() {
    std::string home = homeFolder();
    return home.empty() ? "/" : home;
}

}  // namespace

Tfindform* Tfindform::instance() {
    return g_findform.data();
}

Tfindform* Tfindform::open(Tmdimain& frame) {
    if (Tfindform* f = instance()) {
        f->show();
        f->raise();
        f->activateWindow();
        return f;
    }
    // The start folder: the tree's selected folder, or the folder a file window
    // shows (its first selected entry when that is a folder).
    std::string start;
    const commands::OpenInputs in = openInputs(frame);
    switch (frame.state().activeKind) {
        case app::ActiveKind::Dir:
            start = in.treeFolder;
            break;
        case app::ActiveKind::List:
        case app::ActiveKind::Auto:
            start = in.listFolder;
            if (!start.empty() && !in.firstSelectedName.empty()) {
                const std::string sub = joinPath(start, in.firstSelectedName);
                if (commandQueries().isFolder(sub)) start = sub;
            }
            break;
        default:
            break;
    }
    if (start.empty()) start = homeOrRoot();
    auto* f = new Tfindform(frame, start);
    f->show();
    f->activateWindow();
    return f;
}

QString Tfindform::dateFormat() {
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy"))) f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

Tfindform::Tfindform(Tmdimain& frame, const std::string& startFolder)
    : QWidget(&frame, Qt::Tool), frame_(frame) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("findform"));
    g_findform = this;
    model_ = new FindResultsModel(this);
    job_ = new FindJob(this);
    buildControls();

    frame_.dialogOpened(app::DialogTag::FindForm, this, maskEdit);
    frame_.setSearchResults(resultsView);
    loadHistory();
    maskEdit->setText(QString::fromUtf8(search::kAnyMask.data(), search::kAnyMask.size()));
    const QString today = QLocale().toString(QDate::currentDate(), dateFormat());
    fromDateEdit->setText(today);
    toDateEdit->setText(today);
    setStartFolder(startFolder);

    const QRect fr = frame_.geometry();
    resize(640, 460);
    move(fr.left() + 40, fr.top() + 60);

    connect(job_, &FindJob::finished, this, &Tfindform::searchDone);
    connect(job_, &FindJob::progress, this, &Tfindform::drainResults);
    menuTimer_.setSingleShot(true);
    menuTimer_.setInterval(500);
    connect(&menuTimer_, &QTimer::timeout, this, &Tfindform::Timer1Timer);
}

Tfindform::~Tfindform() {
    // Deleted without a close: tell the frame, unless the frame itself is going (its
    // state is gone by the time its children are deleted).
    if (!closing_ && Tmdimain::instance() == &frame_) {
        closing_ = true;
        frame_.dialogClosed(app::DialogTag::FindForm);
    }
}

void Tfindform::buildControls() {
    auto* grid = new QGridLayout;
    int row = 0;
    auto label = [&](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };

    maskEdit = new QLineEdit(this);
    maskHistory = new QComboBox(this);
    maskHistory->setMinimumContentsLength(12);
    grid->addWidget(label(tr("Search for:"), maskEdit), row, 0);
    grid->addWidget(maskEdit, row, 1, 1, 3);
    grid->addWidget(maskHistory, row++, 4);
    connect(maskHistory, &QComboBox::activated, this, &Tfindform::combo1Change);

    folderEdit = new QLineEdit(this);
    browseButton = new QPushButton(tr("..."), this);
    grid->addWidget(label(tr("Search in:"), folderEdit), row, 0);
    grid->addWidget(folderEdit, row, 1, 1, 3);
    grid->addWidget(browseButton, row++, 4);
    connect(folderEdit, &QLineEdit::editingFinished, this, &Tfindform::DirectoryListBox1Change);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, tr("Search in:"), folderEdit->text());
        if (!dir.isEmpty()) setStartFolder(dir.toStdString());
    });

    subfoldersBox = new QCheckBox(tr("search subfolders"), this);
    grid->addWidget(subfoldersBox, row++, 1, 1, 3);

    containingBox = new QCheckBox(tr("Containing text:"), this);
    containingEdit = new QLineEdit(this);
    grid->addWidget(containingBox, row, 0);
    grid->addWidget(containingEdit, row++, 1, 1, 4);

    sizeBox = new QCheckBox(tr("Size range:"), this);
    sizeEdit = new QLineEdit(QStringLiteral("100"), this);
    minButton = new QRadioButton(tr("min"), this);
    maxButton = new QRadioButton(tr("max"), this);
    minButton->setChecked(true);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(sizeEdit);
    sizeRow->addWidget(new QLabel(tr("KB"), this));
    sizeRow->addWidget(minButton);
    sizeRow->addWidget(maxButton);
    sizeRow->addStretch();
    grid->addWidget(sizeBox, row, 0);
    grid->addLayout(sizeRow, row++, 1, 1, 4);

    dateBox = new QCheckBox(tr("Modified between:"), this);
    fromDateEdit = new QLineEdit(this);
    toDateEdit = new QLineEdit(this);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(fromDateEdit);
    dateRow->addWidget(new QLabel(tr("and"), this));
    dateRow->addWidget(toDateEdit);
    grid->addWidget(dateBox, row, 0);
    grid->addLayout(dateRow, row++, 1, 1, 4);

    attributesBox = new QCheckBox(tr("Attributes:"), this);
    archiveBox = new QCheckBox(tr("archive"), this);
    systemBox = new QCheckBox(tr("system"), this);
    hiddenBox = new QCheckBox(tr("hidden"), this);
    readonlyBox = new QCheckBox(tr("readonly"), this);
    auto* attrRow = new QHBoxLayout;
    for (QCheckBox* b : {archiveBox, systemBox, hiddenBox, readonlyBox}) {
        b->setChecked(true);
        attrRow->addWidget(b);
    }
    attrRow->addStretch();
    grid->addWidget(attributesBox, row, 0);
    grid->addLayout(attrRow, row++, 1, 1, 4);

    for (QCheckBox* b : {containingBox, sizeBox, dateBox, attributesBox})
        connect(b, &QCheckBox::toggled, this, &Tfindform::updateEnabling);

    searchButton = new QPushButton(tr("&Search"), this);
    closeButton = new QPushButton(tr("&Close"), this);
    searchButton->setDefault(true);
    connect(searchButton, &QPushButton::clicked, this, &Tfindform::Button1Click);
    connect(closeButton, &QPushButton::clicked, this, &Tfindform::Button2Click);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(searchButton);
    buttons->addWidget(closeButton);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addLayout(buttons);

    auto* results = new FileItemView<QTreeView>(this);
    // A drag carries the selected results (their files, in list order).
    results->dragPaths = [this] { return selectedPaths(); };
    resultsView = results;
    resultsView->setModel(model_);
    resultsView->setRootIsDecorated(false);
    resultsView->setUniformRowHeights(true);
    resultsView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    resultsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultsView->setSortingEnabled(false);
    resultsView->setContextMenuPolicy(Qt::PreventContextMenu);
    resultsView->setDragEnabled(true);
    resultsView->setDragDropMode(QAbstractItemView::DragOnly);
    resultsView->header()->setSectionsClickable(false);
    const int widths[] = {120, 120, 60, 45, 200};
    for (int c = 0; c < FindResultsModel::ColumnCount; ++c) resultsView->setColumnWidth(c, widths[c]);
    // Names and locations as wide as the longest one, cut in the middle only
    // when the window is too narrow.
    resultsView->header()->setStretchLastSection(false);
    resultsView->setTextElideMode(Qt::ElideMiddle);
    new WholeNames(resultsView, {FindResultsModel::NameColumn, FindResultsModel::FolderColumn});
    resultsView->viewport()->installEventFilter(this);
    connect(resultsView, &QTreeView::doubleClicked, this, &Tfindform::ListBox1DblClick);
    connect(resultsView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Tfindform::ListBox1Change);

    stb = new QStatusBar(this);
    stb->setSizeGripEnabled(false);

    // Each item runs the frame's command of its id.
    resultsMenu = new QMenu(this);
    auto command = [this](const QString& caption, commands::Command id) {
        return resultsMenu->addAction(caption, this, [this, id] { frame_.runCommand(id); });
    };
    command(tr("Copy"), commands::Command::Copy);
    command(tr("Move"), commands::Command::Move);
    command(tr("Delete"), commands::Command::Delete);
    command(tr("Rename"), commands::Command::Rename)->setObjectName(QStringLiteral("Rename1"));
    command(tr("Attributes"), commands::Command::ChangeAttributes);
    resultsMenu->addSeparator();
    resultsMenu->addAction(tr("Cancel"));
    connect(resultsMenu, &QMenu::aboutToShow, this, &Tfindform::PopupMenu1Popup);

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(resultsView, 1);
    all->addWidget(stb);
    updateEnabling();
}

void Tfindform::loadHistory() {
    const auto stored = frame_.config().readHistory(config::sections::Findspecs);
    maskHistory->clear();
    for (const std::string& s : search::comboEntries(stored)) maskHistory->addItem(displayPath(s));
}

void Tfindform::updateEnabling() {
    containingEdit->setEnabled(containingBox->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{sizeEdit, maxButton, minButton})
        w->setEnabled(sizeBox->isChecked());
    fromDateEdit->setEnabled(dateBox->isChecked());
    toDateEdit->setEnabled(dateBox->isChecked());
    for (QCheckBox* b : {archiveBox, systemBox, hiddenBox, readonlyBox})
        b->setEnabled(attributesBox->isChecked());
}

std::string Tfindform::startFolder() const {
    return startFolder_;
}

void Tfindform::setStartFolder(const std::string& folder) {
    // The bytes are kept: a folder whose name is not valid UTF-8 is shown with
    // replacement characters but searched under its real name.
    startFolder_ = folder;
    folderEdit->setText(displayPath(folder));
    DirectoryListBox1Change();
}

void Tfindform::DirectoryListBox1Change() {
    // A folder typed by the user replaces the one chosen before.
    if (folderEdit->text() != displayPath(startFolder_)) startFolder_ = folderEdit->text().toStdString();
    if (!searching()) setWindowTitle(kCaptionPrefix + folderEdit->text());
}

void Tfindform::combo1Change(int index) {
    if (index >= 0) maskEdit->setText(maskHistory->itemText(index));
}

bool Tfindform::searching() const {
    return job_->running();
}

search::FindRequest Tfindform::request() const {
    search::FindRequest r;
    r.mask = maskEdit->text().toStdString();
    r.recurse = subfoldersBox->isChecked();
    r.containingOn = containingBox->isChecked();
    r.containing = containingEdit->text().toStdString();
    r.sizeOn = sizeBox->isChecked();
    r.sizeKB = sizeEdit->text().toStdString();
    r.sizeIsMax = maxButton->isChecked();
    r.datesOn = dateBox->isChecked();
    if (auto from = readDateField(fromDateEdit->text())) {
        r.fromValid = true;
        r.fromNs = toNs(*from);
    }
    // The whole last day counts.
    if (auto to = readDateField(toDateEdit->text())) {
        r.toValid = true;
        r.toNs = toNs(to->addDays(1)) - 1;
    }
    r.attributesOn = attributesBox->isChecked();
    r.archive = archiveBox->isChecked();
    r.system = systemBox->isChecked();
    r.hidden = hiddenBox->isChecked();
    r.readOnly = readonlyBox->isChecked();
    return r;
}

void Tfindform::Button1Click() {
    if (searching()) return;
    const search::FindRequest r = request();
    const std::string folder = startFolder();

    const QString mask = maskEdit->text();
    reportWriteErrors(this, [&] {
        auto& ini = frame_.config();
        ini.writeHistory(config::sections::Findspecs,
                         search::rememberMask(ini.readHistory(config::sections::Findspecs), r.mask),
                         search::kFindSpecsFirstKey);
    });
    loadHistory();
    maskEdit->setText(mask);

    model_->clear();
    savedCaption_ = windowTitle();
    closeButton->setText(tr("Stop"));
    stb->showMessage(kEscToCancel);
    setCursor(Qt::BusyCursor);
    job_->start(r, folder);
}

void Tfindform::drainResults() {
    model_->append(job_->takeRows());
    if (searching()) {
        const std::string folder = job_->currentFolder();
        if (!folder.empty()) stb->showMessage(kScanning + displayPath(folder));
    }
}

void Tfindform::searchDone(bool) {
    drainResults();
    stb->showMessage(QString::number(model_->rowCount()) + kFilesFound);
    setWindowTitle(savedCaption_);
    closeButton->setText(tr("&Close"));
    unsetCursor();
    emit searchFinished();
}

void Tfindform::stopSearch() {
    if (!searching()) return;
    job_->stop();
    // Taken at once; the finder may need a moment to come back from the disk.
    stb->showMessage(QStringLiteral("Stopping\u2026"));
}

void Tfindform::Button2Click() {
    if (searching()) {
        stopSearch();
        return;
    }
    close();
}

void Tfindform::closeEvent(QCloseEvent* event) {
    job_->stop();
    if (!closing_) {
        closing_ = true;
        frame_.dialogClosed(app::DialogTag::FindForm);
    }
    event->accept();
}

void Tfindform::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            stopSearch();
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (resultsView->hasFocus()) {
                ListBox1DblClick();
            } else {
                Button1Click();
            }
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

std::vector<std::string> Tfindform::selectedPaths() const {
    std::vector<std::string> out;
    for (const auto& r : selectedRows()) out.push_back(r.folder + r.name);
    return out;
}

std::vector<ops::SearchRow> Tfindform::selectedRows() const {
    QModelIndexList rows = resultsView->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<ops::SearchRow> out;
    for (const QModelIndex& i : rows) {
        const FindResultRow& r = model_->row(i.row());
        out.push_back({r.folder, r.name});
    }
    return out;
}

int Tfindform::dropVanishedRows() {
    std::vector<int> gone;
    for (const QModelIndex& i : resultsView->selectionModel()->selectedRows()) {
        if (isGone(model_->row(i.row()).fullPath())) gone.push_back(i.row());
    }
    model_->removeResultRows(gone);
    return static_cast<int>(gone.size());
}

void Tfindform::renameResult(const std::string& oldPath, const std::string& newName) {
    model_->renameRow(oldPath, newName);
}

std::string Tfindform::focusedPath() const {
    const QModelIndex i = resultsView->currentIndex();
    return i.isValid() ? model_->row(i.row()).fullPath() : std::string();
}

void Tfindform::ListBox1DblClick() {
    if (focusedPath().empty()) return;
    frame_.Selected1Click();
}

void Tfindform::ListBox1Change() {
    // The auto viewer follows the first selected result; it is also what Rename takes.
    const auto rows = selectedRows();
    if (rows.empty()) return;
    const std::string path = rows.front().folder + rows.front().name;
    frame_.state().viewerFile = path;
    frame_.state().renameTarget = path;
    autoViewerFollow(frame_, path);
}

bool Tfindform::eventFilter(QObject* watched, QEvent* event) {
    if (watched != resultsView->viewport()) return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() != Qt::RightButton) return false;
    const QModelIndex at = resultsView->indexAt(me->position().toPoint());
    auto toggle = [&](const QModelIndex& i) {
        if (!i.isValid()) return;
        resultsView->selectionModel()->setCurrentIndex(
            i, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    };
    switch (type) {
        case QEvent::MouseButtonPress:
            // Held for half a second: the context menu; released before: a toggle.
            rightClickRow_ = at.isValid() ? at.row() : -1;
            rightButtonPopup_ = true;
            menuTimer_.start();
            break;
        case QEvent::MouseButtonRelease:
            if (rightButtonPopup_) toggle(model_->index(rightClickRow_, 0));
            rightButtonPopup_ = false;
            menuTimer_.stop();
            break;
        default:  // double click: toggle the row under the pointer and view it
            rightButtonPopup_ = false;
            menuTimer_.stop();
            toggle(at);
            if (at.isValid()) openFileViewer(frame_, model_->row(at.row()).fullPath());
            break;
    }
    return true;
}

void Tfindform::Timer1Timer() {
    menuTimer_.stop();
    if (rightButtonPopup_ && rightClickRow_ >= 0 && rightClickRow_ < model_->rowCount()) {
        rightButtonPopup_ = false;
        resultsView->selectionModel()->select(model_->index(rightClickRow_, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        resultsMenu->popup(QCursor::pos());
    }
    rightButtonPopup_ = false;
}

void Tfindform::PopupMenu1Popup() {
    if (QAction* rename = resultsMenu->findChild<QAction*>(QStringLiteral("Rename1")))
        rename->setEnabled(resultsView->selectionModel()->selectedRows().size() == 1);
}

}  // namespace arbel::ui
