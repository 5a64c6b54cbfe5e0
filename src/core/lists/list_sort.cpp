#include "core/lists/list_sort.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace arbel::lists {

namespace {

// Attribute order of the marks "r a s h": a present mark sorts before "·".
unsigned attributeKey(uint8_t a) {
    unsigned k = 0;
    k |= (a & 0x01) ? 0 : 8;  // read-only
    k |= (a & 0x20) ? 0 : 4;  // archive
    k |= (a & 0x04) ? 0 : 2;  // system
    k |= (a & 0x02) ? 0 : 1;  // hidden
    return k;
}

// The minute of a time stamp, the resolution of the modified sort-key cell.
int64_t minuteOf(int64_t seconds) {
    return seconds >= 0 ? seconds / 60 : (seconds - 59) / 60;
}

int compareBytes(std::string_view a, std::string_view b) {
    int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0) return c;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

template <class T>
int compareValues(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

bool applySortClick(SortOrder& order, FileInfo clicked, FileInfos columns) {
    if (clicked == FileInfo::All || clicked == FileInfo::Path) return false;
    if (!(columns & (infoBit(clicked) | infoBit(FileInfo::All)))) return false;
    if (clicked != order.column) {
        order.column = clicked;
        order.reversed = false;
    } else {
        order.reversed = !order.reversed;
    }
    return true;
}

void sortListing(Listing& listing, SortOrder order, const NameCollator& collator) {
    const std::size_t n = listing.entries.size();
    if (n < 2) return;
    const auto& entries = listing.entries;

    // Name keys (every key falls back to the name) and, for the extension
    // column, folded extension keys, all in one arena.
    std::string keys;
    keys.reserve(listing.names.size() + n * 4);
    std::vector<uint32_t> nameKey(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        nameKey[i] = static_cast<uint32_t>(keys.size());
        collator.appendKey(listing.name(entries[i]), keys);
    }
    nameKey[n] = static_cast<uint32_t>(keys.size());
    std::vector<uint32_t> extKey;
    if (order.column == FileInfo::DosExt) {
        extKey.resize(n + 1);
        for (std::size_t i = 0; i < n; ++i) {
            extKey[i] = static_cast<uint32_t>(keys.size());
            collator.appendKey(extensionCell(listing, entries[i]), keys);
        }
        extKey[n] = static_cast<uint32_t>(keys.size());
    }
    auto keyOf = [&](const std::vector<uint32_t>& offs, std::size_t i) {
        return std::string_view(keys.data() + offs[i], offs[i + 1] - offs[i]);
    };

    const bool newestFirst = order.column == FileInfo::Modified;
    auto compare = [&](uint32_t a, uint32_t b) {
        const FileEntry& ea = entries[a];
        const FileEntry& eb = entries[b];
        if (ea.isFolder() != eb.isFolder()) return ea.isFolder();
        int c = 0;
        switch (order.column) {
            case FileInfo::DosExt:
                c = compareBytes(keyOf(extKey, a), keyOf(extKey, b));
                break;
            case FileInfo::Size: {
                // A folder has an empty size cell unless it was counted.
                uint64_t sa = ea.isFolder() && !(ea.flags & kEntrySizeKnown) ? 0 : ea.size;
                uint64_t sb = eb.isFolder() && !(eb.flags & kEntrySizeKnown) ? 0 : eb.size;
                c = compareValues(sa, sb);
                break;
            }
            case FileInfo::Attributes:
                c = compareValues(attributeKey(ea.attributes), attributeKey(eb.attributes));
                break;
            case FileInfo::Modified:
                c = compareValues(minuteOf(ea.mtime), minuteOf(eb.mtime));
                break;
            default:
                break;
        }
        if (c == 0) c = compareBytes(keyOf(nameKey, a), keyOf(nameKey, b));
        if (c == 0) c = compareBytes(listing.name(ea), listing.name(eb));
        if (order.reversed) c = -c;
        if (newestFirst) c = -c;
        return c < 0;
    };

    std::vector<uint32_t> idx(n);
    std::iota(idx.begin(), idx.end(), 0u);
    std::sort(idx.begin(), idx.end(), compare);
    std::vector<FileEntry> sorted;
    sorted.reserve(n);
    for (uint32_t i : idx) sorted.push_back(entries[i]);
    listing.entries.swap(sorted);
}

}  // namespace arbel::lists
