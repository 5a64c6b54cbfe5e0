#pragma once
// Case folding of names for matching and ordering only; identities and stored
// paths never change case. Names are byte strings: valid UTF-8 sequences are
// folded by code point, any other byte passes through unchanged, so a name
// with invalid UTF-8 still folds to something stable.

#include <cstddef>
#include <string>
#include <string_view>

namespace arbel::lists {

// Lower-cases every code point (Unicode simple mapping, independent of the
// process locale, so results are the same on every machine and thread).
std::string foldCase(std::string_view text);
void foldCaseInto(std::string_view text, std::string& out);

}  // namespace arbel::lists
