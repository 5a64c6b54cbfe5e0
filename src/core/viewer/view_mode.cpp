#include "core/viewer/view_mode.h"

#include <unistd.h>

#include <cstring>

#include "core/viewer/file_bytes.h"
#include "platform/paths.h"

namespace arbel::viewer {

std::string extensionOf(std::string_view path) {
    const std::string name = baseName(path);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    std::string ext(name.substr(dot + 1));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return ext;
}

namespace {

ViewKind byExtension(const std::string& ext) {
    if (ext == "bmp" || ext == "dib") return ViewKind::Bitmap;
    if (ext == "ico") return ViewKind::Icon;
    if (ext == "wmf" || ext == "emf") return ViewKind::Metafile;
    if (ext == "gif") return ViewKind::Gif;
    if (ext == "jpg" || ext == "jpeg" || ext == "jpe" || ext == "jfif") return ViewKind::Jpeg;
    return ViewKind::Text;
}

bool startsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

}  // namespace

ViewKind chooseViewKind(std::string_view path, std::string_view head) {
    // Signatures that text practically never starts with decide over the name.
    if (startsWith(head, "GIF87a") || startsWith(head, "GIF89a")) return ViewKind::Gif;
    if (startsWith(head, "\xFF\xD8\xFF")) return ViewKind::Jpeg;
    if (startsWith(head, "\xD7\xCD\xC6\x9A")) return ViewKind::Metafile;  // placeable metafile
    if (head.size() >= 44 && startsWith(head, std::string_view("\x01\0\0\0", 4)) &&
        head.substr(40, 4) == " EMF")
        return ViewKind::Metafile;
    ViewKind byName = byExtension(extensionOf(path));
    // "BM" and the icon header are too weak to overrule a name: a text file may well
    // start with "BM". A file named as a picture whose bytes are some other picture
    // kind goes to that kind's reader, which then reports what is wrong.
    return byName;
}

Result<ViewKind> chooseViewKindForFile(const std::string& path) {
    if (path.empty()) return ViewKind::None;
    auto fd = openRegularFile(path);
    if (!fd) return fd.error();
    char buf[64];
    ssize_t n = ::read(*fd, buf, sizeof buf);
    ::close(*fd);
    if (n < 0) return errnoError(path);
    return chooseViewKind(path, std::string_view(buf, size_t(n)));
}

std::string infoLine(std::string_view path, std::string_view sizeText) {
    std::string name = baseName(path);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    std::string line = " ";
    line += name;
    line += ' ';
    if (!sizeText.empty()) line.append(" ").append(sizeText);
    return line;
}

}  // namespace arbel::viewer
