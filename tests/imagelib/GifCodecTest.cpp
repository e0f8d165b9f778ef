#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "imagelib/codecs/GifLzw.h"
#include "imagelib/codecs/PixImageGIF.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

// A GIF file put together block by block.
struct GifFile {
    Bytes b;
    int tint = 0; // added to the blue of the tables that follow
    GifFile(uint32_t w, uint32_t h, int globalColours) {
        b = {'G', 'I', 'F', '8', '9', 'a'};
        PutLE(b, w, 2);
        PutLE(b, h, 2);
        b.push_back(globalColours ? static_cast<BYTE>(0x80 | TableBits(globalColours)) : 0);
        b.push_back(0);
        b.push_back(0);
        Table(globalColours);
    }
    static int TableBits(int colours) {
        int bits = 0;
        while ((2 << bits) < colours)
            ++bits;
        return bits;
    }
    // Entry i is (i, 2i, 3i + tint).
    void Table(int colours) {
        for (int i = 0; i < colours; ++i)
            b.insert(b.end(),
                     {static_cast<BYTE>(i), static_cast<BYTE>(2 * i), static_cast<BYTE>(3 * i + tint)});
    }
    GifFile& Tint(int t) {
        tint = t;
        return *this;
    }
    GifFile& Control(int disposal, int trans, int delay = 0) {
        b.insert(b.end(), {0x21, 0xF9, 4, static_cast<BYTE>((disposal << 2) | (trans >= 0 ? 1 : 0)),
                           static_cast<BYTE>(delay), static_cast<BYTE>(delay >> 8),
                           static_cast<BYTE>(trans >= 0 ? trans : 0), 0});
        return *this;
    }
    // Pixels in stored order; codes written without string matching.
    GifFile& Image(uint32_t left, uint32_t top, uint32_t w, uint32_t h, const Bytes& px, int localColours = 0,
                   bool interlaced = false, int minCode = 8) {
        b.push_back(',');
        for (uint32_t v : {left, top, w, h})
            PutLE(b, v, 2);
        b.push_back(static_cast<BYTE>((localColours ? 0x80 | TableBits(localColours) : 0) | (interlaced ? 0x40 : 0)));
        Table(localColours);
        CGifLzw::Encode(px.data(), px.size(), minCode, CGifLzw::kUncompressed, b);
        return *this;
    }
    // An image at the origin without a local table, its code stream given.
    GifFile& Stream(uint32_t w, uint32_t h, const Bytes& codes) {
        b.push_back(',');
        for (uint32_t v : {0u, 0u, w, h})
            PutLE(b, v, 2);
        b.push_back(0);
        return Raw(codes);
    }
    GifFile& Raw(const Bytes& bytes) {
        b.insert(b.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Bytes Done() {
        b.push_back(';');
        return b;
    }
};

// Indices 0, 1, 2, ... wrapping at 256.
Bytes Ramp(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<BYTE>(i);
    return b;
}

// A code stream of the given minimum code size: one clear, every pixel as its own code at the
// width a reader's growing table asks for, and the end code. No other clear: once the table holds
// 4096 entries it stays full and the codes stay 12 bits wide.
Bytes OwnCodes(int minSize, const Bytes& px) {
    Bytes data;
    uint32_t acc = 0;
    int held = 0;
    auto put = [&](int code, int bits) {
        acc |= static_cast<uint32_t>(code) << held;
        for (held += bits; held >= 8; held -= 8, acc >>= 8)
            data.push_back(static_cast<BYTE>(acc));
    };
    const int clear = 1 << minSize;
    int bits = minSize + 1, next = clear + 2;
    put(clear, bits);
    for (size_t i = 0; i < px.size(); ++i) {
        put(px[i], bits);
        if (i > 0 && next < 4096 && ++next == (1 << bits) && bits < 12) ++bits;
    }
    put(clear + 1, bits);
    if (held > 0) data.push_back(static_cast<BYTE>(acc));
    Bytes out{static_cast<BYTE>(minSize)};
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        out.push_back(static_cast<BYTE>(n));
        out.insert(out.end(), data.begin() + static_cast<long>(i), data.begin() + static_cast<long>(i + n));
    }
    out.push_back(0);
    return out;
}

// Whether the file holds the bytes anywhere.
bool Holds(const Bytes& file, const Bytes& part) {
    return std::search(file.begin(), file.end(), part.begin(), part.end()) != file.end();
}

// Decodes a frame; the picture's top-row-first indices.
bool DecodeFrame(CPixImageGIF& img, const Bytes& file, long frame) {
    img.SetFrame(frame);
    return DecodeBytes(img, file);
}

BYTE Top(CPixImage& img, long x, long yFromTop) {
    return img.GetPixelIndex(x, static_cast<long>(img.GetHeight()) - 1 - yFromTop);
}

// Every frame of the file decoded on its own against ImageMagick's composed frames: transparent
// where those are, else the same colour. The count of pixels that differ.
int DifferencesFromMagick(const Bytes& file) {
    TempDir dir;
    const std::string path = dir.File("in.gif");
    WriteFileBytes(path, std::string(file.begin(), file.end()));
    const CommandResult r =
        RunCommand(MAGICK_CONVERT " " + ShellQuote(path) + " -coalesce -append -depth 8 rgba:-");
    CPixImageGIF first;
    if (r.status != 0 || !DecodeBytes(first, file)) return -1;
    const long frames = first.GetNumFrames(), w = first.GetWidth(), h = first.GetHeight();
    if (r.out.size() != static_cast<size_t>(frames * w * h * 4)) return -1;
    int wrong = 0;
    for (long k = 0; k < frames; ++k) {
        CPixImageGIF img;
        if (!DecodeFrame(img, file, k)) return -1;
        for (long y = 0; y < h; ++y)
            for (long x = 0; x < w; ++x) {
                const auto* m = reinterpret_cast<const BYTE*>(r.out.data()) + ((k * h + y) * w + x) * 4;
                const bool clear = img.IsTransparent(x, h - 1 - y);
                wrong += m[3] == 0 ? !clear : clear || Shown(img, x, y) != RGB(m[0], m[1], m[2]);
            }
    }
    return wrong;
}

} // namespace

