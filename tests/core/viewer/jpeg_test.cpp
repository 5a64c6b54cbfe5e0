#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/viewer/jpeg.h"
#include "core/viewer/view_mode.h"
#include "support/temp_dir.h"

namespace arbel::viewer {
namespace {

// A small picture written by libjpeg's encoder: a red-to-blue gradient.
std::string encodeJpeg(int w, int h, bool grey = false, bool progressive = false) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    if (progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(size_t(w) * c.input_components);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; ++x) {
            unsigned char v = static_cast<unsigned char>(x * 255 / std::max(1, w - 1));
            if (grey) {
                row[x] = v;
            } else {
                row[x * 3] = 255 - v;
                row[x * 3 + 1] = 0;
                row[x * 3 + 2] = v;
            }
        }
        JSAMPROW r[1] = {row.data()};
        jpeg_write_scanlines(&c, r, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(mem), size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

Result<Picture> decode(const std::string& s) {
    return decodeJpeg(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

int channel(Argb p, int shift) {
    return int((p >> shift) & 0xFF);
}

TEST(Jpeg, DecodesColourGreyAndProgressiveInTrueColour) {
    for (bool grey : {false, true}) {
        for (bool progressive : {false, true}) {
            auto pic = decode(encodeJpeg(40, 24, grey, progressive));
            ASSERT_TRUE(pic.ok()) << pic.error().describe();
            ASSERT_EQ(pic->width, 40);
            ASSERT_EQ(pic->height, 24);
            Argb left = pic->pixels[12 * 40 + 1], right = pic->pixels[12 * 40 + 38];
            EXPECT_EQ(left >> 24, 0xFFu);
            if (grey) {
                EXPECT_LT(channel(left, 8), 30);
                EXPECT_GT(channel(right, 8), 225);
            } else {
                EXPECT_GT(channel(left, 16), 200);  // red on the left
                EXPECT_LT(channel(left, 0), 40);
                EXPECT_GT(channel(right, 0), 200);  // blue on the right
                EXPECT_LT(channel(right, 16), 40);
            }
        }
    }
}

// A four-channel picture (inverted CMYK as Adobe writes it), stored as CMYK or YCCK.
std::string encodeCmyk(int w, int h, J_COLOR_SPACE stored) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, stored);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(size_t(w) * 4);
    while (c.next_scanline < c.image_height) {
        for (int x = 0; x < w; ++x) {
            row[x * 4] = static_cast<unsigned char>(x * 7);
            row[x * 4 + 1] = static_cast<unsigned char>(255 - x * 3);
            row[x * 4 + 2] = static_cast<unsigned char>(c.next_scanline * 5);
            row[x * 4 + 3] = static_cast<unsigned char>(128 + x);
        }
        JSAMPROW r[1] = {row.data()};
        jpeg_write_scanlines(&c, r, 1);
    }
    jpeg_finish_compress(&c);
    std::string out(reinterpret_cast<char*>(mem), size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

// What libjpeg itself decodes: the CMYK samples, four a pixel.
std::vector<unsigned char> libjpegCmyk(const std::string& data) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_CMYK;
    d.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&d);
    std::vector<unsigned char> out(size_t(d.output_width) * d.output_height * 4);
    while (d.output_scanline < d.output_height) {
        JSAMPROW r[1] = {out.data() + size_t(d.output_scanline) * d.output_width * 4};
        jpeg_read_scanlines(&d, r, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

TEST(Jpeg, CmykAndYcckBecomeRgbRoundedToTheNearestLevel) {
    for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        std::string data = encodeCmyk(32, 16, stored);
        auto pic = decode(data);
        ASSERT_TRUE(pic.ok()) << pic.error().message;
        ASSERT_EQ(pic->width, 32);
        ASSERT_EQ(pic->height, 16);
        std::vector<unsigned char> cmyk = libjpegCmyk(data);
        int wrong = 0;
        for (size_t i = 0; i < pic->pixels.size(); ++i) {
            const unsigned char* s = &cmyk[i * 4];
            auto level = [&](int c) { return int(std::lround(c * s[3] / 255.0)); };
            Argb p = pic->pixels[i];
            if (channel(p, 16) != level(s[0]) || channel(p, 8) != level(s[1]) || channel(p, 0) != level(s[2]))
                ++wrong;
        }
        EXPECT_EQ(wrong, 0) << (stored == JCS_YCCK ? "YCCK" : "CMYK");
    }
}

TEST(Jpeg, BrokenFilesGiveAnErrorNotACrash) {
    std::string good = encodeJpeg(16, 16);
    EXPECT_FALSE(decode("").ok());
    EXPECT_FALSE(decode("GIF89a").ok());
    EXPECT_FALSE(decode(good.substr(0, 40)).ok());  // cut inside the headers
    std::string noFrame = good;
    for (size_t i = 2; i + 1 < noFrame.size(); ++i)
        if (uint8_t(noFrame[i]) == 0xFF && uint8_t(noFrame[i + 1]) == 0xC0) noFrame[i + 1] = char(0xCF);
    auto r = decode(noFrame);  // an unsupported frame type
    ASSERT_FALSE(r.ok());
    EXPECT_FALSE(r.error().message.empty());

    // Damage in the scan data is recovered by the library, never fatal.
    std::string scrambled = good;
    for (size_t i = good.size() / 2; i < good.size() - 2; i += 7) scrambled[i] = char(scrambled[i] ^ 0x5A);
    auto s = decode(scrambled);
    if (s.ok()) {
        EXPECT_EQ(s->pixels.size(), 256u);
    }
    auto cut = decode(good.substr(0, good.size() * 2 / 3));  // data ends early: grey rest
    if (cut.ok()) {
        EXPECT_EQ(cut->pixels.size(), 256u);
    }
}

TEST(Jpeg, RefusesPicturesBeyondTheLimit) {
    JpegLimits small;
    small.maxPixels = 100;
    std::string s = encodeJpeg(16, 16);
    auto r = decodeJpeg(reinterpret_cast<const uint8_t*>(s.data()), s.size(), small);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("too large"), std::string::npos);
}

TEST(ViewMode, PicturesByRealExtensionAndContentTextOtherwise) {
    const std::string jpeg = encodeJpeg(2, 2).substr(0, 64);
    const std::string gif = "GIF89a\x01\x00\x01\x00";
    EXPECT_EQ(chooseViewKind("/p/photo.jpeg", jpeg), ViewKind::Jpeg);
    EXPECT_EQ(chooseViewKind("/p/PHOTO.JPG", jpeg), ViewKind::Jpeg);
    EXPECT_EQ(chooseViewKind("/p/anim.jpg", gif), ViewKind::Gif);  // content decides
    EXPECT_EQ(chooseViewKind("/p/noext", jpeg), ViewKind::Jpeg);
    EXPECT_EQ(chooseViewKind("/p/xgif", "hello"), ViewKind::Text);
    EXPECT_EQ(chooseViewKind("/p/readme", "BM is a text"), ViewKind::Text);  // weak signature
    EXPECT_EQ(chooseViewKind("/p/a.BMP", "BM"), ViewKind::Bitmap);
    EXPECT_EQ(chooseViewKind("/p/a.ico", ""), ViewKind::Icon);
    EXPECT_EQ(chooseViewKind("/p/a.emf", ""), ViewKind::Metafile);
    EXPECT_EQ(chooseViewKind("/p/broken.gif", "text"), ViewKind::Gif);  // the reader reports it
    EXPECT_EQ(chooseViewKind("/p.gif/readme", "x"), ViewKind::Text);    // folders do not count
    EXPECT_EQ(chooseViewKind("/p/.gif", "x"), ViewKind::Text);
    EXPECT_EQ(extensionOf("/a/archive.tar.GZ"), "gz");
}

TEST(ViewMode, FileChecksAndInfoLine) {
    arbel::test::TempDir tmp;
    auto pic = tmp.writeFile("Pic.Jpeg", encodeJpeg(4, 4));
    EXPECT_EQ(*chooseViewKindForFile(pic), ViewKind::Jpeg);
    EXPECT_EQ(*chooseViewKindForFile(""), ViewKind::None);
    EXPECT_FALSE(chooseViewKindForFile(tmp.path()).ok());
    EXPECT_FALSE(chooseViewKindForFile(tmp / "missing").ok());
    auto loaded = loadJpeg(pic);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->width, 4);

    EXPECT_EQ(infoLine("/x/anim.gif", "320x200"), " ANIM.GIF  320x200");
    EXPECT_EQ(infoLine("/x/readme", ""), " README ");
    EXPECT_EQ(infoLine("/x/caf\xc3\xa9.txt", ""), " CAF\xc3\xa9.TXT ");  // bytes beyond ASCII kept
}

}  // namespace
}  // namespace arbel::viewer
