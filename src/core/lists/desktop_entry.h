#pragma once
// Desktop Entry files (".desktop"): reading the keys of their [Desktop Entry] group,
// and the two layers of quoting a value goes through when one is written: the
// string escapes of every value (\s \n \t \r \\) and, inside Exec, the quoting of
// each argument and the doubling of "%". Every reader and writer in Arbel uses
// these, so what one writes the other (and the desktop) reads back unchanged.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arbel::lists {

// The icon a Desktop Entry file names for itself: its list entry shows that icon
// rather than the one of its content type. The Icon= value of the [Desktop Entry]
// group, or empty. Only a regular file is read, and only its first 64 KiB: a FIFO
// named x.desktop never blocks the caller.
std::string desktopEntryIcon(const std::string& path);
// A name ending in ".desktop", in any case.
bool isDesktopEntryName(std::string_view name);
// A name ending in ".desktop", in any case.
bool isDesktopEntryName(std::string_view name);

// The keys of the [Desktop Entry] group in file order, values unescaped. Localised
// keys keep their suffix ("Name[de]"). Comment and blank lines are skipped.
struct DesktopEntryKeys {
    bool hasGroup = false;
    std::vector<std::pair<std::string, std::string>> keys;
    // The value of key, or nothing when the group lacks it.
    std::optional<std::string> get(std::string_view key) const;
};
DesktopEntryKeys parseDesktopEntry(std::string_view data);
// parseDesktopEntry of a regular file's first 64 KiB (nothing for anything else).
DesktopEntryKeys readDesktopEntry(const std::string& path);

// A string value as it is written after "Key=": backslash, line breaks and tabs
// escaped, and blanks at either end written as \s so that a reader's trimming
// cannot eat them.
std::string escapeDesktopValue(std::string_view value);
std::string unescapeDesktopValue(std::string_view written);

// One argument of an Exec line, before the value escapes: left bare when it holds
// nothing special, else in double quotes with " ` $ \ escaped; "%" is always
// doubled so that no field code appears by accident. An empty argument is "".
std::string quoteExecArgument(std::string_view argument);
// The arguments joined by blanks, each quoted as above, and then `fieldCode` (for
// instance "%f") appended as a word of its own when not empty.
std::string execLine(const std::vector<std::string>& argv, std::string_view fieldCode = {});

// True when the bytes are valid UTF-8 (the only encoding a Desktop Entry may hold).
bool isUtf8(std::string_view bytes);
// The bytes as UTF-8 text, each invalid byte replaced by U+FFFD: for the display
// keys (Name, Comment), never for a path.
std::string utf8ForDisplay(std::string_view bytes);

}  // namespace arbel::lists
