// Decodes arbitrary bytes as a GIF and plays every frame onto the canvas twice over,
// so the decoder, the clipping and the disposal code all see hostile sizes.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/viewer/gif.h"
#include "core/viewer/gif_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    arbel::viewer::GifLimits limits;
    limits.maxSide = 4096;
    limits.maxCanvasPixels = 1 << 22;
    limits.maxTotalPixels = 1 << 23;
    auto img = arbel::viewer::decodeGif(data, size, limits);
    if (!img.ok()) return 0;
    arbel::viewer::GifPlayer player(std::make_shared<arbel::viewer::GifImage>(std::move(*img)));
    player.setAnimate(true);
    int steps = 2 * player.frameCount();
    for (int i = 0; i < steps; ++i) {
        player.intervalMs();
        player.advance();
    }
    player.setCurrentFrame(1);
    player.setAnimate(false);
    return 0;
}
