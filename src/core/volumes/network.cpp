#include "core/volumes/network.h"

namespace arbel::volumes {

LocationCheck checkLocation(std::string_view typed) {
    LocationCheck c;
    size_t first = typed.find_first_not_of(" \t\r\n");
    size_t last = typed.find_last_not_of(" \t\r\n");
    if (first != std::string_view::npos) c.location = std::string(typed.substr(first, last - first + 1));
    const size_t sep = c.location.find("://");
    if (c.location.empty() || sep == std::string::npos || sep == 0) {
        c.problem = "Type a location such as smb://server/share or sftp://user@host/.";
        return c;
    }
    if (!isNetworkLocation(c.location)) {
        c.problem = "Arbel connects to smb://, sftp://, ftp://, dav://, davs:// and nfs:// locations.";
        return c;
    }
    std::string_view rest = std::string_view(c.location).substr(sep + 3);
    rest = rest.substr(0, rest.find('/'));
    if (size_t at = rest.rfind('@'); at != std::string_view::npos) rest = rest.substr(at + 1);
    if (rest.empty() || rest.front() == ':') c.problem = "The location names no server.";
    return c;
}

}  // namespace arbel::volumes
