#pragma once
// The settings file "Arbelwin.cfg": INI text with [section] lines and key=value
// lines. Section and key names compare without regard to ASCII case; values are
// plain text without quoting. Every access goes to the file itself, so a value
// written through one IniFile is seen at once by every other IniFile on the same
// path. Writes replace the file atomically (temporary file in the same folder,
// fsync, rename) and keep every line they do not change.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arbel::config {

// Raised when the system refuses a write (read-only file, full disk, a folder in
// the way); what() is "Unable to write to <path>", the path the IniFile was made
// with. The file is left as it was. Callers catch it where the user's command
// starts, report it once, and let the command's real work go on.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(const std::string& file, int code = 0);
    const std::string& file() const { return file_; }
    int code() const { return code_; }  // errno of the failing step, 0 if none
private:
    std::string file_;
    int code_;
};

// Raised, before anything is written, for a section name, key or value that could
// not be stored as one line and read back as the same name or value: a value
// holding CR, LF or NUL; a key that is empty, holds CR, LF, NUL or '=', starts with
// '[' or ';', or has blanks at either end; a section name that is empty, holds
// ']', CR, LF or NUL, or has blanks at either end.
// Derived from WriteError so a caller catching WriteError sees it too; what() is
// "Unable to write to <file name>" as well.
class InvalidEntry : public WriteError {
public:
    using WriteError::WriteError;
};

class IniFile {
public:
    // A value read back is at most this many bytes, a history entry at most
    // kMaxHistoryEntry; longer values are stored whole but read back cut, so a
    // caller that must get a path back intact checks its length first.
    static constexpr size_t kMaxValue = 1023;
    static constexpr size_t kMaxHistoryEntry = 100;

    explicit IniFile(std::string path);  // does not touch the disk
    const std::string& path() const { return path_; }

    // The value text (at most 1023 bytes), or def when the key is missing.
    // A key present with an empty value reads "".
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal, or hexadecimal after "0x"/"0X"; empty, missing or unconvertible text gives def.
    int64_t readInteger(std::string_view section, std::string_view key, int64_t def) const;
    // An integer read; non-zero is true.
    bool readBool(std::string_view section, std::string_view key, bool def) const;

    // Writes throw WriteError when the system refuses, InvalidEntry for names or
    // values that cannot be stored; the file is then as it was.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int64_t value);  // plain decimal
    void writeBool(std::string_view section, std::string_view key, bool value);        // "1" / "0"
    // Several keys of one section in one atomic write (a window's "Save Settings").
    void writeValues(std::string_view section,
                     const std::vector<std::pair<std::string, std::string>>& values);

    // The key lines of the section, "key=value", in file order.
    std::vector<std::string> readSection(std::string_view section) const;
    // Removes the section with all its keys; nothing is written when it is absent.
    void eraseSection(std::string_view section);

    // History rule: the text after the first '=' of each key line (at most 100
    // bytes), in file order; keys are ignored.
    std::vector<std::string> readHistory(std::string_view section) const;
    // Erases the section and writes entries under decimal keys firstKey, firstKey+1,
    // ... (newest first, as given), in one atomic write. Entries holding CR, LF or
    // NUL are skipped (they would inject keys) and do not use up a key number.
    void writeHistory(std::string_view section, const std::vector<std::string>& entries, int firstKey = 1);
    // Erases the section and writes these key lines in one atomic write: a history
    // whose key numbers have gaps. Lines whose value cannot be stored are skipped.
    void writeKeyedHistory(std::string_view section,
                           const std::vector<std::pair<std::string, std::string>>& lines);

    // Whether value can be written as it is (no CR, LF or NUL). Callers that must
    // skip or refuse such a value quietly, such as a folder name with a line
    // break, ask first; a write of it raises InvalidEntry.
    static bool storable(std::string_view value);

private:
    std::string readText() const;
    template <class Edit>
    void update(Edit&& edit);

    std::string path_;
};

// Where "Arbelwin.cfg" lives: in programDir when that folder is writable (a
// portable copy, such as the build folder; for root, which may write anywhere,
// only when the file is already there) and the program is not an installed one
// (programDir/../share/applications/arbel.desktop exists); else in
// $XDG_CONFIG_HOME/arbel (an unset or relative XDG_CONFIG_HOME means ~/.config).
std::string configPath(const std::string& programDir);
// $XDG_CONFIG_HOME/arbel (or ~/.config/arbel): the one folder that a write creates
// when it is missing. A settings file in any other missing folder cannot be written.
std::string settingsFolder();

}  // namespace arbel::config
