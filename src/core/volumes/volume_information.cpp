#include "core/volumes/volume_information.h"

#include <cerrno>
#include <map>

namespace arbel::volumes {

bool TVolumeInformation::GetLabel(std::string& label) {
    const std::vector<Volume> all = service_.volumes();
    const Volume* v = volumeOf(all, Drive);
    if (!v) {
        if (OnError) OnError(ENOENT);
        return false;
    }
    label = v->label;
    return true;
}

std::string TVolumeInformation::UNCDrive() {
    const std::vector<Volume> all = service_.volumes();
    const Volume* v = volumeOf(all, Drive);
    if (!v) return {};
    if (v->type != DriveType::Remote) return v->mountPoint;
    if (v->fsType == "gvfs") {
        std::string location = gvfsLocation(v->source);
        return location.empty() ? v->source : location;
    }
    return v->source;
}

namespace {

// gvfs escapes unsafe bytes of values as %XX.
std::string unescapePercent(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out.push_back(char(hex(s[i + 1]) * 16 + hex(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

}  // namespace

std::string gvfsLocation(std::string_view name) {
    GvfsName parsed = parseGvfsName(name);
    if (!parsed.wellFormed) return {};
    const std::string& type = parsed.type;
    std::map<std::string, std::string> keys;
    for (auto& [key, value] : parsed.keys) keys[key] = unescapePercent(value);
    std::string scheme = type;
    std::string host = keys.count("host") ? keys["host"] : keys["server"];
    std::string path;
    if (type == "smb-share") {
        scheme = "smb";
        path = keys["share"] + "/";
    } else if (type == "dav") {
        scheme = keys["ssl"] == "true" ? "davs" : "dav";
    }
    if (host.empty()) return {};
    if (keys.count("prefix")) {
        std::string prefix = keys["prefix"];
        while (!prefix.empty() && prefix.front() == '/') prefix.erase(0, 1);
        if (!prefix.empty()) path = prefix + "/" + path;
    }
    std::string user = keys.count("user") ? keys["user"] + "@" : "";
    if (type == "smb-share" && keys.count("domain") && !user.empty()) user = keys["domain"] + ";" + user;
    std::string port = keys.count("port") ? ":" + keys["port"] : "";
    // An IPv6 address keeps its brackets in a location.
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    return scheme + "://" + user + host + port + "/" + path;
}

}  // namespace arbel::volumes
