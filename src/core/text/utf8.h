#pragma once
// UTF-8, decoded and encoded in one place. Names and file contents are bytes that
// are usually, not always, UTF-8: callers decide what an invalid byte becomes, and
// the process locale (which may not be a UTF-8 one) plays no part.

#include <cstddef>
#include <string>
#include <string_view>

namespace arbel::text {

// Decodes the sequence at s[pos] (pos < s.size()) into cp and returns its length, or
// 0 when the bytes there are not one valid, shortest-form sequence (overlong forms,
// surrogates and values past U+10FFFF are invalid).
std::size_t decodeUtf8(std::string_view s, std::size_t pos, char32_t& cp);

// Byte length of the sequence starting at s[pos] (1 for an invalid byte), never past
// the end.
std::size_t utf8SequenceLength(std::string_view s, std::size_t pos);

// Appends a scalar value (not a surrogate, at most U+10FFFF) as UTF-8.
void appendUtf8(char32_t cp, std::string& out);

}  // namespace arbel::text