TEST(GifCodecTest, InterlacedRowsLandInPlaceForEveryHeight) {
    for (uint32_t h : {1u, 2u, 3u, 4u, 5u, 9u, 17u}) {
        std::vector<uint32_t> order;
        for (uint32_t pass = 0, starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2}; pass < 4; ++pass)
            for (uint32_t y = starts[pass]; y < h; y += steps[pass])
                order.push_back(y);
        Bytes px;
        for (uint32_t row : order)
            px.insert(px.end(), {static_cast<BYTE>(row), static_cast<BYTE>(row)});
        px.resize(px.size() + 40, 7); // surplus data past the picture
        CPixImageGIF img;
        ASSERT_TRUE(DecodeBytes(img, GifFile(2, h, 256).Image(0, 0, 2, h, px, 0, true).Done())) << h;
        for (uint32_t y = 0; y < h; ++y)
            EXPECT_EQ(Top(img, 1, static_cast<long>(y)), y) << "height " << h;
    }
}

TEST(GifCodecTest, FramesAreCountedSelectedAndComposedByDisposal) {
    for (int disposal : {1, 2}) {
        const Bytes file = GifFile(4, 1, 4)
                               .Control(disposal, 3, 20)
                               .Image(0, 0, 4, 1, {0, 0, 0, 0}, 0, false, 2)
                               .Control(0, -1, 0x107)
                               .Image(1, 0, 1, 1, {1}, 0, false, 2)
                               .Image(2, 0, 1, 1, {2}, 0, false, 2)
                               .Done();
        CPixImageGIF img;
        ASSERT_TRUE(DecodeFrame(img, file, 1));
        EXPECT_EQ(img.GetNumFrames(), 3);
        const BYTE rest = disposal == 2 ? 3 : 0;
        EXPECT_EQ(Top(img, 0, 0), rest);
        EXPECT_EQ(Top(img, 1, 0), 1);
        EXPECT_EQ(img.GetTransIndex(), 3);
        EXPECT_EQ(img.GetFrameDelay(), 0x107u) << "the frame's own delay";
        CPixImageGIF third;
        ASSERT_TRUE(DecodeFrame(third, file, 2));
        EXPECT_EQ(Top(third, 2, 0), 2);
        EXPECT_EQ(Top(third, 1, 0), 1);
        CPixImageGIF none;
        EXPECT_FALSE(DecodeFrame(none, file, 3));
    }
}

TEST(GifCodecTest, EveryCodeStreamKindRoundTrips) {
    std::mt19937 rng(7);
    for (DWORD bpp : {1u, 4u, 8u}) {
        CPixImageGIF src;
        ASSERT_TRUE(src.Create(300, 120, bpp, PIXFORMAT_GIF));
        for (DWORD i = 0; i < src.GetNumColors(); ++i)
            src.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 9);
        // Runs of every length, some of thousands of pixels, then noise.
        long x = 0, y = 0;
        while (y < 100) {
            const int run = static_cast<int>(rng() % (rng() % 4 ? 40 : 5000)) + 1;
            const BYTE v = static_cast<BYTE>(rng() % src.GetNumColors());
            for (int i = 0; i < run && y < 100; ++i) {
                src.SetPixelIndex(x, y, v);
                if (++x == 300) x = 0, ++y;
            }
        }
        for (; y < 120; ++y)
            for (x = 0; x < 300; ++x)
                src.SetPixelIndex(x, y, static_cast<BYTE>(rng() % src.GetNumColors()));
        for (DWORD mode : {0u, 1u, 2u}) {
            src.SetCodecOption(mode, PIXFORMAT_GIF);
            CPixImageGIF back;
            ASSERT_TRUE(DecodeBytes(back, EncodeBytes(src))) << bpp << "/" << mode;
            ASSERT_EQ(back.GetBpp(), bpp);
            ForEachPixel(src, [&](long px, long py) {
                ASSERT_EQ(back.GetPixelIndex(px, py), src.GetPixelIndex(px, py)) << bpp << "/" << mode;
            });
        }
    }
}

