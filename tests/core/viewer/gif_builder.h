#pragma once
// Builds small GIF files byte by byte for the decoder tests, with a plain LZW encoder.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace arbel::viewer::test {

struct FrameSpec {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices;  // width × height, rows top to bottom
    bool interlaced = false;
    int disposal = 0;
    int delayCs = 0;
    int transparent = -1;         // transparent index, -1 for none
    std::vector<uint32_t> local;  // 0xRRGGBB entries of a local table (power of two)
    bool graphicControl = true;
};

inline void put16(std::string& s, int v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}

inline int bitsFor(size_t entries) {
    int b = 1;
    while ((size_t(1) << b) < entries) ++b;
    return b;
}

// Packs codes least significant bit first; growWidth follows the decoder's width rule.
class CodeWriter {
public:
    void put(int code, int width) {
        acc_ |= uint64_t(code) << nbits_;
        nbits_ += width;
        while (nbits_ >= 8) {
            bytes_ += char(acc_ & 0xFF);
            acc_ >>= 8;
            nbits_ -= 8;
        }
    }
    std::string finish() {
        if (nbits_ > 0) bytes_ += char(acc_ & 0xFF);
        return bytes_;
    }

private:
    std::string bytes_;
    uint64_t acc_ = 0;
    int nbits_ = 0;
};

// Real LZW. The code width follows a model of the decoder's table, which lags one
// entry behind the encoder's. With clearWhenFull false the table simply stops growing
// at 4096 entries (the "deferred clear" that decoders must accept).
inline std::string lzwEncode(const std::vector<uint8_t>& px, int minCode, bool clearWhenFull = true) {
    const int clear = 1 << minCode, end = clear + 1;
    CodeWriter w;
    int next = end + 1;                          // encoder's next entry
    int decNext = end + 1, width = minCode + 1;  // decoder's
    bool firstAfterClear = true;
    std::map<std::pair<int, int>, int> table;
    auto putCode = [&](int code) {
        w.put(code, width);
        if (!firstAfterClear && decNext < 4096) {
            ++decNext;
            if (decNext == (1 << width) && width < 12) ++width;
        }
        firstAfterClear = false;
    };
    w.put(clear, width);
    int cur = -1;
    for (uint8_t p : px) {
        if (cur < 0) {
            cur = p;
            continue;
        }
        auto it = table.find({cur, p});
        if (it != table.end()) {
            cur = it->second;
            continue;
        }
        putCode(cur);
        if (next < 4096) {
            table[{cur, p}] = next++;
        } else if (clearWhenFull) {
            w.put(clear, width);
            table.clear();
            next = end + 1;
            decNext = end + 1;
            width = minCode + 1;
            firstAfterClear = true;
        }
        cur = p;
    }
    if (cur >= 0) putCode(cur);
    w.put(end, width);
    return w.finish();
}

inline std::string subBlocks(const std::string& data) {
    std::string out;
    for (size_t i = 0; i < data.size(); i += 255) {
        size_t n = std::min<size_t>(255, data.size() - i);
        out += char(n);
        out += data.substr(i, n);
    }
    out += '\0';
    return out;
}

inline std::string palette(const std::vector<uint32_t>& pal) {
    std::string out;
    for (uint32_t c : pal) {
        out += char((c >> 16) & 0xFF);
        out += char((c >> 8) & 0xFF);
        out += char(c & 0xFF);
    }
    return out;
}

inline std::vector<uint8_t> interlaceRows(const std::vector<uint8_t>& px, int w, int h) {
    std::vector<uint8_t> out;
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = starts[pass]; y < h; y += steps[pass])
            out.insert(out.end(), px.begin() + size_t(y) * w, px.begin() + size_t(y + 1) * w);
    return out;
}

inline std::string imageData(const FrameSpec& f, int minCode) {
    std::vector<uint8_t> px = f.interlaced ? interlaceRows(f.indices, f.width, f.height) : f.indices;
    return std::string(1, char(minCode)) + subBlocks(lzwEncode(px, minCode));
}

inline std::string frameBytes(const FrameSpec& f, int globalBits) {
    std::string s;
    if (f.graphicControl) {
        s += "\x21\xF9\x04";
        s += char((f.disposal << 2) | (f.transparent >= 0 ? 1 : 0));
        put16(s, f.delayCs);
        s += char(f.transparent >= 0 ? f.transparent : 0);
        s += '\0';
    }
    s += '\x2C';
    put16(s, f.left);
    put16(s, f.top);
    put16(s, f.width);
    put16(s, f.height);
    int bits = globalBits;
    uint8_t packed = f.interlaced ? 0x40 : 0;
    if (!f.local.empty()) {
        bits = bitsFor(f.local.size());
        packed |= 0x80 | (bits - 1);
    }
    s += char(packed);
    if (!f.local.empty()) s += palette(f.local);
    s += imageData(f, std::max(bits, 2));
    return s;
}

// loop < 0: no looping extension.
inline std::string buildGif(int sw, int sh, const std::vector<uint32_t>& global,
                            const std::vector<FrameSpec>& frames, int loop = -1, bool trailer = true) {
    std::string s = "GIF89a";
    put16(s, sw);
    put16(s, sh);
    int bits = global.empty() ? 0 : bitsFor(global.size());
    s += char(global.empty() ? 0 : 0x80 | (bits - 1));
    s += '\0';
    s += '\0';
    if (!global.empty()) s += palette(global);
    if (loop >= 0) {
        s += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        put16(s, loop);
        s += '\0';
    }
    for (const auto& f : frames) s += frameBytes(f, bits);
    if (trailer) s += '\x3B';
    return s;
}

inline FrameSpec solid(int left, int top, int w, int h, uint8_t index) {
    FrameSpec f;
    f.left = left;
    f.top = top;
    f.width = w;
    f.height = h;
    f.indices.assign(size_t(w) * h, index);
    return f;
}

}  // namespace arbel::viewer::test
