#include "ui/lists/file_list.h"

#include "core/lists/whatdisk.h"
#include "ui/icons/type_icons.h"

#include <QApplication>
#include <QLocale>
#include <QStyle>
#include <unordered_map>

namespace arbel::ui {

struct TFileList::Job {
    uint64_t generation = 0;
    lists::ReadRequest request;
    lists::SortOrder order;
    std::atomic<uint64_t> seen{0};
    lists::ReadOutcome outcome;
    std::optional<uint64_t> freeBytes;
};

namespace {

// Column headers: captions with their leading blanks.
const char* const kHeaders[TFileList::ColumnCount] = {"     Name", " Ext", " Size", "Attrib",
                                                      "Modified",  "",     "",      ""};

lists::Cell cellOfColumn(int column) {
    switch (column) {
        case TFileList::ColExt:
            return lists::Cell::Extension;
        case TFileList::ColSize:
            return lists::Cell::Size;
        case TFileList::ColAttrib:
            return lists::Cell::Attributes;
        case TFileList::ColModified:
            return lists::Cell::Modified;
        case TFileList::ColSortKey:
            return lists::Cell::ModifiedKey;
        case TFileList::ColSizeKey:
            return lists::Cell::SizeKey;
        default:
            return lists::Cell::EndMark;
    }
}

// Icons by content type through the program's type icon cache; a link gets
// the icon of what it points to (the read's status followed it).
QIcon typeIcon(const lists::FileEntry& e, std::string_view name, std::string_view ownIcon) {
    if (e.isFolder()) return iconForFolder();
    return iconForFile(name, e.isProgram(), ui::displayName(ownIcon));
}

}  // namespace

QString displayName(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

TFileList::TFileList(QObject* parent)
    : QAbstractTableModel(parent), format_(systemFormat()), icons_(typeIcon) {
    // The read holds only its job record: one stuck on a dead mount is left behind
    // (a new read, closing the window) instead of holding up the interface.
    reader_.allowGivingUp(kStopGraceMs, [this] {
        // Stopped and stuck: the list ends as read so far (empty), as a stopped read does.
        job_.reset();
        emit readProgress(core_.size());
        emit readFinished(true);
    });
    reader_.setPoll([this] {
        if (job_) emit readProgress(job_->seen.load());
    });
}

// The reader's destructor stops a running read and waits a moment for it; its end
// is not delivered to a list that is going away.
TFileList::~TFileList() = default;

void TFileList::setIconSource(IconSource source) {
    icons_ = source ? std::move(source) : IconSource(typeIcon);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
}

lists::ListFormat TFileList::systemFormat() {
    QLocale loc = QLocale::system();
    lists::ListFormat f;
    f.thousandsSep = loc.groupSeparator().toStdString();
    f.decimalPoint = loc.decimalPoint().toStdString();
    f.datePattern = loc.dateFormat(QLocale::ShortFormat).toStdString();
    QString time = loc.timeFormat(QLocale::ShortFormat);
    time.remove(QStringLiteral(":ss")).remove(QStringLiteral(":s"));
    f.timePattern = time.toStdString();
    return f;
}

void TFileList::setFormat(lists::ListFormat format) {
    format_ = std::move(format);
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int TFileList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(core_.size());
}

int TFileList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const lists::FileEntry& e = core_.entry(row);
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == ColName) return ui::displayName(core_.name(row));
            return QString::fromStdString(core_.cell(row, cellOfColumn(index.column()), format_));
        case Qt::DecorationRole:
            if (index.column() != ColName) return {};
            return icons_(e, core_.name(row), core_.listing().ownIcon(e));
        case Qt::TextAlignmentRole:
            return index.column() == ColSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                             : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ToolTipRole:
            if (index.column() != ColName) return {};
            return ui::displayName(core_.fullPath(row));
        case PathRole: {
            std::string p = core_.fullPath(row);
            return QByteArray(p.data(), static_cast<qsizetype>(p.size()));
        }
        case NameRole: {
            std::string_view n = core_.name(row);
            return QByteArray(n.data(), static_cast<qsizetype>(n.size()));
        }
        case IsFolderRole:
            return e.isFolder();
        case SizeRole:
            return static_cast<qulonglong>(e.size);
        default:
            return {};
    }
}