TEST(GifCodecTest, TheCompressingCodeStreamsShrinkOneColour) {
    CPixImageGIF img;
    ASSERT_TRUE(img.Create(300, 120, 8, PIXFORMAT_GIF));
    size_t sizes[3];
    for (DWORD mode : {0u, 1u, 2u}) {
        img.SetCodecOption(mode, PIXFORMAT_GIF);
        sizes[mode] = EncodeBytes(img).size();
    }
    EXPECT_LT(sizes[0] * 20, sizes[1]);
    EXPECT_LT(sizes[2] * 4, sizes[1]);

    // Greedy LZW finds "0 0" again after its entry was placed past a taken slot: 11 codes of 9 bits.
    const Bytes px = {16, 1, 0, 0, 117, 155, 5, 156, 0, 0};
    Bytes lzw;
    CGifLzw::Encode(px.data(), px.size(), 8, CGifLzw::kLzw, lzw);
    EXPECT_EQ(lzw.size(), 1u + 1 + 13 + 1);
}

TEST(GifCodecTest, TrueColourPicturesAreWrittenAsTilesAndReadBackWhole) {
    // Pictures one tile wide or high have a first tile as wide or as high as the screen.
    const struct {
        DWORD w, h;
        long tiles;
    } sizes[] = {{40, 20, 6}, {10, 40, 3}, {40, 10, 3}, {20, 10, 2}};
    for (const auto& size : sizes) {
        CPixImageGIF src;
        ASSERT_TRUE(src.Create(size.w, size.h, 24, PIXFORMAT_GIF));
        ForEachPixel(src, [&](long x, long y) { src.SetPixelColor(x, y, RGB(x * 6, y * 12, x * y)); });
        src.SetFrameDelay(50);
        const Bytes file = EncodeBytes(src);
        CPixImageGIF back;
        ASSERT_TRUE(DecodeBytes(back, file));
        ASSERT_EQ(back.GetBpp(), 24) << size.w << "x" << size.h;
        // Every pixel of a tile has its own colour: tiles larger than 17 x 15 would run out of entries.
        EXPECT_EQ(MaxDifference(src, back), 0) << size.w << "x" << size.h;
        EXPECT_EQ(back.GetNumFrames(), size.tiles);
        EXPECT_EQ(back.GetFrameDelay(), 0u) << "tiles show at once";
    }
}

TEST(GifCodecTest, AnimationsCarryLoopsCommentsAndOffsets) {
    CPixImage a(4, 3, 8), b(2, 2, 8);
    ForEachPixel(a, [&](long x, long y) { a.SetPixelIndex(x, y, 3); });
    ForEachPixel(b, [&](long x, long y) { b.SetPixelIndex(x, y, 7); });
    b.SetPixelIndex(1, 0, 5);
    b.SetPaletteColor(7, RGB(1, 2, 3)); // only in the second frame's own table
    b.SetOffset(1, 1);
    b.SetTransIndex(5);
    CPixImage* frames[] = {&a, &b};
    const struct {
        int loops;
        int written; // -1: no looping block
    } cases[] = {{0, 0}, {3, 2}, {1, -1}};
    for (const auto& c : cases) {
        CPixImageGIF gif;
        gif.SetLoops(c.loops);
        gif.SetDisposalMethod(2);
        gif.SetComment(std::string(300, 'c').c_str());
        CPixMemFile mem;
        mem.Open();
        ASSERT_TRUE(gif.Encode(&mem, frames, 2, true));
        const Bytes file(mem.GetBuffer(false), mem.GetBuffer(false) + mem.Size());
        EXPECT_EQ(Holds(file, {0x21, 0xFF}), c.written >= 0);
        EXPECT_EQ(file[10], 0xE7) << "global table of 256 entries";
        CPixImageGIF back;
        ASSERT_TRUE(DecodeFrame(back, file, 1));
        EXPECT_EQ(back.GetLoops(), c.written < 0 ? 0 : c.written);
        char comment[256] = "";
        back.GetComment(comment);
        EXPECT_EQ(std::string(comment), std::string(255, 'c'));
        back.GetComment(nullptr);
        // Disposal 2 clears the first frame (no transparent index there: to 0); the second lands at its offset, its index 5 unseen.
        EXPECT_EQ(Top(back, 0, 0), 0);
        EXPECT_EQ(Top(back, 2, 1), 7);
        EXPECT_EQ(Top(back, 2, 2), 0);
        EXPECT_EQ(Rgb(back, 1, 0), RGB(1, 2, 3));
    }

    // A single picture is written at the origin whatever its offset, without a looping block.
    CPixImageGIF single;
    ASSERT_TRUE(single.Create(3, 3, 4, PIXFORMAT_GIF));
    single.SetOffset(5, 6);
    const Bytes one = EncodeBytes(single);
    CPixImageGIF oneBack;
    EXPECT_TRUE(DecodeBytes(oneBack, one));
    EXPECT_FALSE(Holds(one, {0x21, 0xFF}));

    CPixImageGIF alone;
    CPixMemFile page;
    page.Open();
    EXPECT_TRUE(alone.Encode(&page, frames, 1)) << "one frame is an animation too";

    CPixImage deep(2, 2, 24);
    CPixImage* refused[] = {&a, &deep};
    CPixImageGIF gif;
    CPixMemFile mem;
    mem.Open();
    EXPECT_FALSE(gif.Encode(&mem, refused, 2));
    EXPECT_FALSE(gif.Encode(&mem, nullptr, 2));
    EXPECT_STREQ(gif.GetLastError(), "multipage GIF, no images!");
    EXPECT_FALSE(gif.Encode(static_cast<CPixFile*>(nullptr), frames, 2));
    EXPECT_STREQ(gif.GetLastError(), "invalid file pointer");
}

