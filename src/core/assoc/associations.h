#pragma once
// File associations of one user on the freedesktop standards. The logical model
// stays extension -> type -> description and open command; its store is:
//
//   extension -> type    a glob in a user MIME package,
//                        $XDG_DATA_HOME/mime/packages/arbel-<ext>.xml, compiled by
//                        update-mime-database into $XDG_DATA_HOME/mime
//   type -> description  the type's <comment> (types Arbel makes:
//                        "application/x-arbel-<ext>")
//   type -> command      a hidden application entry,
//                        $XDG_DATA_HOME/applications/arbel-<ext>.desktop, with
//                        Exec=<program> %f and MimeType=<type>;, made the type's
//                        default in $XDG_CONFIG_HOME/mimeapps.list
//
// Nothing outside the user's own folders is written, and only what Arbel wrote is
// ever removed: a system type or extension is refused with a message.

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace arbel::assoc {

// The dialog's texts (the first four as they always were; the others are new).
inline constexpr std::string_view kFillAll = "All fields must be filled in.";
inline constexpr std::string_view kRemoveAssociation = "Remove this association?";
inline constexpr std::string_view kInvalidCommand = "The specified command path is invalid.";
inline constexpr std::string_view kRemoveType = "Remove selected association type?";
inline constexpr std::string_view kInvalidExtension =
    "An extension may hold only letters, digits and the characters + - _.";
inline constexpr std::string_view kNotOurs = "Only file types and associations made by Arbel can be removed.";
inline constexpr std::string_view kUnnamedProgram =
    "The program's path cannot be written into a launcher (it is not UTF-8, or holds both % and =).";
inline constexpr std::string_view kNone = "<none>";

// The extension with every "." removed, lower-cased (MIME globs ignore case);
// empty when nothing is left or it holds anything but letters, digits, + - _.
std::string normalExtension(std::string_view typed);
// "application/x-arbel-<ext>", the type made for an extension.
std::string arbelTypeFor(std::string_view extension);
// "arbel-<ext>.desktop", the application entry that opens it.
std::string arbelAppIdFor(std::string_view extension);

struct Folders {
    std::string dataHome;    // $XDG_DATA_HOME
    std::string configHome;  // $XDG_CONFIG_HOME
    static Folders current();
};

class AssociationStore {
public:
    explicit AssociationStore(Folders folders = Folders::current()) : f_(std::move(folders)) {}

    // New mode: the extension gets its own type described by `description`, opened
    // by `program` (an existing file, given its path).
    Status registerProgram(std::string_view extension, const std::string& description,
                           const std::string& program);
    // Existing mode: the extension is pointed at an existing type; the type and its
    // applications stay as they are.
    Status pointAt(std::string_view extension, const std::string& type);
    // Removes what Arbel made for the extension (its package, its entry, its
    // default). Refused for an extension Arbel never associated.
    Status removeAssociation(std::string_view extension);
    // Deletes a type Arbel made, with every extension Arbel pointed at it. Refused
    // for every other type.
    Status deleteType(const std::string& type);

    // Whether the extension has an association made by Arbel; whether the type is one of Arbel's.
    bool ownsExtension(std::string_view extension) const;
    bool ownsType(const std::string& type) const;

    std::string packagePath(std::string_view extension) const;
    std::string appEntryPath(std::string_view extension) const;
    std::string mimeAppsPath() const;

private:
    Status setDefault(const std::string& type, const std::string& appId);
    Status dropDefaults(const std::string& appId, const std::vector<std::string>& types);
    Status rebuild();
    Folders f_;
};

// One line of the dialog's list: a type with its description and open command.
struct TypeLine {
    std::string type;
    std::string description;
    std::string command;
    std::string text;  // description + " (" + command + ")"
};
// Every type of the MIME database whose description and command differ, sorted by
// type name; the command is the Exec line of the type's default application.
std::vector<TypeLine> typeLines();
// The extension the dialog proposes for an item's name: from the name's last "."
// (a leading "." starts no extension), without the dot unless `withDot`; empty
// when the name has none. Never shortened: a cut extension names other files.
std::string proposedExtension(std::string_view name, bool withDot);
// The type a file with this extension belongs to now (empty: none known).
std::string typeOfExtension(std::string_view extension);

}  // namespace arbel::assoc
