#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

using namespace std::string_literals;

#include "core/viewer/gif.h"
#include "core/viewer/gif_player.h"
#include "gif_builder.h"
#include "support/temp_dir.h"

namespace arbel::viewer {
namespace {

using test::buildGif;
using test::FrameSpec;
using test::solid;

const std::vector<uint32_t> kPal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
constexpr Argb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kBlack = 0xFF000000;

Result<GifImage> decode(const std::string& bytes, const GifLimits& limits = {}) {
    return decodeGif(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), limits);
}

std::shared_ptr<const GifImage> decodeOk(const std::string& bytes) {
    auto r = decode(bytes);
    EXPECT_TRUE(r.ok()) << (r.ok() ? "" : r.error().describe());
    if (!r.ok()) return nullptr;
    return std::make_shared<GifImage>(std::move(*r));
}

Argb at(const GifPlayer& p, int x, int y) {
    return p.canvas()[size_t(y) * p.width() + x];
}

std::vector<uint8_t> noise(size_t n, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    // Runs of random length so that both short and long strings reach the table.
    for (size_t i = 0; i < n;) {
        uint8_t c = uint8_t(rng() % colours);
        size_t run = 1 + rng() % 6;
        for (size_t k = 0; k < run && i < n; ++k) v[i++] = c;
    }
    return v;
}

TEST(GifDecode, PixelsTakeTheirColoursFromTheGlobalOrLocalTable) {
    FrameSpec a = solid(0, 0, 3, 2, 0);
    a.indices = {1, 2, 3, 3, 2, 1};
    FrameSpec b = solid(0, 0, 1, 1, 1);
    b.local = {0x000000, 0x123456};
    auto img = decodeOk(buildGif(3, 2, kPal, {a, b}));
    ASSERT_TRUE(img);
    ASSERT_EQ(img->frames.size(), 2u);
    EXPECT_EQ(img->frames[0].colours(), (std::vector<Argb>{kRed, kGreen, kBlue, kBlue, kGreen, kRed}));
    EXPECT_EQ(img->frames[1].colours(), std::vector<Argb>{0xFF123456});
    EXPECT_TRUE(img->frames[1].hasLocalTable);
    EXPECT_EQ(img->frames[1].colourBits, 1);
}

TEST(GifDecode, LongCodeStreamsRoundTripThroughFullAndDeferredTables) {
    // 8-bit pixels run the code width to 12 bits and fill the table several times;
    // without clear codes the decoder must keep using the full table.
    std::vector<uint32_t> pal(256);
    for (int i = 0; i < 256; ++i) pal[i] = uint32_t(i) * 0x010101;
    for (bool clearWhenFull : {true, false}) {
        for (int colours : {2, 17, 256}) {
            FrameSpec f = solid(0, 0, 211, 97, 0);
            f.indices = noise(f.indices.size(), colours, colours);
            std::string bytes = "GIF89a";
            test::put16(bytes, 211);
            test::put16(bytes, 97);
            bytes += "\xF7\0\0"s;
            bytes += test::palette(pal);
            bytes += '\x2C';
            test::put16(bytes, 0);
            test::put16(bytes, 0);
            test::put16(bytes, 211);
            test::put16(bytes, 97);
            bytes += '\0';
            bytes += '\x08';
            bytes += test::subBlocks(test::lzwEncode(f.indices, 8, clearWhenFull));
            bytes += ';';
            auto img = decodeOk(bytes);
            ASSERT_TRUE(img);
            const auto& px = img->frames[0].colours();
            ASSERT_EQ(px.size(), f.indices.size());
            size_t bad = 0;
            for (size_t i = 0; i < px.size(); ++i)
                if (px[i] != (0xFF000000u | pal[f.indices[i]])) ++bad;
            EXPECT_EQ(bad, 0u) << "colours " << colours << " clearWhenFull " << clearWhenFull;
        }
    }
}

TEST(GifDecode, InterlacedImageEqualsItsPlainTwin) {
    for (int h : {1, 2, 3, 4, 5, 7, 8, 9, 13, 16, 17}) {
        FrameSpec plain = solid(0, 0, 5, h, 0);
        plain.indices = noise(plain.indices.size(), 4, h);
        FrameSpec inter = plain;
        inter.interlaced = true;
        auto a = decodeOk(buildGif(5, h, kPal, {plain}));
        auto b = decodeOk(buildGif(5, h, kPal, {inter}));
        ASSERT_TRUE(a && b);
        EXPECT_TRUE(b->frames[0].interlaced);
        EXPECT_EQ(a->frames[0].colours(), b->frames[0].colours()) << "height " << h;
    }
}

TEST(GifDecode, TransparentIndexLeavesPixelsClear) {
    FrameSpec f = solid(0, 0, 2, 1, 0);
    f.indices = {1, 2};
    f.transparent = 2;
    auto img = decodeOk(buildGif(2, 1, kPal, {f}));
    ASSERT_TRUE(img);
    EXPECT_TRUE(img->anyTransparent);
    EXPECT_FALSE(img->frames[0].opaque);
    EXPECT_EQ(img->frames[0].colours(), (std::vector<Argb>{kRed, 0u}));
}

TEST(GifDecode, FramesAreClippedToTheLogicalScreen) {
    // A frame hanging over the right and bottom edges keeps only its visible part;
    // one entirely outside keeps nothing, and neither enlarges the canvas.
    FrameSpec over = solid(3, 2, 4, 4, 1);
    FrameSpec outside = solid(60000, 60000, 200, 200, 2);
    auto img = decodeOk(buildGif(5, 4, kPal, {over, outside}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 5);
    EXPECT_EQ(img->height, 4);
    EXPECT_EQ(img->frames[0].clipWidth, 2);
    EXPECT_EQ(img->frames[0].clipHeight, 2);
    EXPECT_EQ(img->frames[0].colours().size(), 4u);
    EXPECT_EQ(img->frames[1].clipWidth, 0);
    EXPECT_TRUE(img->frames[1].colours().empty());

    GifPlayer p(img);
    p.setCurrentFrame(2);  // drawing a clipped-away frame touches nothing
    EXPECT_EQ(at(p, 4, 3), kRed);

    // Just beside the right edge: rows on the screen but no column.
    FrameSpec beside = solid(5, 0, 3, 3, 2);
    beside.disposal = 3;
    auto img2 = decodeOk(buildGif(5, 4, kPal, {solid(0, 0, 5, 4, 1), beside, solid(0, 0, 1, 1, 3)}, 0));
    ASSERT_TRUE(img2);
    EXPECT_EQ(img2->frames[1].clipHeight, 0);
    GifPlayer q(img2);
    q.setAnimate(true);
    EXPECT_EQ(q.elapse(1000), 10);
    EXPECT_EQ(at(q, 4, 0), kRed);
}

TEST(GifDecode, ZeroSizedScreenTakesTheFirstImage) {
    auto img = decodeOk(buildGif(0, 0, kPal, {solid(1, 1, 3, 2, 1)}));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 4);
    EXPECT_EQ(img->height, 3);
}

TEST(GifDecode, RefusesOversizedScreensAndOutOfRangeCodes) {
    auto huge = decode(buildGif(65535, 65535, kPal, {solid(0, 0, 1, 1, 1)}));
    ASSERT_FALSE(huge.ok());
    EXPECT_NE(huge.error().message.find("too large"), std::string::npos);

    // Code 7 right after the clear code: the table holds only 0..5.
    std::string bad =
        "GIF89a\x02\x00\x01\x00\x81\x00\x00"s + test::palette(kPal) + "\x2C\0\0\0\0\x02\0\x01\0\0"s;
    test::CodeWriter w;
    w.put(4, 3);
    w.put(7, 3);
    w.put(5, 3);
    bad += '\x02' + test::subBlocks(w.finish()) + ";";
    auto r = decode(bad);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().message, kGifDamaged);

