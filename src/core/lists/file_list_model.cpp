#include "core/lists/file_list_model.h"

namespace arbel::lists {

namespace {

const NameCollator& sharedCollator() {
    static NameCollator collator;
    return collator;
}

}  // namespace

FileListModel::FileListModel() {
    BuildMaskList("*.*", mask_);
}

bool FileListModel::setFolders(const TPatternList& folders) {
    folders_ = folders;
    return true;
}

bool FileListModel::setFolder(std::string_view folder) {
    folders_.clear();
    if (!folder.empty()) folders_.add(folder);
    return true;
}

void FileListModel::setMask(std::string_view text) {
    BuildMaskList(text, mask_);
}

bool FileListModel::setFileTypes(FileTypes types) {
    if (types == fileTypes_) return false;
    fileTypes_ = types;
    return true;
}

bool FileListModel::setDisplayDirectory(bool on) {
    if (on == displayDirectory_) return false;
    displayDirectory_ = on;
    return true;
}

bool FileListModel::setDisplayParentDir(bool on) {
    if (on == displayParentDir_) return false;
    displayParentDir_ = on;
    return displayDirectory_;
}

bool FileListModel::setSortColumn(FileInfo column) {
    if (!applySortClick(order_, column, columns_)) return false;
    sort();
    return true;
}

void FileListModel::setSortOrder(SortOrder order) {
    order_ = order;
    sort();
}

void FileListModel::sort() {
    sortListing(listing_, order_, sharedCollator());
}

void FileListModel::sortOutcome(ReadOutcome& outcome, SortOrder order) {
    sortListing(outcome.listing, order, sharedCollator());
}

ReadRequest FileListModel::readRequest() const {
    ReadRequest r;
    r.folders = folders_.folders();
    r.mask = mask_;
    r.fileTypes = fileTypes_;
    r.displayDirectory = displayDirectory_;
    r.displayParentDir = displayParentDir_;
    return r;
}

void FileListModel::adopt(ReadOutcome outcome, bool sorted) {
    listing_ = std::move(outcome.listing);
    folderCount_ = outcome.folderCount;
    totalBytes_ = outcome.totalBytes;
    cancelled_ = outcome.cancelled;
    errors_ = std::move(outcome.errors);
    if (!sorted) sort();
}

void FileListModel::reread(const CancelToken* cancel) {
    adopt(readFolders(readRequest(), cancel));
}

Result<std::size_t> FileListModel::addFile(const std::string& path) {
    auto row = addPath(listing_, path);
    if (!row) return row.error();
    const FileEntry& e = listing_.entries[*row];
    if (e.isFolder()) {
        ++folderCount_;
    } else {
        totalBytes_ += e.size;
    }
    // Remember the new entry by its name offset, which sorting keeps.
    uint32_t offset = e.nameOffset;
    sort();
    for (std::size_t i = 0; i < listing_.entries.size(); ++i) {
        if (listing_.entries[i].nameOffset == offset) return i;
    }
    return *row;
}

void FileListModel::clear() {
    listing_.entries.clear();
    listing_.names.clear();
    listing_.ownIcons.clear();
    folderCount_ = 0;
    totalBytes_ = 0;
}

std::string FileListModel::selfCheck() const {
    const auto& es = listing_.entries;
    uint64_t folders = 0, bytes = 0;
    for (std::size_t i = 0; i < es.size(); ++i) {
        const FileEntry& e = es[i];
        if (static_cast<std::size_t>(e.nameOffset) + e.nameLength > listing_.names.size() ||
            e.nameLength == 0) {
            return "entry " + std::to_string(i) + ": name outside the arena";
        }
        if (e.folder >= listing_.folders.size()) return "entry " + std::to_string(i) + ": unknown folder";
        if (e.isFolder()) {
            ++folders;
        } else {
            bytes += e.size;
        }
    }
    if (folders != folderCount_)
        return "folder count " + std::to_string(folderCount_) + " != " + std::to_string(folders);
    if (bytes != totalBytes_)
        return "byte total " + std::to_string(totalBytes_) + " != " + std::to_string(bytes);
    // Sorting again must change nothing.
    Listing copy = listing_;
    sortListing(copy, order_, sharedCollator());
    for (std::size_t i = 0; i < es.size(); ++i) {
        if (copy.entries[i].nameOffset != es[i].nameOffset)
            return "entries out of order at " + std::to_string(i);
    }
    return {};
}

long FileListModel::findName(std::string_view name) const {
    for (std::size_t i = 0; i < listing_.entries.size(); ++i) {
        if (listing_.name(listing_.entries[i]) == name) return static_cast<long>(i);
    }
    return -1;
}

}  // namespace arbel::lists
