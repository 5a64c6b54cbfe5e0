#pragma once
// What kind of content a file holds, as the desktop's shared MIME database
// names and describes it (through GIO).

#include <string>

namespace arbel {

// The content type ("text/plain", "inode/directory", ...), guessed from the
// name and the first bytes; empty when it cannot be told. A link is followed.
std::string contentTypeOf(const std::string& path);
// The database's description of a content type ("plain text document").
std::string contentTypeDescription(const std::string& type);

}  // namespace arbel
