#include "ui/search/find_results_model.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>

#include "core/search/find_form.h"
#include "ui/app/scope_guards.h"

namespace arbel::ui {

int FindResultsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FindResultsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FindResultsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const FindResultRow& r = rows_[static_cast<size_t>(index.row())];
    if (role == PathRole) return QByteArray::fromStdString(r.fullPath());
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    switch (index.column()) {
        case NameColumn:
            return displayPath(r.name);
        case FolderColumn:
            return displayPath(r.folder);
        case SizeColumn:
            return QString::fromStdString(search::sizeCell(r.size));
        case AttribColumn:
            return QString::fromStdString(search::attributeCell(r.attributes));
        case ModifiedColumn: {
            // Short date and long time of the user's locale, in local time.
            const QDateTime t = QDateTime::fromMSecsSinceEpoch(r.mtimeNs / 1000000).toLocalTime();
            const QLocale loc;
            return loc.toString(t.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                   loc.toString(t.time(), QLocale::LongFormat);
        }
        default:
            return {};
    }
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole && section == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    switch (section) {
        case NameColumn:
            return tr("Filename");
        case FolderColumn:
            return tr("Location");
        case SizeColumn:
            return tr("Size   ");
        case AttribColumn:
            return tr("Attribs");
        case ModifiedColumn:
            return tr("Modified");
        default:
            return {};
    }
}

Qt::ItemFlags FindResultsModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid()) f |= Qt::ItemIsDragEnabled;
    return f;
}

void FindResultsModel::clear() {
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    endResetModel();
}

void FindResultsModel::removeResultRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the end, so the indices still to remove stay valid.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it < 0 || *it >= rowCount()) continue;
        beginRemoveRows({}, *it, *it);
        rows_.erase(rows_.begin() + *it);
        endRemoveRows();
    }
}

bool FindResultsModel::renameRow(const std::string& oldPath, const std::string& newName) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].fullPath() != oldPath) continue;
        rows_[i].name = newName;
        const int r = static_cast<int>(i);
        emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
        return true;
    }
    return false;
}

bool FindResultsModel::updateRow(const std::string& path, uint32_t attributes,
                                 std::optional<int64_t> mtimeNs) {
    bool found = false;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].fullPath() != path) continue;
        rows_[i].attributes = attributes;
        if (mtimeNs) rows_[i].mtimeNs = *mtimeNs;
        const int r = static_cast<int>(i);
        emit dataChanged(index(r, 0), index(r, ColumnCount - 1));
        found = true;
    }
    return found;
}

void FindResultsModel::append(std::vector<FindResultRow>&& rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    endInsertRows();
}

}  // namespace arbel::ui