    EXPECT_FALSE(decode("GIF89a").ok());
    EXPECT_FALSE(decode("PNG\x89 not a gif at all").ok());
    EXPECT_FALSE(decode(buildGif(2, 2, kPal, {})).ok());  // no image
}

TEST(GifDecode, EveryTruncationEitherFailsOrKeepsWholeFrames) {
    FrameSpec a = solid(0, 0, 8, 8, 1);
    a.indices = noise(64, 4, 3);
    FrameSpec b = solid(2, 2, 4, 4, 2);
    std::string full = buildGif(8, 8, kPal, {a, b}, 0);
    auto whole = decodeOk(full);
    ASSERT_TRUE(whole);
    for (size_t n = 0; n < full.size(); ++n) {
        auto r = decode(full.substr(0, n));
        if (!r.ok()) continue;
        // Cut between blocks (no trailer): the frames present are complete ones.
        ASSERT_GE(r->frames.size(), 1u) << n;
        for (size_t i = 0; i < r->frames.size(); ++i)
            EXPECT_EQ(r->frames[i].colours(), whole->frames[i].colours()) << "cut at " << n;
    }
    // Cut inside the first image's data: refused, not shown half-decoded.
    EXPECT_FALSE(decode(full.substr(0, full.size() / 3)).ok());
}

