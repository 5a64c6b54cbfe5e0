#include "core/config/ini_file.h"

#include "core/config/file_store.h"
#include "core/config/ini_text.h"

#include <mutex>

namespace arbel::config {

namespace {

// Read-modify-write of one file must not interleave between threads, or one
// write would drop the other's key.
std::mutex updateLock;

void checkName(const std::string& file, std::string_view section, std::string_view key) {
    if (!storableSection(section) || !storableKey(key)) throw InvalidEntry(file, EINVAL);
}

}  // namespace

WriteError::WriteError(const std::string& file, int code)
    : std::runtime_error("Unable to write to " + file), file_(file), code_(code) {}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::storable(std::string_view value) {
    return storableValue(value);
}

std::string IniFile::readText() const {
    return readSettingsFile(path_);
}

template <class Edit>
void IniFile::update(Edit&& edit) {
    std::lock_guard lock(updateLock);
    // Another process may be saving too: take the file's lock, then read it afresh.
    UpdateLock fileLock = lockForUpdate(path_, settingsFolder());
    auto current = readForUpdate(path_);
    if (!current) throw WriteError(path_, current.error().code);
    IniText text = IniText::parse(*current);
    if (!edit(text)) return;
    Status s = replaceFile(path_, text.serialize(), settingsFolder());
    if (!s) throw WriteError(path_, s.error().code);
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view def) const {
    std::string bytes = readText();
    IniText text = IniText::parse(bytes);
    auto v = text.find(section, key);
    return std::string(v ? cutText(*v, kMaxValue) : def);
}

int64_t IniFile::readInteger(std::string_view section, std::string_view key, int64_t def) const {
    std::string bytes = readText();
    IniText text = IniText::parse(bytes);
    auto v = text.find(section, key);
    if (!v) return def;
    return parseInteger(cutText(*v, kMaxValue)).value_or(def);
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    checkName(path_, section, key);
    if (!storableValue(value)) throw InvalidEntry(path_, EINVAL);
    update([&](IniText& text) {
        text.set(section, key, value);
        return true;
    });
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int64_t value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniFile::writeValues(std::string_view section,
                          const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [key, value] : values) {
        checkName(path_, section, key);
        if (!storableValue(value)) throw InvalidEntry(path_, EINVAL);
    }
    if (values.empty()) return;
    update([&](IniText& text) {
        for (const auto& [key, value] : values) text.set(section, key, value);
        return true;
    });
}

std::vector<std::string> IniFile::readSection(std::string_view section) const {
    std::string bytes = readText();
    IniText text = IniText::parse(bytes);
    std::vector<std::string> out;
    for (const auto& [key, value] : text.entries(section)) {
        std::string line(key);
        line += '=';
        line += cutText(value, kMaxValue);
        out.push_back(std::move(line));
    }
    return out;
}

void IniFile::eraseSection(std::string_view section) {
    update([&](IniText& text) { return text.erase(section); });
}

std::vector<std::string> IniFile::readHistory(std::string_view section) const {
    std::string bytes = readText();
    IniText text = IniText::parse(bytes);
    std::vector<std::string> out;
    for (const auto& entry : text.entries(section)) out.emplace_back(cutText(entry.second, kMaxHistoryEntry));
    return out;
}

void IniFile::writeHistory(std::string_view section, const std::vector<std::string>& entries, int firstKey) {
    if (!storableSection(section)) throw InvalidEntry(path_, EINVAL);
    std::vector<std::pair<std::string, std::string>> lines;
    lines.reserve(entries.size());
    int64_t key = firstKey;
    for (const std::string& entry : entries) {
        // A line break in an entry (a folder name may hold one) would add keys of
        // its choosing to the file; such an entry is left out of the history.
        if (!storableValue(entry)) continue;
        lines.emplace_back(std::to_string(key++), entry);
    }
    update([&](IniText& text) {
        if (lines.empty()) return text.erase(section);
        text.replaceSection(section, lines);
        return true;
    });
}

void IniFile::writeKeyedHistory(std::string_view section,
                                const std::vector<std::pair<std::string, std::string>>& lines) {
    if (!storableSection(section)) throw InvalidEntry(path_, EINVAL);
    std::vector<std::pair<std::string, std::string>> kept;
    for (const auto& [key, value] : lines) {
        checkName(path_, section, key);
        if (storableValue(value)) kept.emplace_back(key, value);
    }
    update([&](IniText& text) {
        if (kept.empty()) return text.erase(section);
        text.replaceSection(section, kept);
        return true;
    });
}

}  // namespace arbel::config
