// Decoding an animated GIF into composed frames, against giflib's DGifSlurp on the
// same file (which only unpacks the colour indices and composes nothing).
//   bench_gif_decode gen FILE     writes the 100-frame 500 × 500 test animation
//   bench_gif_decode arbel FILE   decodes and composes every frame
//   bench_gif_decode peer FILE    DGifSlurp
#include <gif_lib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/viewer/gif.h"
#include "core/viewer/gif_player.h"

namespace {

constexpr int kSide = 500, kFrames = 100;

int generate(const char* path) {
    int err = 0;
    GifFileType* gif = EGifOpenFileName(path, false, &err);
    if (!gif) return 1;
    EGifSetGifVersion(gif, true);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i].Red = GifByteType(i);
        colours[i].Green = GifByteType((i * 7) & 255);
        colours[i].Blue = GifByteType(255 - i);
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, kSide, kSide, 8, 0, map);
    unsigned char loop[3] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
    std::vector<GifPixelType> line(kSide);
    unsigned seed = 12345;
    for (int f = 0; f < kFrames; ++f) {
        // Disposal 1, transparent index 0, 4 centiseconds.
        unsigned char gce[4] = {0x04 | 0x01, 4, 0, 0};
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
        EGifPutImageDesc(gif, 0, 0, kSide, kSide, false, nullptr);
        double cx = 250 + 180 * std::cos(f * 0.0628), cy = 250 + 180 * std::sin(f * 0.0628);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                seed = seed * 1103515245u + 12345u;
                double d = std::hypot(x - cx, y - cy);
                int v = d < 60 ? 200 + int(d) / 4 : ((x / 8 + y / 8 + f) % 64) + 1;
                if ((seed >> 16) % 16 == 0) v = int((seed >> 8) & 255);  // some grain
                if (d > 60 && (x + y + f) % 97 == 0) v = 0;              // a few holes
                line[x] = GifPixelType(v);
            }
            EGifPutLine(gif, line.data(), kSide);
        }
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &err) == GIF_OK ? 0 : 1;
}

int runArbel(const char* path) {
    auto img = arbel::viewer::loadGif(path);
    if (!img) {
        std::fprintf(stderr, "%s\n", img.error().describe().c_str());
        return 1;
    }
    arbel::viewer::GifPlayer player(std::make_shared<arbel::viewer::GifImage>(std::move(*img)));
    player.setAnimate(true);
    uint32_t sum = 0;
    for (int i = 0; i < player.frameCount(); ++i) {
        sum += player.canvas()[size_t(i) * 2501 % player.canvas().size()];
        player.advance();
    }
    std::printf("%d frames, %u\n", player.frameCount(), sum);
    return 0;
}

int peer(const char* path) {
    int err = 0;
    GifFileType* gif = DGifOpenFileName(path, &err);
    if (!gif || DGifSlurp(gif) != GIF_OK) return 1;
    std::printf("%d frames\n", gif->ImageCount);
    DGifCloseFile(gif, &err);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    if (!std::strcmp(argv[1], "gen")) return generate(argv[2]);
    if (!std::strcmp(argv[1], "arbel")) return runArbel(argv[2]);
    if (!std::strcmp(argv[1], "peer")) return peer(argv[2]);
    return 2;
}
