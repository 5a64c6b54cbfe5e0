#include "platform/result.h"

#include <cstring>

namespace arbel {

std::string errnoText(int code) {
    char buf[256];
    // GNU strerror_r may return a static string instead of filling buf.
    const char* text = strerror_r(code, buf, sizeof buf);
    return text ? std::string(text) : std::string("error ") + std::to_string(code);
}

Error errnoError(std::string path, int code) {
    return Error{std::move(path), code, {}};
}

std::string Error::describe() const {
    std::string reason = code ? errnoText(code) : message;
    if (code && !message.empty()) reason = message + ": " + reason;
    if (path.empty()) return reason;
    return path + ": " + reason;
}

}  // namespace arbel
