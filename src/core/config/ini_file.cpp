#include "core/config/ini_file.h"

namespace arbel::config {

WriteError::WriteError(const std::string& file, int code)
    : std::runtime_error("Unable to write to " + file), file_(file), code_(code) {}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::readString(std::string_view, std::string_view, std::string_view def) const {
    return std::string(def);
}
int64_t IniFile::readInteger(std::string_view, std::string_view, int64_t def) const {
    return def;
}
bool IniFile::readBool(std::string_view, std::string_view, bool def) const {
    return def;
}
void IniFile::writeString(std::string_view, std::string_view, std::string_view) {}
void IniFile::writeInteger(std::string_view, std::string_view, int64_t) {}
void IniFile::writeBool(std::string_view, std::string_view, bool) {}
std::vector<std::string> IniFile::readSection(std::string_view) const {
    return {};
}
void IniFile::eraseSection(std::string_view) {}
std::vector<std::string> IniFile::readHistory(std::string_view) const {
    return {};
}
void IniFile::writeHistory(std::string_view, const std::vector<std::string>&, int) {}

std::string configPath(const std::string& programDir) {
    return programDir + "/Arbelwin.cfg";
}

}  // namespace arbel::config
