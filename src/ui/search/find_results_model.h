#pragma once
// The search window's result list: one row per file found, with the columns
// "Filename", "Location", "Size", "Attribs" and "Modified". Rows are plain
// values (no widget per row), appended in batches as the search streams them.

#include <QAbstractTableModel>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace arbel::ui {

struct FindResultRow {
    std::string folder;  // ends in "/"
    std::string name;
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    uint32_t attributes = 0;

    std::string fullPath() const { return folder + name; }
};

class FindResultsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, FolderColumn, SizeColumn, AttribColumn, ModifiedColumn, ColumnCount };
    // The full path as bytes, for every column.
    static constexpr int PathRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Rows can be dragged to other windows as a list of file URIs.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void clear();
    // Removes the given rows (any order, duplicates allowed).
    void removeResultRows(std::vector<int> rows);
    // The row whose full path is oldPath takes the new name; false when none does.
    bool renameRow(const std::string& oldPath, const std::string& newName);
    // The rows of `path` show these attributes (and this time when given), after
    // the attributes dialog changed them; false when no row shows it.
    bool updateRow(const std::string& path, uint32_t attributes, std::optional<int64_t> mtimeNs);
    void append(std::vector<FindResultRow>&& rows);
    const FindResultRow& row(int r) const { return rows_[static_cast<size_t>(r)]; }

private:
    std::vector<FindResultRow> rows_;
};

}  // namespace arbel::ui
