#pragma once
// One entry of a file list, stored compactly: a large folder costs one small
// record per entry plus its name bytes in a shared arena. The seven text cells
// of an entry are derived from the record when they are asked for.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/lists/list_format.h"

namespace arbel::lists {

// Attribute kinds a list may show (a set of bits).
enum FileTypeBit : uint8_t {
    ftArchive = 1 << 0,
    ftReadonly = 1 << 1,
    ftSystem = 1 << 2,
    ftHidden = 1 << 3,
    ftTemporary = 1 << 4,
    ftAll = 1 << 5,
};
using FileTypes = uint8_t;
// What both folder windows show: every kind but "all".
constexpr FileTypes kWindowFileTypes = ftArchive | ftReadonly | ftSystem | ftHidden | ftTemporary;

// Columns and sort keys.
enum class FileInfo : uint8_t { Name, DosExt, Size, Modified, Attributes, Path, All };
using FileInfos = uint8_t;  // bit n = FileInfo n
constexpr FileInfos infoBit(FileInfo i) {
    return static_cast<FileInfos>(1u << static_cast<unsigned>(i));
}
constexpr FileInfos kWindowColumns = infoBit(FileInfo::Name) | infoBit(FileInfo::DosExt) |
                                     infoBit(FileInfo::Size) | infoBit(FileInfo::Attributes) |
                                     infoBit(FileInfo::Modified);

// Fixed positions of the text cells; other code reads cells by position.
enum class Cell : uint8_t { Extension, Size, Attributes, Modified, ModifiedKey, SizeKey, EndMark };
constexpr int kCellCount = 7;

enum EntryFlag : uint8_t {
    kEntryFolder = 1 << 0,     // listed as a folder (also a link to a folder)
    kEntryLink = 1 << 1,       // a symbolic link (shown as what it points to)
    kEntryParent = 1 << 2,     // the ".." entry
    kEntryDangling = 1 << 3,   // a link whose target is missing
    kEntryNoStatus = 1 << 4,   // listed by name only: its status could not be read
    kEntrySizeKnown = 1 << 5,  // a folder whose size was counted (shown in its size cell)
    kEntryDragMark = 1 << 6,   // end mark "D": a folder being dragged
};

struct FileEntry {
    uint64_t size = 0;
    int64_t mtime = 0;  // seconds since the epoch
    uint32_t nameOffset = 0;
    uint32_t mode = 0;         // st_mode of what is shown
    uint16_t nameLength = 0;   // names are at most 255 bytes
    uint16_t folder = 0;       // index into the listing's folders
    uint8_t attributes = 0;    // DOS-style word (platform/attributes.h), low byte
    uint8_t flags = 0;         // EntryFlag bits
    uint8_t extOffset = 0xFF;  // position of the extension's "." in the name, 0xFF: none

    bool isFolder() const { return flags & kEntryFolder; }
    // A regular file someone may run (a link: its target), from the status the
    // read took; views decide the program icon from this, never from a new stat.
    bool isProgram() const {
        return !(flags & kEntryNoStatus) && (mode & 0170000) == 0100000 && (mode & 0111);
    }
};

// Entries with their names and the folders they came from.
struct Listing {
    std::vector<std::string> folders;  // each ends in "/"
    std::vector<FileEntry> entries;
    std::string names;  // arena of name bytes
    // The icon a Desktop Entry file names for itself, by the entry's name offset
    // (which sorting keeps): read with the folder, so painting never opens a file.
    std::unordered_map<uint32_t, std::string> ownIcons;

    std::string_view name(const FileEntry& e) const { return {names.data() + e.nameOffset, e.nameLength}; }
    // The folder path + name (the bytes as on disk).
    std::string fullPath(const FileEntry& e) const;
    std::string_view ownIcon(const FileEntry& e) const;
    // Appends an entry whose name is `name`; fills nameOffset/nameLength/extOffset.
    FileEntry& add(std::string_view name, FileEntry e);
    void clear();
    void shrink();
    std::size_t bytesUsed() const;  // memory held, for the model's budget
};

// Extension as the list shows it: from the last "." unless that dot starts the
// name, with the dot, upper-cased (ASCII); " " for a file without one; empty
// for a folder.
std::string extensionCell(const Listing& l, const FileEntry& e);
// "r a s h" marks, "·" (U+00B7) for an absent attribute.
std::string attributeCell(uint8_t attributes);
// Cell text at a fixed position; `columns` decides which cells exist (a
// missing cell is empty).
std::string cellText(const Listing& l, const FileEntry& e, Cell cell, FileInfos columns,
                     const ListFormat& fmt);

}  // namespace arbel::lists
