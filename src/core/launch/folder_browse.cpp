#include "core/launch/folder_browse.h"

#include <algorithm>

#include "platform/dir.h"
#include "platform/paths.h"

namespace arbel::launch {
namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool readingOrder(const std::string& a, const std::string& b) {
    const bool less = std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
    const bool more = std::lexicographical_compare(
        b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
    if (less || more) return less;
    return a < b;
}

}  // namespace

std::vector<std::string> subfolderNames(const std::string& folder) {
    std::vector<std::string> names;
    Result<DirHandle> dir = DirHandle::open(folder);
    if (!dir) return names;
    (void)forEachEntry(*dir, [&](const RawEntry& e) {
        bool isDir = e.type == EntryType::Dir;
        if (e.type == EntryType::Link || e.type == EntryType::Unknown) {
            const Result<struct stat> st = statAt(*dir, e.name, /*follow=*/true);
            isDir = st && S_ISDIR(st->st_mode);
        }
        if (isDir) names.emplace_back(e.name);
        return true;
    });
    std::sort(names.begin(), names.end(), readingOrder);
    return names;
}

std::vector<BrowseRow> browseRows(const std::string& folder, const std::vector<std::string>& subfolders) {
    std::vector<std::string> chain;
    for (std::string p = folder; !p.empty();) {
        chain.push_back(p);
        if (p == "/") break;
        std::string up = parentPath(p);
        if (up == p) break;
        p = std::move(up);
    }
    std::reverse(chain.begin(), chain.end());
    std::vector<BrowseRow> rows;
    for (size_t i = 0; i < chain.size(); ++i) rows.push_back({chain[i], int(i), i + 1 == chain.size()});
    const int depth = int(chain.size());
    for (const std::string& name : subfolders) rows.push_back({joinPath(folder, name), depth, false});
    return rows;
}

std::string withoutTrailingSlash(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace arbel::launch
