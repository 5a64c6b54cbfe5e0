#include "ui/search/findform.h"

#include <sys/stat.h>
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
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "core/commands/gates.h"
#include "core/config/settings.h"
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

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
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
        case ActiveKind::Dir:
            start = in.treeFolder;
            break;
        case ActiveKind::List:
        case ActiveKind::Auto:
            start = in.listFolder;
            if (!start.empty() && !in.firstSelectedName.empty()) {
                const std::string sub = commands::joinPath(start, in.firstSelectedName);
                if (commandQueries().isFolder(sub)) start = sub;
            }
            break;
        default:
            break;
    }
    if (start.empty()) start = homeFolder();
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

    frame_.dialogOpened(DialogTag::FindForm, this, Edit2);
    frame_.setSearchResults(ListBox1);
    loadHistory();
    Edit2->setText(QString::fromUtf8(search::kAnyMask.data(), search::kAnyMask.size()));
    const QString today = QLocale().toString(QDate::currentDate(), dateFormat());
    Edit4->setText(today);
    Edit5->setText(today);
    setStartFolder(startFolder);

    const QRect fr = frame_.geometry();
    resize(640, 460);
    move(fr.left() + 40, fr.top() + 60);

    connect(job_, &FindJob::finished, this, &Tfindform::searchDone);
    drainTimer_.setInterval(100);
    connect(&drainTimer_, &QTimer::timeout, this, &Tfindform::drainResults);
    Timer1.setSingleShot(true);
    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, &Tfindform::Timer1Timer);
}

Tfindform::~Tfindform() {
    // Deleted without a close: tell the frame, unless the frame itself is going (its
    // state is gone by the time its children are deleted).
    if (!closing_ && Tmdimain::instance() == &frame_) {
        closing_ = true;
        frame_.dialogClosed(DialogTag::FindForm);
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

    Edit2 = new QLineEdit(this);
    combo1 = new QComboBox(this);
    combo1->setMinimumContentsLength(12);
    grid->addWidget(label(tr("Search for:"), Edit2), row, 0);
    grid->addWidget(Edit2, row, 1, 1, 3);
    grid->addWidget(combo1, row++, 4);
    connect(combo1, &QComboBox::activated, this, &Tfindform::combo1Change);

    DirectoryListBox1 = new QLineEdit(this);
    browseButton = new QPushButton(tr("..."), this);
    grid->addWidget(label(tr("Search in:"), DirectoryListBox1), row, 0);
    grid->addWidget(DirectoryListBox1, row, 1, 1, 3);
    grid->addWidget(browseButton, row++, 4);
    connect(DirectoryListBox1, &QLineEdit::editingFinished, this, &Tfindform::DirectoryListBox1Change);
    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString dir =
            QFileDialog::getExistingDirectory(this, tr("Search in:"), DirectoryListBox1->text());
        if (!dir.isEmpty()) setStartFolder(dir.toStdString());
    });

    CheckBox3 = new QCheckBox(tr("search subfolders"), this);
    grid->addWidget(CheckBox3, row++, 1, 1, 3);

    CheckBox4 = new QCheckBox(tr("Containing text:"), this);
    Edit1 = new QLineEdit(this);
    grid->addWidget(CheckBox4, row, 0);
    grid->addWidget(Edit1, row++, 1, 1, 4);

    CheckBox1 = new QCheckBox(tr("Size range:"), this);
    Edit3 = new QLineEdit(QStringLiteral("100"), this);
    RadioButton2 = new QRadioButton(tr("min"), this);
    RadioButton1 = new QRadioButton(tr("max"), this);
    RadioButton2->setChecked(true);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(Edit3);
    sizeRow->addWidget(new QLabel(tr("KB"), this));
    sizeRow->addWidget(RadioButton2);
    sizeRow->addWidget(RadioButton1);
    sizeRow->addStretch();
    grid->addWidget(CheckBox1, row, 0);
    grid->addLayout(sizeRow, row++, 1, 1, 4);

    CheckBox2 = new QCheckBox(tr("Modified between:"), this);
    Edit4 = new QLineEdit(this);
    Edit5 = new QLineEdit(this);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(Edit4);
    dateRow->addWidget(new QLabel(tr("and"), this));
    dateRow->addWidget(Edit5);
    grid->addWidget(CheckBox2, row, 0);
    grid->addLayout(dateRow, row++, 1, 1, 4);

    CheckBox9 = new QCheckBox(tr("Attributes:"), this);
    CheckBox8 = new QCheckBox(tr("archive"), this);
    CheckBox7 = new QCheckBox(tr("system"), this);
    CheckBox5 = new QCheckBox(tr("hidden"), this);
    CheckBox6 = new QCheckBox(tr("readonly"), this);
    auto* attrRow = new QHBoxLayout;
    for (QCheckBox* b : {CheckBox8, CheckBox7, CheckBox5, CheckBox6}) {
        b->setChecked(true);
        attrRow->addWidget(b);
    }
    attrRow->addStretch();
    grid->addWidget(CheckBox9, row, 0);
    grid->addLayout(attrRow, row++, 1, 1, 4);

    for (QCheckBox* b : {CheckBox4, CheckBox1, CheckBox2, CheckBox9})
        connect(b, &QCheckBox::toggled, this, &Tfindform::updateEnabling);

    Button1 = new QPushButton(tr("&Search"), this);
    Button2 = new QPushButton(tr("&Close"), this);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &Tfindform::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tfindform::Button2Click);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(grid, 1);
    top->addLayout(buttons);

    ListBox1 = new QTreeView(this);
    ListBox1->setModel(model_);
    ListBox1->setRootIsDecorated(false);
    ListBox1->setUniformRowHeights(true);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setSortingEnabled(false);
    ListBox1->setContextMenuPolicy(Qt::PreventContextMenu);
    ListBox1->setDragEnabled(true);
    ListBox1->setDragDropMode(QAbstractItemView::DragOnly);
    ListBox1->setDefaultDropAction(Qt::CopyAction);
    ListBox1->header()->setSectionsClickable(false);
    const int widths[] = {120, 120, 60, 45, 200};
    for (int c = 0; c < FindResultsModel::ColumnCount; ++c) ListBox1->setColumnWidth(c, widths[c]);
    // Names and locations as wide as the longest one, cut in the middle only
    // when the window is too narrow.
    ListBox1->header()->setStretchLastSection(false);
    ListBox1->setTextElideMode(Qt::ElideMiddle);
    new WholeNames(ListBox1, {FindResultsModel::NameColumn, FindResultsModel::FolderColumn});
    ListBox1->viewport()->installEventFilter(this);
    connect(ListBox1, &QTreeView::doubleClicked, this, &Tfindform::ListBox1DblClick);
    connect(ListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Tfindform::ListBox1Change);

    stb = new QStatusBar(this);
    stb->setSizeGripEnabled(false);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->addAction(tr("Copy"), &frame_, &Tmdimain::copybutClick);
    PopupMenu1->addAction(tr("Move"), &frame_, &Tmdimain::movebutClick);
    PopupMenu1->addAction(tr("Delete"), &frame_, &Tmdimain::delbutClick);
    PopupMenu1->addAction(tr("Rename"), &frame_, &Tmdimain::renamebutClick)
        ->setObjectName(QStringLiteral("Rename1"));
    PopupMenu1->addAction(tr("Attributes"), &frame_, &Tmdimain::attribbutClick);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(tr("Cancel"));
    connect(PopupMenu1, &QMenu::aboutToShow, this, &Tfindform::PopupMenu1Popup);

    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(ListBox1, 1);
    all->addWidget(stb);
    updateEnabling();
}