TEST(GifDecode, ShortCodeStreamLeavesTheRestTransparent) {
    // The end code comes after 2 of 4 pixels.
    std::string s =
        "GIF89a\x02\x00\x02\x00\x81\x00\x00"s + test::palette(kPal) + "\x2C\0\0\0\0\x02\0\x02\0\0"s;
    test::CodeWriter w;
    w.put(4, 3);
    w.put(1, 3);
    w.put(2, 3);
    w.put(5, 3);
    s += '\x02' + test::subBlocks(w.finish()) + ";";
    auto img = decodeOk(s);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->frames[0].colours(), (std::vector<Argb>{kRed, kGreen, 0u, 0u}));
    EXPECT_TRUE(img->anyTransparent);
}

TEST(GifDecode, KeepsAtMost256FramesAndHonoursThePixelBudget) {
    std::vector<FrameSpec> frames(300, solid(0, 0, 2, 2, 1));
    auto img = decodeOk(buildGif(2, 2, kPal, frames));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->frames.size(), 256u);

    GifLimits small;
    small.maxTotalPixels = 10;  // room for two frames of four pixels
    auto r = decode(buildGif(2, 2, kPal, frames), small);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r->frames.size(), 2u);
}

TEST(GifDecode, ReadsLoopCountDelaysAndComments) {
    FrameSpec a = solid(0, 0, 1, 1, 1);
    a.delayCs = 7;
    a.disposal = 6;  // undefined values count as "restore to background"
    std::string s = buildGif(1, 1, kPal, {a}, 3);
    s.insert(s.size() - 1, "\x21\xFE\x03old\0\x21\xFE\x02hi\x01!\0"s);
    auto img = decodeOk(s);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->loopCount, 3);
    EXPECT_EQ(img->frames[0].delayCs, 7);
    EXPECT_EQ(img->frames[0].disposal, 2);
    EXPECT_EQ(img->comments, "hi!");
}

TEST(GifDecode, LoadsFromFileAndRefusesNonRegularFiles) {
    arbel::test::TempDir tmp;
    auto path = tmp.writeFile("a.gif", buildGif(1, 1, kPal, {solid(0, 0, 1, 1, 2)}));
    auto ok = loadGif(path);
    ASSERT_TRUE(ok.ok());
    auto missing = loadGif(tmp / "none.gif");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, ENOENT);
    auto dir = loadGif(tmp.path());
    EXPECT_FALSE(dir.ok());
}

// ---- composition and playing ----

TEST(GifPlayer, DisposalMethodsOnTheCanvas) {
    // Frame 1 fills the screen red; frame 2 (a 2×2 blue square) is disposed of by
    // its method before frame 3 (one green pixel elsewhere) is drawn.
    for (int disposal : {1, 2, 3}) {
        FrameSpec base = solid(0, 0, 4, 4, 1);
        FrameSpec square = solid(1, 1, 2, 2, 3);
        square.disposal = disposal;
        FrameSpec dot = solid(0, 0, 1, 1, 2);
        auto img = decodeOk(buildGif(4, 4, kPal, {base, square, dot}));
        ASSERT_TRUE(img);
        GifPlayer p(img);
        p.setLoop(true);
        p.setAnimate(true);
        ASSERT_TRUE(p.advance());
        EXPECT_EQ(at(p, 1, 1), kBlue);
        ASSERT_TRUE(p.advance());
        EXPECT_EQ(at(p, 0, 0), kGreen);
        Argb expected = disposal == 1 ? kBlue : disposal == 2 ? kBlack : kRed;
        EXPECT_EQ(at(p, 1, 1), expected) << "disposal " << disposal;
        EXPECT_EQ(at(p, 3, 3), kRed);
    }
}

TEST(GifPlayer, TransparentPixelsShowWhatLiesBelowAndBackgroundIsClear) {
    FrameSpec base = solid(0, 0, 2, 1, 1);
    base.disposal = 1;
    FrameSpec over = solid(0, 0, 2, 1, 0);
    over.indices = {0, 3};
    over.transparent = 0;
    over.disposal = 2;
    FrameSpec last = solid(1, 0, 1, 1, 2);
    auto img = decodeOk(buildGif(2, 1, kPal, {base, over, last}));
    ASSERT_TRUE(img);
    GifPlayer p(img);
    p.setAnimate(true);
    p.advance();
    EXPECT_EQ(at(p, 0, 0), kRed);  // seen through the transparent pixel
    EXPECT_EQ(at(p, 1, 0), kBlue);
    p.advance();
    // Disposal 2 of a picture with transparency clears to transparent, not black.
    EXPECT_EQ(at(p, 0, 0), 0u);
    EXPECT_EQ(at(p, 1, 0), kGreen);
}

