#include "core/listing/listing_file.h"

#include "core/config/file_store.h"
#include "core/listing/listing.h"

namespace arbel::listing {

Result<std::string> saveListing(const std::string& folder, std::string_view fileName,
                                std::string_view bytes) {
    std::string path = listingPath(folder, fileName);
    // A listing is an ordinary document: readable by others like the files beside it.
    Status written = config::replaceFile(path, bytes, {}, 0644);
    if (!written) return written.error();
    return path;
}

}  // namespace arbel::listing
