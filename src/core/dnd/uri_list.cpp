#include "core/dnd/uri_list.h"

#include "core/app/command_line.h"

namespace arbel::dnd {

namespace {

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::string fileUrl(std::string_view path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (unreserved(c) || c == '/') {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

std::string encodeUriList(const std::vector<std::string>& paths) {
    std::string out;
    for (const std::string& path : paths) {
        if (path.empty() || path.front() != '/') continue;
        out += fileUrl(path);
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> decodeUriList(std::string_view text) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        // Some programs end the data with a NUL, as if it were a C string.
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (auto path = app::pathOfFileUrl(line)) out.push_back(app::cleanPath(*path));
    }
    return out;
}

}  // namespace arbel::dnd
