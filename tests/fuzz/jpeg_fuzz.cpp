// Decodes arbitrary bytes as a JPEG: libjpeg's fatal errors must come back as an error.
#include <cstddef>
#include <cstdint>

#include "core/viewer/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    arbel::viewer::JpegLimits limits;
    limits.maxPixels = 1 << 22;
    auto pic = arbel::viewer::decodeJpeg(data, size, limits);
    if (pic.ok() && pic->pixels.size() != size_t(pic->width) * pic->height) __builtin_trap();
    return 0;
}
