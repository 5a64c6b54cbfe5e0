#include "core/search/find_form.h"

#include <algorithm>
#include <limits>

namespace arbel::search {

uint64_t kilobytesToBytes(std::string_view text, bool isMaximum) {
    const uint64_t none = isMaximum ? TMyFF::kNoLimit : 0;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return none;
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    uint64_t kb = 0;
    for (char c : text) {
        const uint64_t d = static_cast<uint64_t>(c - '0');
        if (kb > (kMax - d) / 10) return kMax;
        kb = kb * 10 + d;
    }
    return kb > kMax / 1024 ? kMax : kb * 1024;
}

uint32_t allowedAttributes(const FindRequest& r) {
    if (!r.attributesOn) return kAttrArchive | kAttrHidden | kAttrReadOnly | kAttrSystem;
    uint32_t a = 0;
    if (r.archive) a |= kAttrArchive;
    if (r.hidden) a |= kAttrHidden;
    if (r.readOnly) a |= kAttrReadOnly;
    if (r.system) a |= kAttrSystem;
    return a;
}

void configure(TMyFF& ff, const FindRequest& r) {
    ff.setAttributes(allowedAttributes(r));
    ff.setFindString(r.containingOn ? std::string_view(r.containing) : std::string_view());
    ff.setMask(r.mask);
    ff.RecurseDirs = r.recurse;
    uint64_t lo = 0, hi = TMyFF::kNoLimit;
    if (r.sizeOn) (r.sizeIsMax ? hi : lo) = kilobytesToBytes(r.sizeKB, r.sizeIsMax);
    ff.setSizeRange(lo, hi);
    // Times are tested only when asked for, so files of any date are found otherwise;
    // a date that could not be read leaves that end open.
    if (r.datesOn) {
        ff.setDateRange(r.fromValid ? r.fromNs : std::numeric_limits<int64_t>::min(),
                        r.toValid ? r.toNs : std::numeric_limits<int64_t>::max());
    } else {
        ff.clearDateRange();
    }
}

std::string sizeCell(uint64_t bytes) {
    return std::to_string(bytes / 1024 + (bytes % 1024 != 0)) + " KB";
}

const std::string& attributeCell(uint32_t attributes) {
    static const std::array<std::string, 64> table = [] {
        std::array<std::string, 64> t;
        for (uint32_t a = 0; a < 64; ++a) {
            std::string s = "-----";
            if (a & kAttrReadOnly) s[0] = 'r';
            if (a & kAttrArchive) s[1] = 'a';
            if (a & kAttrSystem) s[2] = 's';
            if (a & kAttrHidden) s[3] = 'h';
            if (a & kAttrDirectory) s[4] = 'd';
            t[a] = s;
        }
        return t;
    }();
    return table[attributes & 63];
}

std::vector<std::string> rememberMask(std::vector<std::string> history, std::string_view mask) {
    std::erase(history, mask);
    if (!mask.empty() && mask != kAnyMask) history.insert(history.begin(), std::string(mask));
    std::erase(history, kAnyMask);
    if (history.size() > kFindSpecsKept) history.resize(kFindSpecsKept);
    return history;
}

std::vector<std::string> comboEntries(const std::vector<std::string>& stored) {
    std::vector<std::string> out{std::string(kAnyMask)};
    for (const std::string& s : stored) {
        if (out.size() > kFindSpecsKept) break;
        if (!s.empty() && std::find(out.begin(), out.end(), s) == out.end()) out.push_back(s);
    }
    return out;
}

}  // namespace arbel::search
