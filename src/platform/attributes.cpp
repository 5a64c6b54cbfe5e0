#include "platform/attributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>

namespace arbel {

namespace {

constexpr const char* kXattrName = "user.DOSATTRIB";
// Bits that never live in the stored word: they are the file's own state.
constexpr uint32_t kDerivedBits = kAttrReadOnly | kAttrHidden | kAttrDirectory;

bool unsupported(int err) {
    return err == ENOTSUP || err == EOPNOTSUPP;
}

}  // namespace

bool parseDosAttrib(std::string_view value, uint32_t& bits) {
    // Newer writers append a binary block after a NUL; the text part leads.
    std::size_t nul = value.find('\0');
    if (nul != std::string_view::npos) value = value.substr(0, nul);
    if (value.size() < 3 || value[0] != '0' || (value[1] != 'x' && value[1] != 'X')) return false;
    uint64_t v = 0;
    for (std::size_t i = 2; i < value.size(); ++i) {
        char c = value[i];
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return false;
        }
        v = v * 16 + static_cast<uint64_t>(d);
        if (v > 0xFFFFFFFFu) return false;
    }
    bits = static_cast<uint32_t>(v);
    return true;
}

StoredDosAttrib readDosAttrib(const std::string& path) {
    StoredDosAttrib out;
    char buf[256];
    ssize_t n = ::getxattr(path.c_str(), kXattrName, buf, sizeof buf);
    if (n < 0) {
        if (unsupported(errno)) out.supported = false;
        return out;
    }
    uint32_t bits;
    if (parseDosAttrib(std::string_view(buf, static_cast<std::size_t>(n)), bits)) {
        out.present = true;
        out.bits = bits;
    }
    return out;
}

Status writeDosAttrib(const std::string& path, uint32_t bits, uint32_t mask) {
    mask &= ~kDerivedBits;
    StoredDosAttrib old = readDosAttrib(path);
    if (!old.supported) return Error{path, ENOTSUP, {}};
    uint32_t value = (old.bits & ~mask) | (bits & mask);
    value &= ~kDerivedBits;
    if (value == 0) {
        if (::removexattr(path.c_str(), kXattrName) != 0 && errno != ENODATA) return errnoError(path);
        return {};
    }
    char text[16];
    int len = std::snprintf(text, sizeof text, "0x%x", value);
    // The terminating NUL is part of the stored value, as other writers keep it.
    if (::setxattr(path.c_str(), kXattrName, text, static_cast<std::size_t>(len) + 1, 0) != 0) {
        return errnoError(path);
    }
    return {};
}

uint32_t attributesOf(const struct stat& st, std::string_view name, uint32_t stored) {
    uint32_t a = stored & ~kDerivedBits;
    if (!(st.st_mode & S_IWUSR)) a |= kAttrReadOnly;
    if (!name.empty() && name[0] == '.') a |= kAttrHidden;
    if (S_ISDIR(st.st_mode)) a |= kAttrDirectory;
    return a;
}

Status setReadOnly(const std::string& path, bool readOnly) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return errnoError(path);
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (::chmod(path.c_str(), mode) != 0) return errnoError(path);
    return {};
}

}  // namespace arbel
