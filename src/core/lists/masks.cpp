#include "core/lists/masks.h"

#include <algorithm>

#include "core/lists/case_fold.h"
#include "core/text/utf8.h"

namespace arbel::lists {

namespace {

std::string_view trimBlanks(std::string_view s) {
    // Control characters and the blank count as padding, as in the mask texts
    // users type; bytes of multi-byte characters never do.
    auto pad = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!s.empty() && pad(s.front())) s.remove_prefix(1);
    while (!s.empty() && pad(s.back())) s.remove_suffix(1);
    return s;
}

bool hasWildcard(std::string_view s) {
    return s.find_first_of("*?") != std::string_view::npos;
}

// Case-insensitive order with a byte tie-break, so the order is total and
// strings that differ only in case both stay.
void sortUnique(std::vector<std::string>& v) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(v.size());
    for (auto& s : v) keyed.emplace_back(foldCase(s), std::move(s));
    std::sort(keyed.begin(), keyed.end());
    v.clear();
    for (auto& [key, s] : keyed) {
        if (v.empty() || v.back() != s) v.push_back(std::move(s));
    }
}

bool insertSorted(std::vector<std::string>& v, std::string s) {
    if (std::find(v.begin(), v.end(), s) != v.end()) return false;
    std::string key = foldCase(s);
    auto pos = std::find_if(v.begin(), v.end(), [&](const std::string& e) {
        std::string ek = foldCase(e);
        return ek > key || (ek == key && e > s);
    });
    v.insert(pos, std::move(s));
    return true;
}

}  // namespace

void BuildMaskList(std::string_view text, MaskList& list, bool expand, bool caseSensitive) {
    list.clear();
    if (text.empty()) {
        list.push_back("*");
        return;
    }
    std::string all(text);
    std::replace(all.begin(), all.end(), ',', ';');
    if (all.back() != ';') all.push_back(';');

    std::size_t start = 0;
    for (std::size_t semi; (semi = all.find(';', start)) != std::string::npos; start = semi + 1) {
        std::string_view piece = trimBlanks(std::string_view(all).substr(start, semi - start));
        std::string p = caseSensitive ? std::string(piece) : foldCase(piece);
        if (expand) {
            bool dot = p.find('.') != std::string::npos;
            if (!dot && !hasWildcard(p)) {
                p = "*" + p + "*";
            } else if (!dot && p.back() != '*') {
                p.push_back('*');
            }
        }
        list.push_back(std::move(p));
    }
    sortUnique(list);
}

MaskList BuildMaskList(std::string_view text, bool expand, bool caseSensitive) {
    MaskList list;
    BuildMaskList(text, list, expand, caseSensitive);
    return list;
}

bool MatchMask(std::string_view name, std::string_view pattern, bool exact) {
    if (pattern == "*") return true;
    if (pattern == "*.*" && name.find('.') != std::string_view::npos) return true;
    // An empty pattern (a stray ";" in an unexpanded mask) matches nothing.
    if (pattern.empty()) return false;
    if (!hasWildcard(pattern)) {
        return exact ? name == pattern : name.find(pattern) != std::string_view::npos;
    }

    // Glob walk with star backtracking: when the rest fails after a "*", the
    // "*" swallows one more character and the rest is tried again. O(n*m) at
    // worst, no recursion. "?" and the backtrack step move by whole UTF-8
    // characters so a "?" never stands for half a character.
    std::size_t n = 0, p = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && pattern[p] == '?') {
            n += text::utf8SequenceLength(name, n);
            ++p;
        } else if (p < pattern.size() && pattern[p] == name[n]) {
            ++n;
            ++p;
        } else if (starP != std::string_view::npos) {
            starN += text::utf8SequenceLength(name, starN);
            n = starN;
            p = starP;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool MatchesMaskList(std::string_view name, const MaskList& list, bool exact, bool caseSensitive) {
    if (name.empty()) return true;
    if (list.empty()) return false;
    std::string tested;
    if (caseSensitive) {
        tested.assign(name);
    } else {
        foldCaseInto(name, tested);
    }
    std::size_t slash = tested.rfind('/');
    std::size_t dot = tested.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) tested += ". ";
    for (const auto& pattern : list) {
        if (MatchMask(tested, pattern, exact)) return true;
    }
    return false;
}

std::string JoinMaskList(const MaskList& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out.push_back(';');
        out += list[i];
    }
    return out;
}

bool MaskListTakesAll(const MaskList& list) {
    return std::any_of(list.begin(), list.end(), [](const std::string& p) { return p == "*" || p == "**"; });
}

void TPatternList::setText(std::string_view text) {
    folders_.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t semi = text.find(';', start);
        if (semi == std::string_view::npos) semi = text.size();
        std::string_view piece = text.substr(start, semi - start);
        if (!piece.empty()) add(piece);
        start = semi + 1;
    }
}

std::string TPatternList::text() const {
    std::string out;
    for (std::size_t i = 0; i < folders_.size(); ++i) {
        if (i) out.push_back(';');
        out += folders_[i];
    }
    return out;
}

bool TPatternList::add(std::string_view folder) {
    std::string f(folder);
    if (f.empty() || f.back() != '/') f.push_back('/');
    return insertSorted(folders_, std::move(f));
}

}  // namespace arbel::lists