void Tfindform::loadHistory() {
    const auto stored = frame_.config().readHistory(config::sections::Findspecs);
    combo1->clear();
    for (const std::string& s : search::comboEntries(stored)) combo1->addItem(displayPath(s));
}

void Tfindform::updateEnabling() {
    Edit1->setEnabled(CheckBox4->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{Edit3, RadioButton1, RadioButton2})
        w->setEnabled(CheckBox1->isChecked());
    Edit4->setEnabled(CheckBox2->isChecked());
    Edit5->setEnabled(CheckBox2->isChecked());
    for (QCheckBox* b : {CheckBox8, CheckBox7, CheckBox5, CheckBox6}) b->setEnabled(CheckBox9->isChecked());
}

std::string Tfindform::startFolder() const {
    return startFolder_;
}

void Tfindform::setStartFolder(const std::string& folder) {
    // The bytes are kept: a folder whose name is not valid UTF-8 is shown with
    // replacement characters but searched under its real name.
    startFolder_ = folder;
    DirectoryListBox1->setText(displayPath(folder));
    DirectoryListBox1Change();
}

void Tfindform::DirectoryListBox1Change() {
    // A folder typed by the user replaces the one chosen before.
    if (DirectoryListBox1->text() != displayPath(startFolder_))
        startFolder_ = DirectoryListBox1->text().toStdString();
    if (!searching()) setWindowTitle(kCaptionPrefix + DirectoryListBox1->text());
}

void Tfindform::combo1Change(int index) {
    if (index >= 0) Edit2->setText(combo1->itemText(index));
}

bool Tfindform::searching() const {
    return job_->running();
}