TEST(GifCodecTest, HostileFilesEndSafely) {
    const Bytes commaTable(12, ','); // a local table of four entries made of introducers
    Bytes pixel = GifFile(1, 1, 0).Image(0, 0, 1, 1, {1}, 0, false, 2).b; // one image of index 1
    pixel.erase(pixel.begin(), pixel.begin() + 13);
    const struct {
        const char* name;
        Bytes file;
        int frames; // -1: the decode fails
    } cases[] = {
        {"only a header", GifFile(2, 2, 2).b, -1},
        {"stray bytes, no end", GifFile(2, 2, 2).Raw({0x55, 0x2C, 0x2C, 1}).b, -1},
        {"off-screen image made of introducers",
         GifFile(2, 2, 2)
             .Raw({',', 5, 0, 0, 0, 2, 0, 2, 0, 0x81})
             .Raw(commaTable)
             .Raw({2, 3, ',', ',', ',', 0})
             .Image(0, 0, 2, 2, {1, 1, 1, 1}, 0, false, 2)
             .Done(),
         1},
        {"zero-size frame",
         GifFile(2, 2, 2)
             .Image(0, 0, 0, 2, {}, 0, false, 2)
             .Image(0, 0, 2, 2, {1, 1, 1, 1}, 0, false, 2)
             .Done(),
         1},
        {"empty sub-block ends the codes",
         GifFile(2, 2, 2)
             .Raw({',', 0, 0, 0, 0, 2, 0, 2, 0, 0, 2, 0})
             .Image(0, 0, 2, 2, {1, 1, 1, 1}, 0, false, 2)
             .Done(),
         2},
        {"code above the table",
         GifFile(2, 1, 2).Raw({',', 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0xCC, 0x01, 0}).Done(), 1},
        {"long application block",
         GifFile(1, 1, 2)
             .Raw({0x21, 0xFF, 11})
             .Raw(Bytes(11, 'x'))
             .Raw({255})
             .Raw(Bytes(255, 1))
             .Raw({0})
             .Image(0, 0, 1, 1, {1}, 0, false, 2)
             .Done(),
         1},
        {"other application block",
         GifFile(1, 1, 2)
             .Raw({0x21, 0xFF, 11})
             .Raw(Bytes(11, 'x'))
             .Raw({3, 1, 9, 0, 0})
             .Image(0, 0, 1, 1, {1}, 0, false, 2)
             .Done(),
         1},
        {"plain text extension of several sub-blocks",
         GifFile(1, 1, 2)
             .Raw({0x21, 0x01, 3, ',', ',', ',', 1, ',', 2, ',', ';', 0})
             .Image(0, 0, 1, 1, {1}, 0, false, 2)
             .Done(),
         1},
        {"broken extension",
         GifFile(1, 1, 2).Image(0, 0, 1, 1, {1}, 0, false, 2).Raw({0x21, 0xF9, 9, 1, 2}).b, 1},
        {"control block of the wrong size ends the frames",
         GifFile(1, 1, 2)
             .Image(0, 0, 1, 1, {1}, 0, false, 2)
             .Raw({0x21, 0xF9, 5, 0, 0, 0, 0, 0, 0})
             .Raw(pixel)
             .Done(),
         1},
        {"application name of the wrong size",
         GifFile(1, 1, 2).Raw({0x21, 0xFF, 10}).Raw(Bytes(11, 'x')).Raw({0}).Raw(pixel).Done(), -1},
        {"empty comment", GifFile(1, 1, 2).Raw({0x21, 0xFE, 0}).Raw(pixel).Done(), 1},
        {"empty control block", GifFile(1, 1, 2).Raw({0x21, 0xF9, 0}).Raw(pixel).Done(), 1},
        {"empty plain text block", GifFile(1, 1, 2).Raw({0x21, 0x01, 0}).Raw(pixel).Done(), 1},
        {"empty block labelled 0", GifFile(1, 1, 2).Raw({0x21, 0, 0}).Raw(pixel).Done(), 1},
        {"application block without data",
         GifFile(1, 1, 2).Raw({0x21, 0xFF, 11}).Raw(Bytes(11, 'x')).Raw({0}).Raw(pixel).Done(), 1},
        {"widest screen", GifFile(30000, 1, 2).Raw(pixel).Done(), 1},
        {"screen too wide", GifFile(30001, 1, 2).Raw(pixel).Done(), -1},
        {"screen too high", GifFile(1, 30001, 2).Raw(pixel).Done(), -1},
        {"screen of gigabytes",
         [] {
             GifFile g(30000, 30000, 2);
             g.b.resize(100, 0);
             return g.b;
         }(),
         -1},
    };
    for (const auto& c : cases) {
        CPixImageGIF img;
        const bool ok = DecodeBytes(img, c.file);
        EXPECT_EQ(ok, c.frames > 0) << c.name;
        if (ok) {
            EXPECT_EQ(img.GetNumFrames(), c.frames) << c.name;
            EXPECT_EQ(Top(img, 0, 0), c.frames == 2 ? 0 : 1) << c.name;
            EXPECT_EQ(img.GetLoops(), 0) << c.name << ": only a looping block counts loops";
        }
    }
    // Codes 1, 2, 3 and a 4-bit 1 without a leading clear: the table starts empty (2 and 3 are
    // pixels) and fills entries 6 and 7, so the code size grows only for the last code.
    CPixImageGIF noClear;
    ASSERT_TRUE(DecodeBytes(noClear, GifFile(4, 1, 4).Raw({',', 0, 0, 0, 0, 4, 0, 1, 0, 0, 2, 2, 0xD1, 0x02, 0}).Done()));
    EXPECT_EQ(Top(noClear, 2, 0), 3);
    EXPECT_EQ(Top(noClear, 3, 0), 1);
}

