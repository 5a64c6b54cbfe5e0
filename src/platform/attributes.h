#pragma once
// DOS-style attribute words on Linux. Read-only is the owner's write bit,
// hidden is a leading "." in the name, directory is what the kernel says;
// system and archive (and any other bits another system put there) live in
// the extended attribute "user.DOSATTRIB" in the text form "0x<hex>" that
// file servers and compatibility layers read and write.

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace arbel {

enum DosAttribute : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrVolume = 0x08,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};

// The stored word, or none when the file has no such attribute, the file
// system keeps no user attributes, or the value cannot be parsed.
struct StoredDosAttrib {
    bool present = false;
    bool supported = true;  // false: the file system refuses user extended attributes
    uint32_t bits = 0;
};

// Reads user.DOSATTRIB of a path (a symbolic link is followed).
StoredDosAttrib readDosAttrib(const std::string& path);
// Parses the stored value: "0x" and hex digits, up to a NUL or the end.
bool parseDosAttrib(std::string_view value, uint32_t& bits);

// Sets the bits of `mask` to those of `bits`, keeping every other bit already
// stored. Only system and archive (and unknown bits) are stored; read-only,
// hidden and directory always come from the file itself. Removes the
// attribute when no bit is left.
Status writeDosAttrib(const std::string& path, uint32_t bits, uint32_t mask);

// The attribute word shown for an entry: read-only and directory from its
// status, hidden from its name, system and archive from the stored word.
uint32_t attributesOf(const struct stat& st, std::string_view name, uint32_t stored);

// Read-only on: every write bit cleared (chmod a-w). Off: the owner's write
// bit set (chmod u+w). A symbolic link is followed.
Status setReadOnly(const std::string& path, bool readOnly);

}  // namespace arbel
