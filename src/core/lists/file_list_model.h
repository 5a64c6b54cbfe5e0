#pragma once
// The state of one file list without a screen: which folders it reads, its
// mask and attribute filters, its columns and its sort order, and the entries
// of the last read. The Qt model in the interface adapts it; a window may run
// the read on a worker (readFolders + adopt) or here (reread).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/lists/collate.h"
#include "core/lists/folder_read.h"
#include "core/lists/list_sort.h"
#include "core/lists/masks.h"

namespace arbel::lists {

class FileListModel {
public:
    FileListModel();

    // Properties. Each setter returns true when the list must be read again
    // (the caller decides whether that happens now or on a worker).
    bool setFolders(const TPatternList& folders);
    bool setFolder(std::string_view folder);  // one folder, its name taken whole
    bool setDirectoryText(std::string_view text) {
        TPatternList p;
        p.setText(text);
        return setFolders(p);
    }
    std::string directoryText() const { return folders_.text(); }
    const TPatternList& folders() const { return folders_; }

    // Rebuilds the mask list only; the caller rereads.
    void setMask(std::string_view text);
    std::string mask() const { return JoinMaskList(mask_); }
    bool maskIsAll() const { return mask() == "*.*"; }

    bool setFileTypes(FileTypes types);
    FileTypes fileTypes() const { return fileTypes_; }
    bool setDisplayDirectory(bool on);
    bool displayDirectory() const { return displayDirectory_; }
    bool setDisplayParentDir(bool on);
    bool displayParentDir() const { return displayParentDir_; }
    void setViewColumns(FileInfos columns) { columns_ = columns; }
    FileInfos viewColumns() const { return columns_; }

    SortOrder sortOrder() const { return order_; }
    // Column click / sort command: toggle rule, then sorts the entries again.
    bool setSortColumn(FileInfo column);
    void setSortOrder(SortOrder order);
    void sort();

    // The request a read of the current settings makes.
    ReadRequest readRequest() const;
    // Takes the outcome of a read (from any thread) and sorts it.
    void adopt(ReadOutcome outcome, bool sorted = false);
    // Reads now, on this thread.
    void reread(const CancelToken* cancel = nullptr);
    // Adds one item by full path and keeps the order. Returns its row.
    Result<std::size_t> addFile(const std::string& path);
    void clear();

    const Listing& listing() const { return listing_; }
    std::size_t size() const { return listing_.entries.size(); }
    const FileEntry& entry(std::size_t row) const { return listing_.entries[row]; }
    FileEntry& entry(std::size_t row) { return listing_.entries[row]; }
    std::string_view name(std::size_t row) const { return listing_.name(listing_.entries[row]); }
    std::string fullPath(std::size_t row) const { return listing_.fullPath(listing_.entries[row]); }
    std::string cell(std::size_t row, Cell c, const ListFormat& fmt) const {
        return cellText(listing_, listing_.entries[row], c, columns_, fmt);
    }
    // Row of the entry with this name (first folder of the list), or -1.
    long findName(std::string_view name) const;

    uint64_t folderCount() const { return folderCount_; }
    uint64_t totalBytes() const { return totalBytes_; }
    uint64_t fileCount() const { return size() - folderCount_; }
    bool lastReadCancelled() const { return cancelled_; }
    const std::vector<Error>& lastErrors() const { return errors_; }

    // Consistency of the model: names inside the arena, folders known,
    // entries in sort order, counts matching the entries. Empty when sound;
    // otherwise what is wrong (every model test checks it).
    std::string selfCheck() const;

    // Sorts a finished read's listing as this model would (for workers).
    static void sortOutcome(ReadOutcome& outcome, SortOrder order);

private:
    TPatternList folders_;
    MaskList mask_;
    FileTypes fileTypes_ = kWindowFileTypes;
    bool displayDirectory_ = true;
    bool displayParentDir_ = false;
    FileInfos columns_ = kWindowColumns;
    SortOrder order_;
    Listing listing_;
    uint64_t folderCount_ = 0;
    uint64_t totalBytes_ = 0;
    bool cancelled_ = false;
    std::vector<Error> errors_;
    std::shared_ptr<NameCollator> collator_;
};

}  // namespace arbel::lists