TEST(GifCodecTest, AFrameDeeperThanTheCanvasRaisesItsDepth) {
    const Bytes file = GifFile(2, 2, 2).Image(0, 0, 2, 2, {1, 0, 0, 1}, 0, false, 2).Image(0, 0, 2, 1, {200, 201}, 256).Done();
    CPixImageGIF img;
    ASSERT_TRUE(DecodeFrame(img, file, 1));
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_EQ(Top(img, 0, 0), 200);
    EXPECT_EQ(Top(img, 1, 0), 201);
    EXPECT_EQ(Top(img, 1, 1), 1);
    EXPECT_EQ(Rgb(img, 1, 1), RGB(201, 146, 91)) << "the last frame's table";
}

TEST(GifCodecTest, OnlySeveralTilesMakeATrueColourPictureAndDecodingCanBeCancelled) {
    // No global table, one frame smaller than the screen: still a palette picture.
    const Bytes single = GifFile(4, 4, 0).Image(1, 1, 2, 2, {1, 2, 3, 4}, 16).Done();
    CPixImageGIF img;
    ASSERT_TRUE(DecodeBytes(img, single));
    EXPECT_EQ(img.GetBpp(), 4);
    EXPECT_EQ(Top(img, 2, 2), 4);

    // Several frames, the first covering the screen: a palette picture as well.
    CPixImageGIF covered;
    ASSERT_TRUE(DecodeBytes(covered, GifFile(2, 1, 0).Image(0, 0, 2, 1, {1, 2}, 4).Image(1, 0, 1, 1, {3}, 4).Done()));
    EXPECT_EQ(covered.GetBpp(), 4);
    EXPECT_EQ(covered.GetNumFrames(), 2);

    for (const Bytes& file : {single, GifFile(1, 1, 2).Control(0, -1).Done()}) {
        CPixImageGIF cancelled;
        cancelled.SetEscape(1);
        EXPECT_FALSE(DecodeBytes(cancelled, file));
        EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
    }
}

