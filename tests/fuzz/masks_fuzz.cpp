// Mask texts and names from arbitrary bytes: building a list and matching never
// crashes, never loops, and agrees with itself (a name matches a list exactly
// when it matches one of its patterns).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/lists/case_fold.h"
#include "core/lists/masks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // First line: the mask text; the rest: the name.
    std::size_t nl = input.find('\n');
    std::string_view mask = input.substr(0, nl);
    std::string_view name = nl == std::string_view::npos ? std::string_view() : input.substr(nl + 1);
    if (name.size() > 4096 || mask.size() > 4096) return 0;

    for (bool expand : {false, true}) {
        arbel::lists::MaskList list = arbel::lists::BuildMaskList(mask, expand, false);
        bool any = false;
        std::string tested = arbel::lists::foldCase(name);
        std::size_t slash = tested.rfind('/');
        std::size_t dot = tested.rfind('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) tested += ". ";
        for (const auto& p : list) any = any || arbel::lists::MatchMask(tested, p, true);
        bool listed = arbel::lists::MatchesMaskList(name, list);
        if (!name.empty() && any != listed) std::abort();
        if (name.empty() && !listed) std::abort();
        // "*" and "**" take every name.
        if (!name.empty() && arbel::lists::MaskListTakesAll(list) && !listed) std::abort();
    }
    return 0;
}