search::FindRequest Tfindform::request() const {
    search::FindRequest r;
    r.mask = Edit2->text().toStdString();
    r.recurse = CheckBox3->isChecked();
    r.containingOn = CheckBox4->isChecked();
    r.containing = Edit1->text().toStdString();
    r.sizeOn = CheckBox1->isChecked();
    r.sizeKB = Edit3->text().toStdString();
    r.sizeIsMax = RadioButton1->isChecked();
    r.datesOn = CheckBox2->isChecked();
    if (auto from = readDateField(Edit4->text())) {
        r.fromValid = true;
        r.fromNs = toNs(*from);
    }
    // The whole last day counts.
    if (auto to = readDateField(Edit5->text())) {
        r.toValid = true;
        r.toNs = toNs(to->addDays(1)) - 1;
    }
    r.attributesOn = CheckBox9->isChecked();
    r.archive = CheckBox8->isChecked();
    r.system = CheckBox7->isChecked();
    r.hidden = CheckBox5->isChecked();
    r.readOnly = CheckBox6->isChecked();
    return r;
}

void Tfindform::Button1Click() {
    if (searching()) return;
    const search::FindRequest r = request();
    const std::string folder = startFolder();

    const QString mask = Edit2->text();
    reportWriteErrors(this, [&] {
        auto& ini = frame_.config();
        ini.writeHistory(config::sections::Findspecs,
                         search::rememberMask(ini.readHistory(config::sections::Findspecs), r.mask),
                         search::kFindSpecsFirstKey);
    });
    loadHistory();
    Edit2->setText(mask);

    model_->clear();
    savedCaption_ = windowTitle();
    Button2->setText(tr("Stop"));
    stb->showMessage(kEscToCancel);
    setCursor(Qt::BusyCursor);
    job_->start(r, folder);
    drainTimer_.start();
}

void Tfindform::drainResults() {
    model_->append(job_->takeRows());
    if (searching()) {
        const std::string folder = job_->currentFolder();
        if (!folder.empty()) stb->showMessage(kScanning + displayPath(folder));
    }
}

void Tfindform::searchDone(bool) {
    drainTimer_.stop();
    drainResults();
    stb->showMessage(QString::number(model_->rowCount()) + kFilesFound);
    setWindowTitle(savedCaption_);
    Button2->setText(tr("&Close"));
    unsetCursor();
    emit searchFinished();
}

void Tfindform::Button2Click() {
    if (searching()) {
        job_->stop();
        return;
    }
    close();
}

void Tfindform::closeEvent(QCloseEvent* event) {
    job_->stop();
    if (!closing_) {
        closing_ = true;
        frame_.dialogClosed(DialogTag::FindForm);
    }
    event->accept();
}

void Tfindform::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            if (searching()) job_->stop();
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (ListBox1->hasFocus()) {
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
    QModelIndexList rows = ListBox1->selectionModel()->selectedRows();
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
    for (const QModelIndex& i : ListBox1->selectionModel()->selectedRows()) {
        struct stat st;
        if (::lstat(model_->row(i.row()).fullPath().c_str(), &st) != 0 && errno == ENOENT)
            gone.push_back(i.row());
    }
    model_->removeRows(gone);
    return static_cast<int>(gone.size());
}

void Tfindform::renameResult(const std::string& oldPath, const std::string& newName) {
    model_->renameRow(oldPath, newName);
}

std::string Tfindform::focusedPath() const {
    const QModelIndex i = ListBox1->currentIndex();
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
    if (watched != ListBox1->viewport()) return QWidget::eventFilter(watched, event);
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return false;
    auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() != Qt::RightButton) return false;
    const QModelIndex at = ListBox1->indexAt(me->position().toPoint());
    auto toggle = [&](const QModelIndex& i) {
        if (!i.isValid()) return;
        ListBox1->selectionModel()->setCurrentIndex(i,
                                                    QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    };
    switch (type) {
        case QEvent::MouseButtonPress:
            // Held for half a second: the context menu; released before: a toggle.
            rightClickRow_ = at.isValid() ? at.row() : -1;
            rightButtonPopup_ = true;
            Timer1.start();
            break;
        case QEvent::MouseButtonRelease:
            if (rightButtonPopup_) toggle(model_->index(rightClickRow_, 0));
            rightButtonPopup_ = false;
            Timer1.stop();
            break;
        default:  // double click: toggle the row under the pointer and view it
            rightButtonPopup_ = false;
            Timer1.stop();
            toggle(at);
            if (at.isValid()) openFileViewer(frame_, model_->row(at.row()).fullPath());
            break;
    }
    return true;
}

void Tfindform::Timer1Timer() {
    Timer1.stop();
    if (rightButtonPopup_ && rightClickRow_ >= 0 && rightClickRow_ < model_->rowCount()) {
        rightButtonPopup_ = false;
        ListBox1->selectionModel()->select(model_->index(rightClickRow_, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        PopupMenu1->popup(QCursor::pos());
    }
    rightButtonPopup_ = false;
}

void Tfindform::PopupMenu1Popup() {
    if (QAction* rename = PopupMenu1->findChild<QAction*>(QStringLiteral("Rename1")))
        rename->setEnabled(ListBox1->selectionModel()->selectedRows().size() == 1);
}

}  // namespace arbel::ui
