#pragma once
// Writing a listing into the listed folder.

#include <string>
#include <string_view>

#include "platform/result.h"

namespace arbel::listing {

// Writes bytes as folder/fileName, replacing an earlier file of that name in one
// step (a reader never sees half a listing, and a failed write leaves the old one
// as it was). Returns the file's full path, or the file and the reason it could
// not be written.
Result<std::string> saveListing(const std::string& folder, std::string_view fileName, std::string_view bytes);

}  // namespace arbel::listing
