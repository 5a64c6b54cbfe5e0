#pragma once
// Splitting a typed command line into the words of an argument vector, the way a
// POSIX shell splits words, but with no expansion of any kind and no shell:
//
//   gimp "my photo.png" it\'s  ->  {"gimp", "my photo.png", "it's"}
//
// - Blanks (space, tab, line break) separate words; several count as one.
// - '...' keeps everything inside literally.
// - "..." keeps everything inside, except that a backslash before " \ $ ` or a
//   line break drops the backslash.
// - A backslash outside quotes keeps the next character literally.
// - Quotes next to other text join it into one word; "" alone is an empty word.
// - $, `, *, ~, ;, | and the like are ordinary characters.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arbel::launch {

// The words, or nothing when a quote is left open or the line ends in a lone
// backslash (the user meant something that cannot be guessed).
std::optional<std::vector<std::string>> splitCommandWords(std::string_view line);

}  // namespace arbel::launch
