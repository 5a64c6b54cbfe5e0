#pragma once
// The text/uri-list of file drags (RFC 2483): one "file://" URL a line, each line
// ended by CRLF. Paths are bytes; every byte outside the unreserved ASCII set and
// "/" is percent-encoded, so spaces, "#", "%", newlines and names that are not
// UTF-8 cross to other programs and back unchanged.

#include <string>
#include <string_view>
#include <vector>

namespace arbel::dnd {

// The "file://" URL of one absolute path, percent-encoded as above.
std::string fileUrl(std::string_view path);

// The uri-list of these absolute paths, in their order; relative and empty paths
// are left out (they name nothing another program could find).
std::string encodeUriList(const std::vector<std::string>& paths);

// The local paths of a uri-list as other programs write it: lines ended by CRLF,
// by LF alone or by nothing at the end; "#" comment lines and blank lines skipped;
// "file:///p", "file://localhost/p" and "file:/p" taken; URLs of other schemes or
// hosts, and malformed ones, ignored. Paths come back cleaned (no "//", ".", ".."
// or trailing "/"), in the list's order.
std::vector<std::string> decodeUriList(std::string_view text);

}  // namespace arbel::dnd