TEST(GifCodecTest, FramesKeepTheirOwnTablesAndDisposeOfTheirAreaAsImageMagickShowsThem) {
    // Our animation with a table in every frame after the first: three palettes, one per frame.
    CPixImage a(40, 30, 8), b(20, 10, 8), c(10, 10, 4);
    for (int i = 0; i < 256; ++i) {
        a.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                          static_cast<BYTE>(7 * i));
        b.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(3 * i), static_cast<BYTE>(i),
                          static_cast<BYTE>(200 - i));
        c.SetPaletteColor(static_cast<BYTE>(i & 15), static_cast<BYTE>(90 + i), 40,
                          static_cast<BYTE>(i * 11));
    }
    ForEachPixel(a, [&](long x, long y) { a.SetPixelIndex(x, y, static_cast<BYTE>((x + y) % 5)); });
    ForEachPixel(b, [&](long x, long y) { b.SetPixelIndex(x, y, static_cast<BYTE>((x * y) % 7)); });
    ForEachPixel(c, [&](long x, long y) { c.SetPixelIndex(x, y, static_cast<BYTE>((x + 2 * y) % 16)); });
    b.SetOffset(5, 5);
    c.SetOffset(25, 15);
    CPixImage* frames[] = {&a, &b, &c};
    CPixImageGIF gif;
    gif.SetDisposalMethod(1);
    CPixMemFile mem;
    mem.Open();
    ASSERT_TRUE(gif.Encode(&mem, frames, 3, true));
    const Bytes ours(mem.GetBuffer(false), mem.GetBuffer(false) + mem.Size());

    // Disposal 2 of a small frame over a first frame with a transparent index.
    const Bytes restore = GifFile(8, 6, 4)
                              .Control(0, 3)
                              .Image(0, 0, 8, 6, Bytes(48, 1), 0, false, 2)
                              .Control(2, -1)
                              .Image(2, 1, 3, 2, Bytes(6, 2), 0, false, 2)
                              .Control(0, -1)
                              .Image(5, 3, 2, 2, {0, 3, 0, 0}, 0, false, 2)
                              .Done();

    // More colours than one palette holds: 255 of the first frame (index 0 transparent) stay
    // around 64 of another table; the area goes back to transparent and the last frame covers
    // part of it.
    const Bytes many = Ramp(32 * 16), other = Ramp(64);
    const Bytes colours = GifFile(32, 16, 0)
                              .Control(1, 0)
                              .Image(0, 0, 32, 16, many, 256)
                              .Tint(50)
                              .Control(2, -1)
                              .Image(4, 4, 8, 8, other, 256)
                              .Tint(90)
                              .Control(1, -1)
                              .Image(10, 10, 4, 2, Bytes(8, 9), 256)
                              .Done();
    // A colour moved to an entry the new table does not use keeps the picture in a palette.
    const Bytes moved = GifFile(2, 1, 4)
                            .Image(0, 0, 2, 1, {1, 1}, 0, false, 2)
                            .Tint(50)
                            .Image(1, 0, 1, 1, {2}, 4, false, 2)
                            .Done();
    CPixImageGIF palette;
    ASSERT_TRUE(DecodeFrame(palette, moved, 1));
    EXPECT_EQ(palette.GetBpp(), 4u);
    EXPECT_EQ(Shown(palette, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(Shown(palette, 1, 0), RGB(2, 4, 56));

    CPixImageGIF second, third, mixed;
    ASSERT_TRUE(DecodeFrame(second, ours, 1));
    EXPECT_EQ(Shown(second, 0, 0), RGB(4, 251, 28)) << "the first frame in its own colours";
    EXPECT_EQ(Shown(second, 6, 6), RGB(3, 1, 199));
    ASSERT_TRUE(DecodeFrame(third, restore, 2));
    EXPECT_EQ(Top(third, 1, 1), 1) << "beside the restored area";
    EXPECT_TRUE(third.IsTransparent(2, 4)) << "in it";
    EXPECT_FALSE(third.IsTransparent(6, 2)) << "an opaque pixel of the kept transparent index";
    EXPECT_EQ(Rgb(third, 6, 2), RGB(3, 6, 9));
    ASSERT_TRUE(DecodeFrame(mixed, colours, 1));
    EXPECT_EQ(mixed.GetBpp(), 24u);
    EXPECT_EQ(Shown(mixed, 4, 4), RGB(0, 0, 50));
    EXPECT_EQ(Shown(mixed, 3, 4), RGB(131, 6, 137)) << "index 131 of the first table";
    EXPECT_TRUE(mixed.IsTransparent(0, 15));
    CPixImageGIF last;
    ASSERT_TRUE(DecodeFrame(last, colours, 2));
    EXPECT_TRUE(last.IsTransparent(9, 5)) << "restored";
    EXPECT_FALSE(last.IsTransparent(10, 5)) << "painted again";
    EXPECT_EQ(Shown(last, 10, 10), RGB(9, 18, 117));

    REQUIRE_MAGICK();
    for (const auto& [name, file] : {std::pair{"ours", &ours}, {"restore", &restore}, {"colours", &colours}})
        EXPECT_EQ(DifferencesFromMagick(*file), 0) << name;
}

TEST(GifCodecTest, AColourIsOutOfSightOnlyWhereTheFrameCoversItsPixels) {
    // Below a top row of entry 0, a frame with its own table covers every pixel of entry 1: only
    // entry 1 may take the new colour; the top row keeps its own. Frames of two rows and of one
    // row lower down, so that each covered pixel must be found in its own row.
    const struct {
        uint32_t width, height, top;
    } cases[] = {{2, 3, 1}, {4, 3, 2}};
    for (const auto& c : cases) {
        Bytes first(static_cast<size_t>(c.width) * c.height, 1);
        std::fill_n(first.begin(), c.width, 0);
        const uint32_t covered = c.height - c.top;
        const Bytes file = GifFile(c.width, c.height, 4)
                               .Control(1, -1)
                               .Image(0, 0, c.width, c.height, first, 0, false, 2)
                               .Tint(50)
                               .Control(1, -1)
                               .Image(0, c.top, c.width, covered, Bytes(c.width * covered, 2), 4, false, 2)
                               .Done();
        CPixImageGIF img;
        ASSERT_TRUE(DecodeFrame(img, file, 1));
        for (long x = 0; x < static_cast<long>(c.width); ++x) {
            EXPECT_EQ(Shown(img, x, 0), RGB(0, 0, 0)) << c.top << " " << x;
            EXPECT_EQ(Shown(img, x, static_cast<long>(c.height) - 1), RGB(2, 4, 56)) << c.top << " " << x;
        }
    }
}

TEST(GifCodecTest, AFileWithoutAnImageOnItsScreenShowsTheScreenInItsBackgroundColour) {
    Bytes offScreen = GifFile(3, 2, 4).Image(2, 1, 2, 2, {1, 1, 1, 1}, 0, false, 2).Done();
    Bytes empty = GifFile(3, 2, 4).Image(0, 0, 0, 2, {}, 0, false, 2).Image(0, 0, 2, 0, {}, 0, false, 2).Done();
    for (Bytes* file : {&offScreen, &empty}) {
        (*file)[11] = 2; // the background index
        CPixImage img;
        ASSERT_TRUE(img.Decode(file->data(), static_cast<DWORD>(file->size()), PIXFORMAT_UNKNOWN))
            << img.GetLastError();
        EXPECT_EQ(img.GetType(), static_cast<DWORD>(PIXFORMAT_GIF));
        EXPECT_EQ(img.GetNumFrames(), 1);
        ASSERT_EQ(img.GetWidth(), 3u);
        ASSERT_EQ(img.GetHeight(), 2u);
        for (long y = 0; y < 2; ++y)
            for (long x = 0; x < 3; ++x)
                EXPECT_EQ(Rgb(img.GetPixelColor(x, y)), RGB(2, 4, 6)) << x << "," << y;
        img.SetFrame(1);
        EXPECT_FALSE(img.Decode(file->data(), static_cast<DWORD>(file->size()), PIXFORMAT_GIF));
    }
    // A background index past the table stands for entry 0.
    offScreen[11] = 4;
    CPixImage img;
    ASSERT_TRUE(img.Decode(offScreen.data(), static_cast<DWORD>(offScreen.size()), PIXFORMAT_GIF));
    EXPECT_EQ(img.GetPixelIndex(1, 1), 0);
}

TEST(GifCodecTest, CodeSizesOfTenAndElevenAreReadAndLargerOnesRefused) {
    // 100 x 100 pixels of 16 colours, each its own code: at size 11 the table is full after 2,046
    // codes and the rest of the stream goes on at 12 bits without another clear.
    Bytes px(100 * 100);
    for (size_t i = 0; i < px.size(); ++i)
        px[i] = static_cast<BYTE>((i * 7 + i / 100) % 16);
    for (int size : {10, 11}) {
        const Bytes file = GifFile(100, 100, 16).Stream(100, 100, OwnCodes(size, px)).Done();
        CPixImageGIF img;
        ASSERT_TRUE(DecodeBytes(img, file)) << size;
        int wrong = 0;
        for (size_t i = 0; i < px.size(); ++i)
            wrong += Top(img, static_cast<long>(i % 100), static_cast<long>(i / 100)) != px[i];
        EXPECT_EQ(wrong, 0) << size;
        if (ToolAvailable(MAGICK_CONVERT)) {
            EXPECT_EQ(DifferencesFromMagick(file), 0) << size;
        }
    }
    // Codes below the clear code but past every table's 256 entries stand for entry 0: the first
    // two codes (11 bits from bit 11 of the data on) become 261.
    Bytes stream = OwnCodes(10, {5, 5, 5});
    stream[4] |= 0x08;
    stream[5] |= 0x40;
    CPixImageGIF past;
    ASSERT_TRUE(DecodeBytes(past, GifFile(3, 1, 16).Stream(3, 1, stream).Done()));
    EXPECT_EQ(Top(past, 0, 0), 0);
    EXPECT_EQ(Top(past, 1, 0), 0);
    EXPECT_EQ(Top(past, 2, 0), 5);

    for (int size : {0, 1, 12, 255}) {
        CPixImageGIF img;
        const Bytes file = GifFile(2, 1, 4).Stream(2, 1, {static_cast<BYTE>(size), 2, 0xFF, 0xFF, 0}).Done();
        EXPECT_FALSE(DecodeBytes(img, file)) << size;
        EXPECT_STREQ(img.GetLastError(), "GIF code size out of range") << size;
    }
    // In an animation a frame of a wrong size fails only when asked for: walking past it to a
    // later frame steps over it, and it still counts.
    const Bytes animation =
        GifFile(2, 1, 4).Stream(2, 1, {12, 2, 0xFF, 0xFF, 0}).Image(0, 0, 2, 1, {1, 2}, 0, false, 2).Done();
    for (const long frame : {0L, 1L}) {
        CPixImageGIF img;
        ASSERT_EQ(DecodeFrame(img, animation, frame), frame == 1) << frame;
        EXPECT_EQ(img.GetNumFrames(), 2) << frame;
        if (frame == 0) EXPECT_STREQ(img.GetLastError(), "GIF code size out of range");
        else EXPECT_TRUE(Top(img, 0, 0) == 1 && Top(img, 1, 0) == 2);
    }
    // A file cut before the code size is cut data, not a wrong size.
    CPixImageGIF cut;
    DecodeBytes(cut, GifFile(2, 1, 4).Stream(2, 1, {}).b);
    EXPECT_STRNE(cut.GetLastError(), "GIF code size out of range");
}

namespace {

// Disposals 1, 2 and 3 in one file: frames 1 and 2 go back to what was under them, frame 3 to
// the background, which the last frame covers and, with trans >= 0, shows through its own
// transparent pixels. With trans >= 0 the first frame has holes of that index and the later
// frames pixels of it.
Bytes EveryDisposal(int trans) {
    Bytes first(48);
    for (size_t i = 0; i < first.size(); ++i)
        first[i] = static_cast<BYTE>(trans >= 0 && i % 5 == 0 ? trans : i % 3);
    const BYTE t = static_cast<BYTE>(trans >= 0 ? trans : 1);
    return GifFile(8, 6, 4)
        .Control(1, trans)
        .Image(0, 0, 8, 6, first, 0, false, 2)
        .Control(3, trans)
        .Image(1, 1, 3, 2, {3, t, 3, 3, 3, t}, 0, false, 2)
        .Control(3, trans)
        .Image(3, 2, 3, 2, {2, 3, t, 3, 2, 3}, 0, false, 2)
        .Control(2, trans)
        .Image(0, 0, 2, 2, {1, 1, 3, t}, 0, false, 2)
        .Control(1, trans)
        .Image(0, 0, 3, 2, {3, 0, t, 3, t, 0}, 0, false, 2)
        .Done();
}

} // namespace

TEST(GifCodecTest, DisposalThreeLeavesThePictureAsItWasBeforeTheFrame) {
    const Bytes plain = EveryDisposal(-1);
    CPixImageGIF before, after;
    ASSERT_TRUE(DecodeFrame(before, plain, 0));
    ASSERT_TRUE(DecodeFrame(after, plain, 2));
    EXPECT_EQ(Top(after, 1, 1), Top(before, 1, 1)) << "the second frame's area is back";
    EXPECT_EQ(Top(after, 3, 1), Top(before, 3, 1));
    EXPECT_EQ(Top(after, 3, 2), 2) << "the third frame drawn";

    // A frame with its own table hides every pixel of one colour its table changes and half of
    // another; both colours are back with their pixels and still in sight for the next frame.
    const Bytes hidden = GifFile(7, 1, 4)
                             .Control(1, -1)
                             .Image(0, 0, 7, 1, {1, 1, 2, 2, 2, 2, 0}, 0, false, 2)
                             .Tint(50)
                             .Control(3, -1)
                             .Image(0, 0, 4, 1, {3, 3, 3, 3}, 4, false, 2)
                             .Control(1, -1)
                             .Image(6, 0, 1, 1, {0}, 4, false, 2)
                             .Done();
    CPixImageGIF back;
    ASSERT_TRUE(DecodeFrame(back, hidden, 2));
    EXPECT_EQ(Shown(back, 0, 0), RGB(1, 2, 3));
    EXPECT_EQ(Shown(back, 2, 0), RGB(2, 4, 6));
    EXPECT_EQ(Shown(back, 6, 0), RGB(0, 0, 50));

    // What goes back is counted as in sight again and what the frame drew as gone: a later
    // table that changes entry 0 must move the three pixels of it still shown.
    const Bytes counted = GifFile(4, 2, 4)
                              .Control(1, -1)
                              .Image(0, 0, 4, 2, {0, 0, 0, 0, 1, 1, 1, 1}, 0, false, 2)
                              .Control(3, -1)
                              .Image(0, 1, 4, 1, {2, 2, 2, 2}, 0, false, 2)
                              .Tint(50)
                              .Control(1, -1)
                              .Image(3, 0, 1, 1, {3}, 4, false, 2)
                              .Done();
    CPixImageGIF recount;
    ASSERT_TRUE(DecodeFrame(recount, counted, 2));
    for (long x = 0; x < 3; ++x)
        EXPECT_EQ(Shown(recount, x, 0), RGB(0, 0, 0)) << x;
    EXPECT_EQ(Shown(recount, 3, 0), RGB(3, 6, 59));
    EXPECT_EQ(Shown(recount, 0, 1), RGB(1, 2, 3));

    // More colours than one palette: the picture is kept as colours and so is what goes back.
    const Bytes many = Ramp(32 * 16), other = Ramp(64);
    const Bytes colours = GifFile(32, 16, 0)
                              .Control(1, 0)
                              .Image(0, 0, 32, 16, many, 256)
                              .Tint(50)
                              .Control(3, -1)
                              .Image(4, 4, 8, 8, other, 256)
                              .Tint(90)
                              .Control(3, 9)
                              .Image(8, 8, 4, 2, {9, 9, 1, 1, 2, 2, 9, 9}, 256)
                              .Control(1, -1)
                              .Image(0, 0, 2, 2, {1, 2, 3, 4}, 256)
                              .Done();
    CPixImageGIF mixed;
    ASSERT_TRUE(DecodeFrame(mixed, colours, 2));
    ASSERT_EQ(mixed.GetBpp(), 24u);
    EXPECT_EQ(Shown(mixed, 4, 4), RGB(132, 8, 140)) << "index 132 of the first table";
    EXPECT_EQ(Shown(mixed, 11, 11), RGB(107, 214, 65));
    EXPECT_EQ(Shown(mixed, 10, 8), RGB(1, 2, 93));

    REQUIRE_MAGICK();
    for (const auto& [name, file] : {std::pair{"plain", plain},
                                     {"transparent", EveryDisposal(3)},
                                     {"transparent 0", EveryDisposal(0)},
                                     {"hidden", hidden},
                                     {"colours", colours}})
        EXPECT_EQ(DifferencesFromMagick(file), 0) << name;

    // ImageMagick's own file: a white screen, then red and blue squares each gone again.
    TempDir dir;
    const std::string path = dir.File("d3.gif");
    const std::string make =
        MAGICK_CONVERT " -dispose None -size 40x40 xc:white"
                       " \\( -dispose Previous -size 10x10 xc:red -repage 40x40+0+0 \\)"
                       " \\( -dispose Previous -size 10x10 xc:blue -repage 40x40+20+20 \\)"
                       " -loop 0 ";
    ASSERT_EQ(RunCommand(make + ShellQuote(path)).status, 0);
    const std::string made = ReadFileBytes(path);
    EXPECT_EQ(DifferencesFromMagick(Bytes(made.begin(), made.end())), 0);
}

TEST(GifCodecTest, TheDecodedFrameKeepsItsDisposal) {
    const Bytes file = EveryDisposal(-1);
    const int disposals[] = {1, 3, 3, 2, 1};
    for (long k = 0; k < 5; ++k) {
        CPixImageGIF img;
        img.SetDisposalMethod(7);
        ASSERT_TRUE(DecodeFrame(img, file, k));
        EXPECT_EQ(img.GetDisposalMethod(), disposals[k]) << k;
    }
    // A frame without a control block has none.
    CPixImageGIF bare;
    bare.SetDisposalMethod(2);
    ASSERT_TRUE(DecodeBytes(bare, GifFile(1, 1, 2).Image(0, 0, 1, 1, {1}, 0, false, 2).Done()));
    EXPECT_EQ(bare.GetDisposalMethod(), 0);
}
