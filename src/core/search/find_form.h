#pragma once
// The rules of the "Search for Files" window that need no screen: turning the
// form's texts into the finder's settings, the cells of a result row, and the
// mask history kept in section "Findspecs".

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/finder.h"

namespace arbel::search {

// What the form holds when Search is pressed. Dates are already read from the
// user's locale by the window: the first instant of the "from" day and the last
// instant of the "to" day, in nanoseconds since 1970 UTC.
struct FindRequest {
    std::string mask = "*.*";
    bool recurse = false;
    bool containingOn = false;
    std::string containing;
    bool sizeOn = false;
    std::string sizeKB = "100";
    bool sizeIsMax = false;  // "max" chosen, else "min"
    bool datesOn = false;
    bool fromValid = false, toValid = false;
    int64_t fromNs = 0, toNs = 0;
    bool attributesOn = false;
    bool archive = true, hidden = true, readOnly = true, system = true;
};

// Bytes for a size in KB typed by the user. A text that is not a number gives no
// limit: 0 for a minimum, no upper bound for a maximum. Huge numbers saturate.
uint64_t kilobytesToBytes(std::string_view text, bool isMaximum);

// Attribute bits a reported file may have. Without the attribute filter every
// flag a file can carry is allowed; folders and volume labels never are.
uint32_t allowedAttributes(const FindRequest& r);

// Sets masks, attributes, content text, sub-folders, size and dates on the finder.
void configure(TMyFF& ff, const FindRequest& r);

// "Size" cell: whole KB rounded up, "0 KB" for an empty file.
std::string sizeCell(uint64_t bytes);
// "Attribs" cell: five places "rashd", '-' where the flag is absent.
const std::string& attributeCell(uint32_t attributes);

// The mask history, newest first, without "*.*" (the window always offers it first).
inline constexpr std::string_view kAnyMask = "*.*";
inline constexpr size_t kFindSpecsKept = 14;
inline constexpr int kFindSpecsFirstKey = 2;
// The history after a search with `mask`: the mask moves to the top (also when it
// was further down), "*.*" and empty masks are not kept, at most kFindSpecsKept.
std::vector<std::string> rememberMask(std::vector<std::string> history, std::string_view mask);
// The combo box's entries for a stored history: "*.*" first, then each stored
// mask once, in order, at most kFindSpecsKept.
std::vector<std::string> comboEntries(const std::vector<std::string>& stored);

}  // namespace arbel::search
