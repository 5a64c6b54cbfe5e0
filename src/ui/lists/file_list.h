#pragma once
// TFileList: the Qt model of a file list. It adapts the core FileListModel
// (one compact record per entry, cells formatted when a view asks) and reads
// folders on a background job, so a folder of 100,000 entries never freezes
// the window: progress is reported while the read runs and cancel() stops it.

#include <QAbstractTableModel>
#include <QIcon>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "core/lists/file_list_model.h"
#include "ui/app/background_job.h"

namespace arbel::ui {

class TFileList : public QAbstractTableModel {
    Q_OBJECT
public:
    // List-view columns: the five shown ones, then the sort-key, size-key and
    // end-mark cells (width 0 in the report view).
    enum Column {
        ColName,
        ColExt,
        ColSize,
        ColAttrib,
        ColModified,
        ColSortKey,
        ColSizeKey,
        ColEndMark,
        ColumnCount
    };
    enum Role {
        PathRole = Qt::UserRole + 1,  // QByteArray: full path, bytes as on disk
        NameRole,                     // QByteArray: the name's bytes
        IsFolderRole,                 // bool
        SizeRole,                     // qulonglong
    };

    explicit TFileList(QObject* parent = nullptr);
    ~TFileList() override;

    // Icons of entries; the default asks the type icon cache. A source gets only
    // what the folder read found (the entry, its name, a Desktop Entry's own icon):
    // painting must not ask the file system.
    using IconSource =
        std::function<QIcon(const lists::FileEntry&, std::string_view name, std::string_view ownIcon)>;
    void setIconSource(IconSource source);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    lists::FileListModel& core() { return core_; }
    const lists::FileListModel& core() const { return core_; }
    const lists::ListFormat& format() const { return format_; }
    void setFormat(lists::ListFormat format);
    // The user's conventions: group separator, short date, short time without seconds.
    static lists::ListFormat systemFormat();

    // Reads the folders now, on this thread (small lists, tests).
    void rereadNow();
    // Starts a read on a worker; a running one is cancelled first. Emits
    // readProgress while it runs and readFinished at the end.
    void rereadAsync();
    void cancel();
    bool reading() const { return reader_.running(); }
    // Free bytes of the first folder's volume, asked along with the last read
    // (off the interface thread, as a hung mount would block it).
    std::optional<uint64_t> lastFreeBytes() const { return freeBytes_; }
    // Waits for a running read (tests, closing).
    void waitForRead();

    // Column click / sort command (toggle rule); re-sorts without reading.
    void sortByInfo(lists::FileInfo info);
    static lists::FileInfo infoOfColumn(int column);

    std::string fullPath(int row) const { return core_.fullPath(static_cast<std::size_t>(row)); }
    QString displayName(int row) const;
    // Adds one item by path (after a copy or a new folder); returns its row or -1.
    int addFile(const std::string& path);
    // Writes a counted folder size into an entry's size cell.
    void setFolderSize(int row, uint64_t bytes);
    // Marks a folder being dragged ("D" end mark) or clears all marks.
    void setDragMark(int row, bool on);

signals:
    void readProgress(qulonglong entries);
    void readFinished(bool cancelled);

private:
    struct Job;
    void finishJob(const std::shared_ptr<Job>& job);

    lists::FileListModel core_;
    lists::ListFormat format_;
    IconSource icons_;
    std::shared_ptr<Job> job_;
    BackgroundJob reader_;
    uint64_t generation_ = 0;
    std::optional<uint64_t> freeBytes_;
};

// Qt text for name bytes: UTF-8 where valid, replacement marks elsewhere.
QString displayName(std::string_view bytes);

}  // namespace arbel::ui