QVariant TFileList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kHeaders[section]);
    if (role == Qt::TextAlignmentRole) {
        return section == ColSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags TFileList::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QString TFileList::displayName(int row) const {
    return ui::displayName(core_.name(static_cast<std::size_t>(row)));
}

void TFileList::rereadNow() {
    cancel();
    waitForRead();
    beginResetModel();
    core_.reread();
    endResetModel();
    freeBytes_ = core_.folders().empty() ? std::nullopt : lists::freeBytes(core_.folders().folders().front());
    emit readFinished(false);
}

void TFileList::rereadAsync() {
    // One read at a time: a running one is told to stop and left to end alone (it
    // may be stuck in a call on a dead mount); its outcome is never adopted.
    reader_.abandon();
    auto job = std::make_shared<Job>();
    job->generation = ++generation_;
    job->request = core_.readRequest();
    job->order = core_.sortOrder();
    job_ = job;

    // The list empties at once: what it showed belongs to the old folder.
    beginResetModel();
    core_.clear();
    endResetModel();

    reader_.start(
        [job](JobContext& context) {
            job->outcome = lists::readFolders(job->request, &context.cancelToken(),
                                              [&](uint64_t n) { job->seen.store(n); });
            if (!job->outcome.cancelled) lists::FileListModel::sortOutcome(job->outcome, job->order);
            if (!job->request.folders.empty())
                job->freeBytes = lists::freeBytes(job->request.folders.front());
        },
        [this, job] { finishJob(job); });
}

void TFileList::finishJob(const std::shared_ptr<Job>& job) {
    if (job != job_ || job->generation != generation_) return;  // a newer read replaced it
    job_.reset();
    const bool cancelled = job->outcome.cancelled;
    beginResetModel();
    if (cancelled) {
        // What was read so far stays listed, in order.
        lists::FileListModel::sortOutcome(job->outcome, job->order);
    }
    core_.adopt(std::move(job->outcome), true);
    freeBytes_ = job->freeBytes;
    endResetModel();
    emit readProgress(core_.size());
    emit readFinished(cancelled);
}

void TFileList::cancel() {
    reader_.cancel();
}

void TFileList::waitForRead() {
    // The end of the read is delivered now, so its outcome is adopted before this returns.
    reader_.wait();
}

lists::FileInfo TFileList::infoOfColumn(int column) {
    switch (column) {
        case ColName:
            return lists::FileInfo::Name;
        case ColExt:
            return lists::FileInfo::DosExt;
        case ColSize:
            return lists::FileInfo::Size;
        case ColAttrib:
            return lists::FileInfo::Attributes;
        case ColModified:
            return lists::FileInfo::Modified;
        default:
            return lists::FileInfo::All;
    }
}

void TFileList::sortByInfo(lists::FileInfo info) {
    lists::SortOrder before = core_.sortOrder();
    lists::SortOrder after = before;
    if (!applySortClick(after, info, core_.viewColumns())) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QModelIndexList from = persistentIndexList();
    std::vector<uint32_t> keys;
    keys.reserve(static_cast<std::size_t>(from.size()));
    for (const QModelIndex& i : from)
        keys.push_back(core_.entry(static_cast<std::size_t>(i.row())).nameOffset);
    core_.setSortOrder(after);
    if (!from.isEmpty()) {
        // Entries keep their name offsets through a sort: map old rows to new.
        std::unordered_map<uint32_t, int> rowOf;
        rowOf.reserve(core_.size());
        for (std::size_t r = 0; r < core_.size(); ++r) rowOf[core_.entry(r).nameOffset] = static_cast<int>(r);
        QModelIndexList to;
        to.reserve(from.size());
        for (qsizetype k = 0; k < from.size(); ++k) {
            to.append(index(rowOf[keys[static_cast<std::size_t>(k)]], from[k].column()));
        }
        changePersistentIndexList(from, to);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int TFileList::addFile(const std::string& path) {
    beginResetModel();
    auto row = core_.addFile(path);
    endResetModel();
    return row ? static_cast<int>(*row) : -1;
}

void TFileList::setFolderSize(int row, uint64_t bytes) {
    if (row < 0 || row >= rowCount()) return;
    lists::FileEntry& e = core_.entry(static_cast<std::size_t>(row));
    if (!e.isFolder()) return;
    e.size = bytes;
    e.flags |= lists::kEntrySizeKnown;
    emit dataChanged(index(row, ColSize), index(row, ColSize));
}

void TFileList::setDragMark(int row, bool on) {
    if (row < 0) {
        for (std::size_t r = 0; r < core_.size(); ++r)
            core_.entry(r).flags &= static_cast<uint8_t>(~lists::kEntryDragMark);
        return;
    }
    if (row >= rowCount()) return;
    lists::FileEntry& e = core_.entry(static_cast<std::size_t>(row));
    if (on) {
        e.flags |= lists::kEntryDragMark;
    } else {
        e.flags &= static_cast<uint8_t>(~lists::kEntryDragMark);
    }
}

}  // namespace arbel::ui
