#include "core/viewer/gif.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/viewer/file_bytes.h"

namespace arbel::viewer {
namespace {

constexpr int kMaxCodes = 4096;

struct Reader {
    const uint8_t* p;
    const uint8_t* end;
    bool has(size_t n) const { return static_cast<size_t>(end - p) >= n; }
    uint8_t u8() { return *p++; }
    int u16() {
        int v = p[0] | (p[1] << 8);
        p += 2;
        return v;
    }
};

// Skips data sub-blocks up to and including the zero-length terminator.
bool skipSubBlocks(Reader& r) {
    for (;;) {
        if (!r.has(1)) return false;
        uint8_t n = r.u8();
        if (n == 0) return true;
        if (!r.has(n)) return false;
        r.p += n;
    }
}

// Gathers the image data sub-blocks into one run of bytes, followed by 8 zero bytes
// so that the code reader may always load a whole 64-bit word.
bool gatherSubBlocks(Reader& r, std::vector<uint8_t>& out) {
    out.clear();
    for (;;) {
        if (!r.has(1)) return false;
        uint8_t n = r.u8();
        if (n == 0) break;
        if (!r.has(n)) return false;
        out.insert(out.end(), r.p, r.p + n);
        r.p += n;
    }
    out.insert(out.end(), 8, 0);
    return true;
}

// Copies a run in 16-byte steps, writing up to 15 bytes past dst + len (the output
// has that much slack; what lands there is overwritten later). Each step loads before
// it stores, and a run never reaches past dst, so an adjacent source is read intact.
inline void copyRun(uint8_t* dst, const uint8_t* src, size_t len) {
    for (size_t k = 0; k < len; k += 16) {
        uint8_t tmp[16];
        std::memcpy(tmp, src + k, 16);
        std::memcpy(dst + k, tmp, 16);
    }
}

constexpr size_t kSlack = 16;

// Decodes variable-length LZW codes into out[0, total); out has kSlack bytes beyond.
// Every table entry is a run already present in the output (its prefix's run plus the
// next run's first byte), so an entry is two numbers and a string is one copy.
// Returns the number of pixels written, or -1 for a code outside the table.
int64_t lzwDecode(const uint8_t* data, size_t bytes, int minCodeSize, uint8_t* out, size_t total) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    static thread_local std::array<uint32_t, kMaxCodes> start;
    static thread_local std::array<uint16_t, kMaxCodes> length;

    const uint64_t totalBits = static_cast<uint64_t>(bytes) * 8;
    uint64_t bitPos = 0;
    int width = minCodeSize + 1;
    uint32_t mask = (1u << width) - 1;
    int next = endCode + 1;
    int old = -1;
    size_t oldPos = 0, oldLen = 0;
    size_t pos = 0;

    while (pos < total) {
        if (bitPos + width > totalBits) break;  // the data ran out before the end code
        uint64_t word;
        std::memcpy(&word, data + (bitPos >> 3), 8);
        int code = static_cast<int>((word >> (bitPos & 7)) & mask);
        bitPos += width;

        size_t len;
        if (code < clearCode) {
            out[pos] = static_cast<uint8_t>(code);
            len = 1;
        } else if (code == clearCode) {
            width = minCodeSize + 1;
            mask = (1u << width) - 1;
            next = endCode + 1;
            old = -1;
            continue;
        } else if (code == endCode) {
            break;
        } else if (old < 0) {
            return -1;  // the first code after a clear must be a single pixel
        } else if (code < next) {
            len = length[code];
            if (len > total - pos) {
                std::memcpy(out + pos, out + start[code], total - pos);
                pos = total;
                break;
            }
            copyRun(out + pos, out + start[code], len);
        } else if (code == next && next < kMaxCodes) {
            // The string of the previous code followed by its own first pixel.
            len = oldLen + 1;
            if (len > total - pos) {
                std::memcpy(out + pos, out + oldPos, std::min(oldLen, total - pos));
                pos = total;
                break;
            }
            copyRun(out + pos, out + oldPos, oldLen);
            out[pos + oldLen] = out[oldPos];
        } else {
            return -1;
        }

        if (old >= 0 && next < kMaxCodes) {
            start[next] = static_cast<uint32_t>(oldPos);
            length[next] = static_cast<uint16_t>(oldLen + 1);
            ++next;
            if (next == (1 << width) && width < 12) {
                ++width;
                mask = (1u << width) - 1;
            }
        }
        old = code;
        oldPos = pos;
        oldLen = len;
        pos += len;
    }
    return static_cast<int64_t>(std::min(pos, total));
}

// Row of the stream (in decoding order) that holds row y of an interlaced image.
int interlacedStreamRow(int y, int h) {
    int pass1 = (h + 7) / 8, pass2 = (h + 3) / 8, pass3 = (h + 1) / 4;
    if (y % 8 == 0) return y / 8;
    if (y % 8 == 4) return pass1 + y / 8;
    if (y % 4 == 2) return pass1 + pass2 + y / 4;
    return pass1 + pass2 + pass3 + y / 2;
}

void readPalette(Reader& r, int bits, std::array<Argb, 256>& pal) {
    pal.fill(0xFF000000u);
    int n = 1 << bits;
    for (int i = 0; i < n; ++i) {
        pal[i] = 0xFF000000u | (uint32_t(r.p[0]) << 16) | (uint32_t(r.p[1]) << 8) | r.p[2];
        r.p += 3;
    }
}

struct GraphicControl {
    bool present = false;
    uint8_t packed = 0;
    int delay = 0;
    uint8_t transparentIndex = 0;
};

Error damaged() {
    return Error{"", 0, kGifDamaged};
}

class Decoder {
public:
    Decoder(const uint8_t* data, size_t size, const GifLimits& limits)
        : r_{data, data + size}, limits_(limits) {}

