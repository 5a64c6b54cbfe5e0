#pragma once
// The INI text of the settings file as a list of lines, with the reading and
// editing rules of the store and no file access, so the rules can be tested and
// fuzzed on their own. IniFile reads the file into one of these on every access.
//
// Reading rules:
//   - Lines end at LF; any CRs before the LF are dropped (files edited elsewhere
//     may have CRLF ends). A UTF-8 byte order mark before the first line is skipped.
//   - A line whose first non-blank byte is '[' starts a section; its name is the
//     text up to the first ']' (or the end of the line), without surrounding blanks.
//   - A line whose first non-blank byte is ';' is a comment.
//   - Any other line holding '=' is a key line: the key is the text before the
//     first '=', without surrounding blanks; the value is every byte after it, as
//     stored (a folder name may end in a space, and must come back whole).
//   - Lines before the first section and lines without '=' belong to no key.
//   - Section and key names compare without regard to ASCII case. A section that
//     appears twice is read as one, in file order; of two equal keys the first wins.
// Editing keeps every other line byte for byte (comments, unknown sections, order).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arbel::config {

// ASCII case-insensitive equality, for section and key names.
bool sameName(std::string_view a, std::string_view b);

// Decimal with an optional sign, or hexadecimal when the text is longer than two
// characters and starts "0x"/"0X" (the digits are a 64-bit pattern, so
// "0xFFFFFFFFFFFFFFFF" is -1). Blanks around the number are allowed; anything else
// (empty text, trailing garbage, overflow) gives nullopt.
std::optional<int64_t> parseInteger(std::string_view text);

// The first at most max bytes of text, shortened further so that a well-formed
// UTF-8 sequence is not cut in two.
std::string_view cutText(std::string_view text, size_t max);

// What may be written without breaking the line structure of the file.
bool storableSection(std::string_view name);  // non-empty, no ']', CR, LF, NUL, no outer blanks
bool storableKey(std::string_view key);       // non-empty, no '=', CR, LF, NUL, no outer blanks,
                                              // not starting with '[' or ';'
bool storableValue(std::string_view value);   // no CR, LF or NUL

class IniText {
public:
    static IniText parse(std::string_view bytes);
    // Every line followed by LF.
    std::string serialize() const;

    // The value of the first matching key, as stored.
    std::optional<std::string_view> find(std::string_view section, std::string_view key) const;
    // The key lines of the section in file order: (key, value).
    std::vector<std::pair<std::string_view, std::string_view>> entries(std::string_view section) const;

    // Replaces the value of the first matching key, keeping its spelling, or adds
    // the key at the end of the section, or adds the section at the end of the text.
    // The names and value must be storable.
    void set(std::string_view section, std::string_view key, std::string_view value);
    // Removes every occurrence of the section with all its lines; false when absent.
    bool erase(std::string_view section);
    // Erase, then the section with these entries where it first stood (at the end
    // when it was absent); no section at all when entries is empty.
    void replaceSection(std::string_view section,
                        const std::vector<std::pair<std::string, std::string>>& entries);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        Kind kind = Kind::Other;
        std::string text;      // without the line end
        size_t nameBegin = 0;  // section or key name within text
        size_t nameLength = 0;
        size_t valueBegin = 0;  // key lines: just after the '='
        std::string_view name() const { return std::string_view(text).substr(nameBegin, nameLength); }
        std::string_view value() const { return std::string_view(text).substr(valueBegin); }
    };
    static Line classify(std::string text, size_t skip);
    static Line sectionLine(std::string_view section);
    static Line keyLine(std::string_view key, std::string_view value);
    size_t eraseAll(std::string_view section);  // index of the first removed line, or npos

    std::vector<Line> lines_;
};

}  // namespace arbel::config
