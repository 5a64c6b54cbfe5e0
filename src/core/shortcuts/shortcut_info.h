#pragma once
// What a Desktop Entry file says about the shortcut it is, for Shortcut
// Properties: the fields of TPBShellLink read back, from the entries Arbel writes
// and from any other launcher.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arbel::shortcuts {

struct ShortcutInfo {
    bool readable = false;  // a [Desktop Entry] group was found
    std::string type;       // "Application", "Link", ...
    std::string name;
    std::string description;  // Comment
    std::string target;       // the program, or the local path (or URL) of a link
    std::vector<std::string> arguments;
    std::string workingDir;  // Path
    std::string icon;
    bool hidden = false;  // NoDisplay or Hidden
};

// The words an Exec line starts, as the desktop reads them: "%%" is a "%", field
// codes (%f %U ...) stand for files and are left out, then the words are split as
// a shell splits them. Our own "env <program>" form gives the program. Nothing
// when the quoting is broken.
std::optional<std::vector<std::string>> execWords(std::string_view exec);

ShortcutInfo readShortcut(const std::string& path);

// Words joined for display, each with blanks or quotes put in double quotes.
std::string displayWords(const std::vector<std::string>& words);

}  // namespace arbel::shortcuts