    Result<GifImage> run();

private:
    enum class Step { Ok, Stop, Fail };
    Step readImage(const GraphicControl& gc);
    bool settleScreen(int left, int top, int w, int h);

    Reader r_;
    const GifLimits& limits_;
    GifImage img_;
    std::array<Argb, 256> global_{};
    bool screenSettled_ = false;
    int64_t pixelBudget_ = 0;
    std::vector<uint8_t> data_;
    std::vector<uint8_t> indices_;
    std::string error_;
};

bool Decoder::settleScreen(int left, int top, int w, int h) {
    if (screenSettled_) return true;
    // Some writers leave the logical screen 0 × 0; the first image then defines it.
    if (img_.width == 0) img_.width = left + w;
    if (img_.height == 0) img_.height = top + h;
    screenSettled_ = true;
    if (img_.width <= 0 || img_.height <= 0) return false;
    if (img_.width > limits_.maxSide || img_.height > limits_.maxSide ||
        int64_t(img_.width) * img_.height > limits_.maxCanvasPixels) {
        error_ = "the picture is too large to show";
        return false;
    }
    return true;
}

Decoder::Step Decoder::readImage(const GraphicControl& gc) {
    if (!r_.has(9)) return Step::Fail;
    GifFrame f;
    f.left = r_.u16();
    f.top = r_.u16();
    f.width = r_.u16();
    f.height = r_.u16();
    uint8_t packed = r_.u8();
    f.hasLocalTable = packed & 0x80;
    f.interlaced = packed & 0x40;
    if (!settleScreen(f.left, f.top, f.width, f.height)) return Step::Fail;

    std::array<Argb, 256> pal = global_;
    if (f.hasLocalTable) {
        f.colourBits = (packed & 7) + 1;
        if (!r_.has(size_t(3) << f.colourBits)) return Step::Fail;
        readPalette(r_, f.colourBits, pal);
    }
    if (gc.present) {
        int disposal = (gc.packed & 0x1C) >> 2;
        f.disposal = static_cast<uint8_t>(disposal >= 4 ? 2 : disposal);
        f.delayCs = gc.delay;
        f.transparent = gc.packed & 1;
        f.transparentIndex = gc.transparentIndex;
        if (f.transparent) pal[f.transparentIndex] = 0;
    }

    if (!r_.has(1)) return Step::Fail;
    int minCodeSize = r_.u8();
    if (minCodeSize < 1 || minCodeSize > 11) return Step::Fail;
    if (!gatherSubBlocks(r_, data_)) return Step::Fail;

    // Only the part on the logical screen is kept.
    int right = std::min(f.left + f.width, img_.width);
    int bottom = std::min(f.top + f.height, img_.height);
    f.clipLeft = f.left;
    f.clipTop = f.top;
    f.clipWidth = std::max(0, right - f.left);
    f.clipHeight = std::max(0, bottom - f.top);
    if (f.clipWidth == 0 || f.clipHeight == 0) f.clipWidth = f.clipHeight = 0;
    int64_t kept = int64_t(f.clipWidth) * f.clipHeight;
    if (pixelBudget_ + kept > limits_.maxTotalPixels) return Step::Stop;

    if (kept > 0) {
        int64_t total = int64_t(f.width) * f.height;
        if (total > limits_.maxCanvasPixels) {
            error_ = "the picture is too large to show";
            return Step::Fail;
        }
        f.palette = pal;
        // The usual frame (whole, not interlaced) decodes straight into its storage.
        const bool direct = !f.interlaced && kept == total;
        std::vector<uint8_t>& out = direct ? f.indices : indices_;
        out.resize(static_cast<size_t>(total) + kSlack);
        int64_t produced =
            lzwDecode(data_.data(), data_.size() - 8, minCodeSize, out.data(), static_cast<size_t>(total));
        if (produced < 0) return Step::Fail;

        if (produced == total) {
            if (direct) {
                f.indices.resize(static_cast<size_t>(total));
            } else {
                f.indices.resize(static_cast<size_t>(kept));
                for (int y = 0; y < f.clipHeight; ++y) {
                    int streamRow = f.interlaced ? interlacedStreamRow(y, f.height) : y;
                    std::memcpy(f.indices.data() + size_t(y) * f.clipWidth,
                                indices_.data() + size_t(streamRow) * f.width, size_t(f.clipWidth));
                }
            }
            f.opaque = !f.transparent ||
                       std::memchr(f.indices.data(), f.transparentIndex, f.indices.size()) == nullptr;
        } else {
            // Pixels the stream did not reach stay transparent.
            f.pixels.assign(static_cast<size_t>(kept), 0);
            for (int y = 0; y < f.clipHeight; ++y) {
                int streamRow = f.interlaced ? interlacedStreamRow(y, f.height) : y;
                int64_t rowStart = int64_t(streamRow) * f.width;
                int64_t avail = std::clamp<int64_t>(produced - rowStart, 0, f.clipWidth);
                const uint8_t* src = out.data() + rowStart;
                Argb* dst = f.pixels.data() + int64_t(y) * f.clipWidth;
                for (int64_t x = 0; x < avail; ++x) dst[x] = pal[src[x]];
            }
            f.indices.clear();
            f.indices.shrink_to_fit();
            f.opaque = false;
        }
        if (!f.opaque) img_.anyTransparent = true;
    }
    if (f.transparent) img_.anyTransparent = true;
    pixelBudget_ += kept;
    img_.frames.push_back(std::move(f));
    return Step::Ok;
}

Result<GifImage> Decoder::run() {
    if (!r_.has(13) || std::memcmp(r_.p, "GIF", 3) != 0) return damaged();
    r_.p += 6;
    img_.width = r_.u16();
    img_.height = r_.u16();
    uint8_t packed = r_.u8();
    r_.p += 2;  // background colour index, aspect ratio
    global_.fill(0xFF000000u);
    if (packed & 0x80) {
        img_.globalBits = (packed & 7) + 1;
        if (!r_.has(size_t(3) << img_.globalBits)) return damaged();
        readPalette(r_, img_.globalBits, global_);
    }

    GraphicControl gc;
    bool more = true;
    while (more && r_.has(1)) {
        uint8_t block = r_.u8();
        switch (block) {
            case 0x21: {
                if (!r_.has(1)) return damaged();
                uint8_t label = r_.u8();
                if (label == 0xF9) {
                    if (!r_.has(1)) return damaged();
                    const uint8_t* sub = r_.p;
                    if (*sub >= 4 && r_.has(5)) {
                        gc.present = true;
                        gc.packed = sub[1];
                        gc.delay = sub[2] | (sub[3] << 8);
                        gc.transparentIndex = sub[4];
                    }
                    if (!skipSubBlocks(r_)) return damaged();
                } else if (label == 0xFE) {
                    img_.comments.clear();
                    for (;;) {
                        if (!r_.has(1)) return damaged();
                        uint8_t n = r_.u8();
                        if (n == 0) break;
                        if (!r_.has(n)) return damaged();
                        img_.comments.append(reinterpret_cast<const char*>(r_.p), n);
                        r_.p += n;
                    }
                } else if (label == 0xFF) {
                    if (r_.has(12) && r_.p[0] == 11 && std::memcmp(r_.p + 1, "NETSCAPE2.0", 11) == 0) {
                        r_.p += 12;
                        if (r_.has(4) && r_.p[0] >= 3 && r_.p[1] == 1)
                            img_.loopCount = r_.p[2] | (r_.p[3] << 8);
                    }
                    if (!skipSubBlocks(r_)) return damaged();
                } else {
                    if (!skipSubBlocks(r_)) return damaged();
                }
                break;
            }
            case 0x2C: {
                if (static_cast<int>(img_.frames.size()) >= limits_.maxFrames) {
                    more = false;
                    break;
                }
                Step s = readImage(gc);
                gc = GraphicControl{};
                if (s == Step::Fail) {
                    if (!error_.empty()) return Error{"", 0, error_};
                    return damaged();
                }
                if (s == Step::Stop) more = false;
                break;
            }
            default:  // the trailer, or a byte that starts no block
                more = false;
                break;
        }
    }
    if (img_.frames.empty()) return damaged();
    return std::move(img_);
}

}  // namespace

std::vector<Argb> GifFrame::colours() const {
    if (!pixels.empty()) return pixels;
    std::vector<Argb> out(indices.size());
    for (size_t i = 0; i < indices.size(); ++i) out[i] = palette[indices[i]];
    return out;
}

Result<GifImage> decodeGif(const uint8_t* data, size_t size, const GifLimits& limits) {
    Decoder d(data, size, limits);
    return d.run();
}

Result<GifImage> loadGif(const std::string& path, const GifLimits& limits) {
    auto bytes = readPictureFile(path);
    if (!bytes) return bytes.error();
    auto img = decodeGif(bytes->data(), bytes->size(), limits);
    if (!img) {
        Error e = img.error();
        e.path = path;
        return e;
    }
    return img;
}

}  // namespace arbel::viewer
