#include "core/lists/file_entry.h"

#include "platform/attributes.h"

namespace arbel::lists {

namespace {

bool wanted(FileInfos columns, FileInfo i) {
    return columns & (infoBit(i) | infoBit(FileInfo::All));
}

}  // namespace

std::string Listing::fullPath(const FileEntry& e) const {
    std::string p = folders.at(e.folder);
    p += name(e);
    return p;
}

std::string_view Listing::ownIcon(const FileEntry& e) const {
    auto it = ownIcons.find(e.nameOffset);
    return it == ownIcons.end() ? std::string_view() : std::string_view(it->second);
}

FileEntry& Listing::add(std::string_view n, FileEntry e) {
    e.nameOffset = static_cast<uint32_t>(names.size());
    e.nameLength = static_cast<uint16_t>(n.size());
    std::size_t dot = n.rfind('.');
    e.extOffset = (dot == std::string_view::npos || dot == 0 || dot > 254) ? 0xFF : static_cast<uint8_t>(dot);
    names.append(n);
    entries.push_back(e);
    return entries.back();
}

void Listing::clear() {
    folders.clear();
    entries.clear();
    names.clear();
    ownIcons.clear();
}

void Listing::shrink() {
    entries.shrink_to_fit();
    names.shrink_to_fit();
}

std::size_t Listing::bytesUsed() const {
    std::size_t n = entries.capacity() * sizeof(FileEntry) + names.capacity();
    for (const auto& f : folders) n += f.capacity() + sizeof f;
    for (const auto& [offset, icon] : ownIcons) n += icon.capacity() + sizeof offset + sizeof icon;
    return n;
}

std::string extensionCell(const Listing& l, const FileEntry& e) {
    if (e.isFolder()) return {};
    if (e.extOffset == 0xFF) return " ";
    std::string ext(l.name(e).substr(e.extOffset));
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return ext;
}

std::string attributeCell(uint8_t a) {
    static constexpr const char* kDot = "\xC2\xB7";
    std::string s;
    s += (a & kAttrReadOnly) ? "r" : kDot;
    s += ' ';
    s += (a & kAttrArchive) ? "a" : kDot;
    s += ' ';
    s += (a & kAttrSystem) ? "s" : kDot;
    s += ' ';
    s += (a & kAttrHidden) ? "h" : kDot;
    return s;
}

std::string cellText(const Listing& l, const FileEntry& e, Cell cell, FileInfos columns,
                     const ListFormat& fmt) {
    bool showSize = !e.isFolder() || (e.flags & kEntrySizeKnown);
    switch (cell) {
        case Cell::Extension:
            return wanted(columns, FileInfo::DosExt) ? extensionCell(l, e) : std::string();
        case Cell::Size:
            return showSize ? formatSizeCell(e.size, fmt.thousandsSep) : std::string();
        case Cell::Attributes:
            return wanted(columns, FileInfo::Attributes) ? attributeCell(e.attributes) : std::string();
        case Cell::Modified:
            return wanted(columns, FileInfo::Modified) && !(e.flags & kEntryNoStatus)
                       ? formatModified(e.mtime, fmt)
                       : std::string();
        case Cell::ModifiedKey:
            return wanted(columns, FileInfo::Modified) && !(e.flags & kEntryNoStatus)
                       ? modifiedSortKey(e.mtime)
                       : std::string();
        case Cell::SizeKey:
            return e.isFolder() ? std::string() : std::to_string(e.size);
        case Cell::EndMark:
            return (e.flags & kEntryDragMark) ? "D" : ".";
    }
    return {};
}

}  // namespace arbel::lists
