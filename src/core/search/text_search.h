#pragma once
// Case-insensitive search for one pattern in blocks of bytes.
//
// Letters A-Z and a-z match each other; every other byte (UTF-8 sequences
// included) must match exactly, so a multi-byte character is never split or
// folded into something else. The tables are built once per pattern; a search
// allocates nothing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace arbel::search {

class TTISearch {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    TTISearch() { setPattern({}); }

    // Prepares the fold and skip tables for the pattern.
    void setPattern(std::string_view pattern);
    const std::string& pattern() const { return pattern_; }
    size_t patternLength() const { return folded_.size(); }

    // Offset (0-based) of the first occurrence starting at or after `from`, or npos.
    // An empty pattern is found at `from` when from <= n.
    size_t find(const char* data, size_t n, size_t from = 0) const;
    size_t find(std::string_view text, size_t from = 0) const { return find(text.data(), text.size(), from); }
    bool contains(const char* data, size_t n) const { return find(data, n) != npos; }

    // The plain skip-table search (shift by the byte just after the window), used for
    // short texts and the tail of long ones; exposed so both paths can be checked.
    size_t findScalar(const char* data, size_t n, size_t from = 0) const;

    // Stepping through one text: setText returns the 1-based start of the first
    // occurrence (0 when there is none); findNext the next one, never overlapping the
    // previous. The text is not copied and must outlive the stepping.
    size_t setText(std::string_view text);
    size_t findNext();
    bool found() const { return foundPosition_ != 0; }
    size_t foundPosition() const { return foundPosition_; }
    size_t matchCount() const { return matchCount_; }

    static unsigned char fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

private:
    bool matchesAt(const char* at) const;

    std::string pattern_;
    std::string folded_;
    size_t skip_[256];
    // Two rare bytes of the pattern (by offset), each with both case forms, used to
    // find candidate windows quickly before the full comparison.
    size_t rare1_ = 0, rare2_ = 0;
    unsigned char rare1Lo_ = 0, rare1Up_ = 0, rare2Lo_ = 0, rare2Up_ = 0;
    bool vector_ = false;

    std::string_view text_;
    size_t next_ = 0;  // 0-based offset where the next stepping search starts
    size_t foundPosition_ = 0;
    size_t matchCount_ = 0;
};

}  // namespace arbel::search
