#include "core/tree/collate.h"

#include <clocale>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace arbel::tree {

namespace {

// Decodes UTF-8 by hand: the process locale may not be a UTF-8 one.
std::wstring decodeLower(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c <= 0xF4) {
            size_t need = c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
            char32_t v = c & (0x3F >> need);
            bool good = i + need < s.size();
            for (size_t k = 1; good && k <= need; ++k) {
                unsigned char d = static_cast<unsigned char>(s[i + k]);
                if ((d & 0xC0) != 0x80)
                    good = false;
                else
                    v = (v << 6) | (d & 0x3F);
            }
            bool minimal = need == 1 || (need == 2 && v >= 0x800) || (need == 3 && v >= 0x10000);
            if (good && minimal && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
                cp = v;
                len = need + 1;
            }
        }
        out.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(cp))));
        i += len;
    }
    return out;
}

// In the C locales collation is code-point order: skip wcsxfrm, which only copies.
bool plainCollation() {
    const char* name = std::setlocale(LC_COLLATE, nullptr);
    return !name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
           std::strncmp(name, "C.", 2) == 0;
}

}  // namespace

std::wstring collationKey(std::string_view name) {
    std::wstring lower = decodeLower(name);
    if (plainCollation()) return lower;
    size_t need = std::wcsxfrm(nullptr, lower.c_str(), 0);
    std::wstring key(need + 1, L'\0');
    std::wcsxfrm(key.data(), lower.c_str(), need + 1);
    key.resize(need);
    return key;
}

bool collatesBefore(std::string_view a, std::string_view b) {
    std::wstring ka = collationKey(a), kb = collationKey(b);
    if (ka != kb) return ka < kb;
    return a < b;
}

}  // namespace arbel::tree
