#pragma once
// Display order of folder names: case-insensitive, in the locale's collation order,
// ties broken by the raw bytes so the order is total and stable. Identity stays exact:
// this only orders.

#include <string>
#include <string_view>

namespace arbel::tree {

// A key that compares (with <) in display order. Invalid UTF-8 bytes count as U+FFFD.
std::wstring collationKey(std::string_view name);

// Display order of two names (keys computed on the fly; sort many names by keys).
bool collatesBefore(std::string_view a, std::string_view b);

}  // namespace arbel::tree
