// Change of case on arbitrary name bytes: never crashes, never adds or removes a
// path separator or NUL, never lengthens a name past what the mapping allows, and
// is stable when applied twice (a second Upper changes nothing).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/commands/case_change.h"

using arbel::commands::CaseMode;
using arbel::commands::changeCase;

namespace {

size_t count(std::string_view s, char c) {
    size_t n = 0;
    for (char x : s) n += x == c;
    return n;
}

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    for (CaseMode mode : {CaseMode::Lower, CaseMode::Upper, CaseMode::Sentence, CaseMode::Title}) {
        const std::string out = changeCase(name, mode);
        check(count(out, '/') == count(name, '/'));
        check(count(out, '\0') == count(name, '\0'));
        check(count(out, ' ') == count(name, ' '));
        // One code point maps to one code point of at most four bytes.
        check(out.size() <= 4 * name.size());
        if (mode == CaseMode::Upper || mode == CaseMode::Lower) check(changeCase(out, mode) == out);
    }
    return 0;
}
