#include "core/lists/case_fold.h"

#include <locale.h>
#include <wctype.h>

#include "core/text/unicode_locale.h"
#include "core/text/utf8.h"

namespace arbel::lists {

void foldCaseInto(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    locale_t loc = nullptr;
    for (std::size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
            ++i;
            continue;
        }
        char32_t cp;
        std::size_t len = text::decodeUtf8(text, i, cp);
        if (len == 0) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (!loc) loc = text::unicodeCtype();
        char32_t lower = loc ? static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), loc)) : cp;
        if (lower == cp) {
            out.append(text.substr(i, len));
        } else {
            text::appendUtf8(lower, out);
        }
        i += len;
    }
}

std::string foldCase(std::string_view text) {
    std::string out;
    foldCaseInto(text, out);
    return out;
}

}  // namespace arbel::lists
