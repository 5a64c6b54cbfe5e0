#pragma once
// JPEG pictures through libjpeg, in true colour. The library's fatal errors return
// through its error manager as an error result: a damaged file never ends the program.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/viewer/gif.h"
#include "platform/result.h"

namespace arbel::viewer {

struct Picture {
    int width = 0, height = 0;
    std::vector<Argb> pixels;  // opaque 0xFFRRGGBB, rows top to bottom
};

struct JpegLimits {
    int maxSide = 32768;
    int64_t maxPixels = 128ll << 20;
};

Result<Picture> decodeJpeg(const uint8_t* data, size_t size, const JpegLimits& limits = {});
Result<Picture> loadJpeg(const std::string& path, const JpegLimits& limits = {});

}  // namespace arbel::viewer
