#pragma once
// GIF pictures (GIF87a and GIF89a): every image of the file decoded once into a
// ready 32-bit frame, composed onto a canvas by GifPlayer. Sizes read from the file
// are never trusted: frames are clipped to the logical screen, the screen and the
// total of decoded pixels are capped, and LZW codes are checked.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace arbel::viewer {

// Pixels are 0xAARRGGBB with alpha 0 (transparent, all bits clear) or 255.
using Argb = uint32_t;

struct GifFrame {
    // The image descriptor as recorded in the file.
    int left = 0, top = 0, width = 0, height = 0;
    // The part of it on the logical screen; pixels holds clipWidth × clipHeight.
    int clipLeft = 0, clipTop = 0, clipWidth = 0, clipHeight = 0;
    int colourBits = 0;  // bits of the local colour table, 0 when the global one is used
    bool hasLocalTable = false;
    bool interlaced = false;
    bool transparent = false;
    uint8_t transparentIndex = 0;
    int delayCs = 0;       // the recorded delay in hundredths of a second
    uint8_t disposal = 0;  // 0 unspecified, 1 leave, 2 restore to background, 3 restore to previous
    bool opaque = true;    // no pixel of the clipped area is transparent
    // The clipped area as colour indices into palette (the transparent index maps to
    // 0), a quarter of the memory of ready colours. A stream that ended before the
    // last pixel leaves no index free to mean "not drawn": such a frame holds its
    // colours in `pixels` instead, the missing ones transparent.
    std::vector<uint8_t> indices;
    std::vector<Argb> pixels;
    std::array<Argb, 256> palette{};

    // The clipped area's colours, row by row, whichever way they are held.
    std::vector<Argb> colours() const;
};

struct GifImage {
    int width = 0, height = 0;  // the canvas (the logical screen)
    int globalBits = 0;
    int loopCount = 1;  // a looping extension's count (0 = for ever), else 1
    bool anyTransparent = false;
    std::string comments;  // the last comment extension's text
    std::vector<GifFrame> frames;
};

struct GifLimits {
    int maxSide = 16384;
    int64_t maxCanvasPixels = 64ll << 20;
    int64_t maxTotalPixels = 96ll << 20;  // all frames together (4 bytes each)
    int maxFrames = 256;
};

// Decodes a whole GIF file held in memory. A stream that is not a GIF, is cut
// inside an image, or holds an undecodable image gives an error and no frames.
// Frames past maxFrames or past the pixel budget are dropped (the earlier ones stay).
Result<GifImage> decodeGif(const uint8_t* data, size_t size, const GifLimits& limits = {});
// Reads a regular file and decodes it; errors carry the path.
Result<GifImage> loadGif(const std::string& path, const GifLimits& limits = {});

// The message for a stream that could not be decoded.
inline constexpr const char* kGifDamaged = "not a GIF picture, or a damaged one";

}  // namespace arbel::viewer