TEST(GifPlayer, IntervalsFollowSpeedAndShortDelaysPlayAtTheUsualRate) {
    FrameSpec a = solid(0, 0, 1, 1, 1), b = solid(0, 0, 1, 1, 2), c = solid(0, 0, 1, 1, 3);
    a.delayCs = 10;
    b.delayCs = 0;
    c.delayCs = 1;
    GifPlayer p(decodeOk(buildGif(1, 1, kPal, {a, b, c})));
    p.setSpeed(50);
    EXPECT_EQ(p.intervalMs(), 200);
    p.setSpeed(100);
    EXPECT_EQ(p.intervalMs(), 100);
    p.setCurrentFrame(2);
    EXPECT_EQ(p.intervalMs(), GifPlayer::kShortDelayMs);
    p.setCurrentFrame(3);
    EXPECT_EQ(p.intervalMs(), GifPlayer::kShortDelayMs);
    p.setSpeed(0);
    EXPECT_EQ(p.speed(), 1);
    EXPECT_EQ(p.intervalMs(), 10000);
    p.setSpeed(100000);
    EXPECT_EQ(p.intervalMs(), 1);
}

TEST(GifPlayer, ClockPlaysFramesForTheirDelays) {
    FrameSpec a = solid(0, 0, 1, 1, 1), b = solid(0, 0, 1, 1, 2);
    a.delayCs = 10;
    b.delayCs = 30;
    GifPlayer p(decodeOk(buildGif(1, 1, kPal, {a, b})));
    p.setLoop(true);
    p.setSpeed(50);
    p.setAnimate(true);
    EXPECT_EQ(p.elapse(199), 0);
    EXPECT_EQ(p.currentFrame(), 1);
    EXPECT_EQ(p.elapse(1), 1);
    EXPECT_EQ(p.currentFrame(), 2);
    EXPECT_EQ(at(p, 0, 0), kGreen);
    EXPECT_EQ(p.elapse(599), 0);
    EXPECT_EQ(p.elapse(1), 1);
    EXPECT_EQ(p.currentFrame(), 1);
    EXPECT_EQ(p.elapse(10 * 800), 20);  // ten whole cycles
}

TEST(GifPlayer, LoopCountStopsPlayingUnlessLoopIsSet) {
    auto img = decodeOk(buildGif(1, 1, kPal, {solid(0, 0, 1, 1, 1), solid(0, 0, 1, 1, 2)}, 2));
    GifPlayer p(img);
    p.setAnimate(true);
    EXPECT_EQ(p.elapse(100000), 3);  // two passes over two frames
    EXPECT_FALSE(p.playing());
    EXPECT_EQ(p.currentFrame(), 2);  // the last frame stays shown
    p.setLoop(true);                 // resumes from the start
    EXPECT_TRUE(p.playing());
    EXPECT_EQ(p.currentFrame(), 1);
    EXPECT_EQ(p.elapse(100000), 1000);

    // Without the extension the file plays once; a count of 0 plays for ever.
    GifPlayer once(decodeOk(buildGif(1, 1, kPal, {solid(0, 0, 1, 1, 1), solid(0, 0, 1, 1, 2)})));
    once.setAnimate(true);
    EXPECT_EQ(once.elapse(100000), 1);
    GifPlayer ever(decodeOk(buildGif(1, 1, kPal, {solid(0, 0, 1, 1, 1), solid(0, 0, 1, 1, 2)}, 0)));
    ever.setAnimate(true);
    EXPECT_EQ(ever.elapse(100000), 1000);
}

TEST(GifPlayer, StoppingRewindsToACleanFirstFrameAndOneFrameNeverPlays) {
    FrameSpec a = solid(0, 0, 2, 1, 1);
    a.indices = {1, 0};
    a.transparent = 0;
    FrameSpec b = solid(0, 0, 2, 1, 3);
    b.disposal = 1;
    GifPlayer p(decodeOk(buildGif(2, 1, kPal, {a, b}, 0)));
    p.setAnimate(true);
    p.advance();
    EXPECT_EQ(at(p, 1, 0), kBlue);
    p.setAnimate(false);
    EXPECT_EQ(p.currentFrame(), 1);
    EXPECT_EQ(at(p, 0, 0), kRed);
    EXPECT_EQ(at(p, 1, 0), 0u);
    EXPECT_EQ(p.elapse(100000), 0);

    GifPlayer single(decodeOk(buildGif(1, 1, kPal, {solid(0, 0, 1, 1, 1)}, 0)));
    single.setAnimate(true);
    EXPECT_FALSE(single.playing());
    EXPECT_FALSE(single.setCurrentFrame(2));
}

}  // namespace
}  // namespace arbel::viewer
