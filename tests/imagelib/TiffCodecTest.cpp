#include <gtest/gtest.h>

#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "imagelib/codecs/PixImageTIF.h"
#include "imagelib/codecs/PixTiffStream.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

// A TIFF written by libtiff: the basic tags, then `more`, then `data` as the rows one after the
// other (plane after plane when samples are stored separately); missing bytes are zero.
Bytes LibTiff(uint32_t w, uint32_t h, uint16_t samples, uint16_t bits, uint16_t photometric, const Bytes& data,
              const std::function<void(TIFF*)>& more = {}) {
    CPixMemFile mem;
    mem.Open();
    auto out = CPixTiffStream::Open(&mem, "w");
    TIFF* tif = out->Handle();
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 3);
    if (more) more(tif);
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &planar);
    Bytes line(static_cast<size_t>(TIFFScanlineSize(tif)));
    for (uint32_t r = 0; r < h * (planar == PLANARCONFIG_SEPARATE ? samples : 1u); ++r) {
        const size_t at = std::min(data.size(), r * line.size());
        std::fill(line.begin(), line.end(), 0);
        std::copy_n(data.begin() + static_cast<long>(at), std::min(line.size(), data.size() - at), line.begin());
        EXPECT_NE(TIFFWriteScanline(tif, line.data(), r % h, static_cast<uint16_t>(r / h)), -1);
    }
    EXPECT_TRUE(out->Close());
    return Bytes(mem.GetBuffer(false), mem.GetBuffer(false) + mem.Size());
}

// 16-bit samples as libtiff takes them, in the machine's order.
Bytes Words(std::initializer_list<uint16_t> values) {
    Bytes b(values.size() * 2);
    std::memcpy(b.data(), std::data(values), b.size());
    return b;
}

// A tag of the first page, as libtiff reads it back (with its default when absent).
template <class T = uint16_t>
T Tag(const Bytes& file, ttag_t tag) {
    Bytes copy = file;
    CPixMemFile mem(copy.data(), static_cast<DWORD>(copy.size()));
    auto in = CPixTiffStream::Open(&mem, "r");
    T v = 0;
    if (in) TIFFGetFieldDefaulted(in->Handle(), tag, &v);
    return v;
}

} // namespace

TEST(TiffCodecTest, RoundTripsEveryDepthInTheLayoutAndCompressionItChooses) {
    const uint16_t kBlack = PHOTOMETRIC_MINISBLACK, kWhite = PHOTOMETRIC_MINISWHITE, kPal = PHOTOMETRIC_PALETTE,
                   kRgb = PHOTOMETRIC_RGB;
    struct Case {
        DWORD bpp;
        int grey; // 0: the picture's palette, 1: a grey ramp, 2: a ramp with its last entry off
        bool alpha;
        DWORD option;
        uint16_t photometric, compression;
        bool predictor; // horizontal differencing
        int tolerance;
    };
    const Case cases[] = {
        {1, 0, false, 0, kWhite, COMPRESSION_CCITTFAX4, false, 0},
        {1, 0, false, COMPRESSION_NONE, kWhite, COMPRESSION_NONE, false, 0},
        {1, 0, false, COMPRESSION_JPEG, kWhite, COMPRESSION_CCITTFAX4, false, 0}, // JPEG cannot hold one bit
        {4, 0, false, 0, kPal, COMPRESSION_LZW, false, 0},
        {4, 1, false, 0, kBlack, COMPRESSION_LZW, false, 0},
        {4, 2, false, 0, kPal, COMPRESSION_LZW, false, 0},
        {4, 1, false, COMPRESSION_CCITTFAX4, kBlack, COMPRESSION_LZW, false, 0}, // fax needs one bit
        {8, 0, false, 0, kPal, COMPRESSION_LZW, true, 0},
        {8, 1, false, 0, kBlack, COMPRESSION_LZW, true, 0},
        {8, 0, true, 0, kPal, COMPRESSION_LZW, true, 0},
        {24, 0, false, 0, kRgb, COMPRESSION_JPEG, false, 12},
        {24, 0, false, COMPRESSION_NONE, kRgb, COMPRESSION_NONE, false, 0},
        {24, 0, true, COMPRESSION_LZW, kRgb, COMPRESSION_LZW, true, 0},
        {24, 0, false, COMPRESSION_ADOBE_DEFLATE, kRgb, COMPRESSION_ADOBE_DEFLATE, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bpp << " bits, grey " << c.grey << ", option " << c.option
                                        << (c.alpha ? ", alpha" : ""));
        CPixImage img = Picture(c.bpp, false);
        if (c.bpp == 1) {
            img.SetPaletteColor(0, 0, 0, 0);
            img.SetPaletteColor(1, 255, 255, 255);
        }
        if (c.grey) {
            img.SetGrayPalette();
            if (c.grey == 2) img.SetPaletteColor(static_cast<BYTE>(img.GetNumColors() - 1), 255, 255, 254);
        }
        if (c.alpha) {
            img.AlphaCreate();
            ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(x * 19 + y)); });
        }
        img.SetCodecOption(c.option, PIXFORMAT_TIF);
        img.SetJpegQuality(95);
        const COLORREF before = Rgb(img, 0, 0);
        const Bytes file = EncodeAs(img, PIXFORMAT_TIF);
        // Saving never changes the caller's picture (bilevel inversion and BGR swap stay in the file).
        EXPECT_EQ(Rgb(img, 0, 0), before);
        EXPECT_EQ(Tag(file, TIFFTAG_PHOTOMETRIC), c.photometric);
        EXPECT_EQ(Tag(file, TIFFTAG_COMPRESSION), c.compression);
        EXPECT_EQ(Tag(file, TIFFTAG_PREDICTOR) == PREDICTOR_HORIZONTAL, c.predictor);
        CPixImageTIF back;
        ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
        EXPECT_EQ(back.GetCodecOption(PIXFORMAT_TIF), c.compression);
        EXPECT_EQ(back.GetWidth(), 13u);
        EXPECT_EQ(back.GetBpp(), c.bpp);
        EXPECT_LE(MaxDifference(img, back), c.tolerance);
        EXPECT_EQ(back.AlphaIsValid(), c.alpha);
        if (c.alpha) {
            EXPECT_EQ(back.AlphaGet(5, 3), img.AlphaGet(5, 3));
        }
        EXPECT_EQ(back.GetNumFrames(), 1);
    }
}

TEST(TiffCodecTest, MultiPageAtOnceAndPageByPage) {
    CPixImage a = Picture(24, false, 10, 6), b = Picture(8, false, 7, 5), c = Picture(1, false, 4, 4);
    CPixImage* pages[] = {&a, &b, &c};
    CPixMemFile all;
    all.Open();
    ASSERT_TRUE(a.Encode(&all, pages, 3, PIXFORMAT_TIF)) << a.GetLastError();
    const Bytes file(all.GetBuffer(false), all.GetBuffer(false) + all.Size());
    for (long frame = 0; frame < 4; ++frame) {
        CPixImageTIF page;
        page.SetFrame(frame);
        ASSERT_EQ(DecodeBytes(page, file), frame < 3) << frame;
        EXPECT_EQ(page.GetNumFrames(), 3);
        if (frame < 3) {
            EXPECT_EQ(page.GetWidth(), pages[frame]->GetWidth());
        } else {
            EXPECT_STREQ(page.GetLastError(), "Error: page not present in TIFF file");
        }
    }
    // Page by page: after every appended page the stream holds a complete TIFF.
    CPixMemFile out;
    out.Open();
    CPixImageTIF writer;
    for (int i = 0; i < 3; ++i) {
        writer.Copy(*pages[i]);
        ASSERT_TRUE(writer.Encode(&out, i < 2)) << writer.GetLastError();
        const Bytes written(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
        EXPECT_EQ(Tag<uint32_t>(written, TIFFTAG_SUBFILETYPE), static_cast<uint32_t>(FILETYPE_PAGE));
        CPixImageTIF check;
        ASSERT_TRUE(DecodeBytes(check, written));
        EXPECT_EQ(check.GetNumFrames(), i + 1);
    }
}

TEST(TiffCodecTest, ATiffInsideAStreamKeepsTheBytesBeforeIt) {
    CPixImage img = Picture(8, false, 5, 5);
    CPixMemFile mem;
    mem.Open();
    const char lead[] = "0123456789";
    mem.Write(lead, 1, 10);
    ASSERT_TRUE(img.Encode(&mem, PIXFORMAT_TIF)) << img.GetLastError();
    BYTE* data = mem.GetBuffer(false);
    EXPECT_EQ(std::memcmp(data, lead, 10), 0);
    EXPECT_EQ(data[10], 'I');
    mem.Seek(10, SEEK_SET);
    CPixImageTIF back;
    ASSERT_TRUE(back.Decode(&mem)) << back.GetLastError();
    EXPECT_EQ(MaxDifference(img, back), 0);
}

TEST(TiffCodecTest, StreamProceduresAreBounded) {
    CPixMemFile mem;
    mem.Open();
    mem.Write("abcdefgh", 1, 8);
    mem.Seek(3, SEEK_SET);
    CPixTiffStream client(&mem);
    const thandle_t h = static_cast<thandle_t>(static_cast<void*>(&client));
    const toff_t bad = static_cast<toff_t>(-1);
    EXPECT_EQ(CPixTiffStream::SizeProc(h), 5u);
    EXPECT_EQ(CPixTiffStream::SeekProc(h, bad, SEEK_SET), bad);
    EXPECT_EQ(CPixTiffStream::SeekProc(h, 0xFFFFFFFFu, SEEK_SET), bad);
    EXPECT_EQ(mem.Tell(), 3);
    EXPECT_EQ(CPixTiffStream::SeekProc(h, 2, SEEK_SET), 2u);
    EXPECT_EQ(mem.Tell(), 5);
    EXPECT_EQ(CPixTiffStream::SeekProc(h, static_cast<toff_t>(-3), SEEK_CUR), bad); // before the start
    EXPECT_EQ(CPixTiffStream::SeekProc(h, static_cast<toff_t>(-2), SEEK_END), 3u);
    EXPECT_EQ(CPixTiffStream::CloseProc(h), 0);
    EXPECT_EQ(mem.Tell(), 6); // still open
    CPixTiffStream none(nullptr);
    EXPECT_EQ(CPixTiffStream::SizeProc(static_cast<thandle_t>(static_cast<void*>(&none))), 0u);
    EXPECT_EQ(CPixTiffStream::Open(nullptr, "r"), nullptr);
}

TEST(TiffCodecTest, DecodesSampleLayoutsOfOtherWriters) {
    const uint16_t unassociated[1] = {EXTRASAMPLE_UNASSALPHA}, unspecified[1] = {EXTRASAMPLE_UNSPECIFIED};
    auto extra = [](const uint16_t* kind) {
        return [kind](TIFF* t) { TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, kind); };
    };
    struct Case {
        const char* name;
        Bytes file;
        DWORD bpp;
        COLORREF first, second; // pixels (0, 0) and (1, 0) as shown
        int tolerance;
        int alpha; // -1: none
    };
    const Case cases[] = {
        {"16-bit grey keeps the high byte", LibTiff(2, 1, 1, 16, PHOTOMETRIC_MINISBLACK, Words({0xABCD, 0x1234})), 8,
         RGB(0xAB, 0xAB, 0xAB), RGB(0x12, 0x12, 0x12), 0, -1},
        {"2-bit grey spreads its levels", LibTiff(4, 1, 1, 2, PHOTOMETRIC_MINISBLACK, {0x1B}), 8, RGB(0, 0, 0),
         RGB(85, 85, 85), 0, -1},
        {"white is zero", LibTiff(4, 1, 1, 8, PHOTOMETRIC_MINISWHITE, {0, 255}), 8, RGB(255, 255, 255), 0, 0, -1},
        {"1-bit palette stays 1 bit",
         LibTiff(9, 1, 1, 1, PHOTOMETRIC_PALETTE, {0x40},
                 [](TIFF* t) {
                     uint16_t r[2] = {65535, 0}, g[2] = {0, 0}, b[2] = {0, 32767}; // 16-bit values are scaled
                     TIFFSetField(t, TIFFTAG_COLORMAP, r, g, b);
                 }),
         1, RGB(255, 0, 0), RGB(0, 0, 127), 0, -1},
        {"bilevel, black is zero", LibTiff(2, 1, 1, 1, PHOTOMETRIC_MINISBLACK, {0x40}), 1, 0, RGB(255, 255, 255), 0,
         -1},
        // Red (54.3, 80.8, 69.9) and blue (32.3, 79.2, -107.9), L scaled to 0..255.
        {"CIELab red", LibTiff(2, 1, 3, 8, PHOTOMETRIC_CIELAB, {138, 81, 70, 82, 79, 256 - 108}), 24, RGB(255, 0, 0),
         RGB(0, 0, 255), 12, -1},
        {"4-bit palette",
         LibTiff(2, 1, 1, 4, PHOTOMETRIC_PALETTE, {0x5A},
                 [](TIFF* t) {
                     uint16_t r[16]{}, g[16]{}, b[16]{};
                     r[5] = 200; // 8-bit values in a 16-bit map are taken as they are
                     g[10] = 100;
                     TIFFSetField(t, TIFFTAG_COLORMAP, r, g, b);
                 }),
         4, RGB(200, 0, 0), RGB(0, 100, 0), 0, -1},
        {"separate planes",
         LibTiff(2, 1, 3, 8, PHOTOMETRIC_RGB, {10, 20, 30, 40, 50, 60},
                 [](TIFF* t) { TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE); }),
         24, RGB(10, 30, 50), RGB(20, 40, 60), 0, -1},
        {"16-bit RGB", LibTiff(2, 1, 3, 16, PHOTOMETRIC_RGB, Words({0xFF00, 0x0100, 0x8000, 0, 0xFFFF, 0})), 24,
         RGB(255, 1, 128), RGB(0, 255, 0), 0, -1},
        // Four samples of ink are no alpha.
        {"CMYK", LibTiff(1, 1, 4, 8, PHOTOMETRIC_SEPARATED, {255}), 24, RGB(0, 255, 255), RGB(0, 255, 255), 1, -1},
        {"unassociated alpha", LibTiff(1, 1, 4, 8, PHOTOMETRIC_RGB, {200, 100, 50, 128}, extra(unassociated)), 24,
         RGB(200, 100, 50), RGB(200, 100, 50), 2, 128},
        {"unspecified extra sample", LibTiff(1, 1, 4, 8, PHOTOMETRIC_RGB, {200, 100, 50, 0}, extra(unspecified)), 24,
         RGB(200, 100, 50), RGB(200, 100, 50), 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPixImageTIF img;
        ASSERT_TRUE(DecodeBytes(img, c.file)) << img.GetLastError();
        EXPECT_EQ(img.GetBpp(), c.bpp);
        const COLORREF got[2] = {Shown(img, 0, 0), Shown(img, img.GetWidth() > 1 ? 1 : 0, 0)};
        const COLORREF want[2] = {c.first, c.second};
        for (int i = 0; i < 2; ++i)
            for (int shift : {0, 8, 16})
                EXPECT_NEAR((got[i] >> shift) & 255, (want[i] >> shift) & 255, c.tolerance) << "pixel " << i;
        EXPECT_EQ(img.AlphaIsValid(), c.alpha >= 0);
        if (c.alpha >= 0) {
            EXPECT_NEAR(img.AlphaGet(0, 0), c.alpha, 1);
        }
    }
    // Strips of three rows each, the last one short.
    Bytes rows;
    for (uint8_t r = 0; r < 10; ++r)
        rows.insert(rows.end(), 4, static_cast<uint8_t>(r * 20));
    CPixImageTIF striped;
    ASSERT_TRUE(DecodeBytes(striped, LibTiff(4, 10, 1, 8, PHOTOMETRIC_MINISBLACK, rows)));
    for (long y : {0L, 4L, 9L})
        EXPECT_EQ(Shown(striped, 3, y), RGB(y * 20, y * 20, y * 20)) << y;
}

TEST(TiffCodecTest, TilesOrientationsAndResolution) {
    // A 40 x 35 grey picture in 16 x 16 tiles: the right and bottom tiles are cut.
    CPixMemFile mem;
    mem.Open();
    {
        auto out = CPixTiffStream::Open(&mem, "w");
        TIFF* t = out->Handle();
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, 40);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, 35);
        TIFFSetField(t, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(t, TIFFTAG_TILELENGTH, 16);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
        TIFFSetField(t, TIFFTAG_XRESOLUTION, 118.11f);
        TIFFSetField(t, TIFFTAG_YRESOLUTION, std::nanf(""));
        std::vector<uint8_t> tile(256);
        for (uint32_t ty = 0; ty < 35; ty += 16)
            for (uint32_t tx = 0; tx < 40; tx += 16) {
                for (uint32_t i = 0; i < 256; ++i)
                    tile[i] = static_cast<uint8_t>((tx + i % 16) + 3 * (ty + i / 16));
                TIFFWriteTile(t, tile.data(), tx, ty, 0, 0);
            }
    }
    mem.Seek(0, SEEK_SET);
    CPixImageTIF tiles;
    ASSERT_TRUE(tiles.Decode(&mem)) << tiles.GetLastError();
    EXPECT_EQ(tiles.GetXDPI(), 300);
    EXPECT_EQ(tiles.GetYDPI(), 96) << "a resolution that is not a number is ignored";
    for (long y : {0L, 17L, 34L})
        for (long x : {0L, 20L, 39L})
            EXPECT_EQ(Shown(tiles, x, y) & 255, static_cast<COLORREF>((x + 3 * y) & 255)) << x << "," << y;

    // A 3 x 2 picture stored with each orientation shows the same upright 3 x 2 picture.
    const BYTE shown[2][3] = {{1, 2, 3}, {4, 5, 6}};
    for (uint16_t o = 1; o <= 8; ++o) {
        const bool turned = o >= 5;
        const uint32_t w = turned ? 2 : 3, h = turned ? 3 : 2;
        // Stored pixel (x, y) for each orientation: rows and columns swapped from 5 on, then mirrored.
        const bool flipRow = o == 3 || o == 4 || o >= 7, flipColumn = o % 4 == 2 || o % 4 == 3;
        auto stored = [&](uint32_t x, uint32_t y) {
            const uint32_t row = turned ? x : y, column = turned ? y : x;
            return shown[flipRow ? 1 - row : row][flipColumn ? 2 - column : column];
        };
        SCOPED_TRACE(testing::Message() << "orientation " << o);
        Bytes data;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                data.push_back(stored(x, y));
        const Bytes file = LibTiff(w, h, 1, 8, PHOTOMETRIC_MINISBLACK, data,
                                   [o](TIFF* t) { TIFFSetField(t, TIFFTAG_ORIENTATION, o); });
        CPixImageTIF img;
        ASSERT_TRUE(DecodeBytes(img, file));
        ASSERT_EQ(img.GetWidth(), 3u);
        for (long y = 0; y < 2; ++y)
            for (long x = 0; x < 3; ++x)
                EXPECT_EQ(Shown(img, x, y) & 255, shown[y][x]);
        CPixImageTIF size;
        size.SetEscape(-1);
        EXPECT_TRUE(DecodeBytes(size, file));
        EXPECT_EQ(size.GetWidth(), 3u);
        EXPECT_EQ(size.GetHeight(), 2u);
    }
}

TEST(TiffCodecTest, RefusesBrokenFiles) {
    CPixImage img = Picture(24, false, 30, 20);
    img.SetCodecOption(COMPRESSION_NONE, PIXFORMAT_TIF);
    const Bytes file = EncodeAs(img, PIXFORMAT_TIF);
    const char* kNotOpened = "Error encountered while opening TIFF file";
    const struct {
        const char* name;
        Bytes bytes;
        const char* text;
    } cases[] = {
        {"not a TIFF", Bytes(64, 'x'), kNotOpened},
        {"header only", Bytes(file.begin(), file.begin() + 8), kNotOpened},
        // The directory comes after the pixels: a cut file has none.
        {"cut in half", Bytes(file.begin(), file.begin() + static_cast<long>(file.size() / 2)), kNotOpened},
        {"no colour map", LibTiff(2, 1, 1, 4, PHOTOMETRIC_PALETTE, {}), kNotOpened},
    };
    for (const auto& c : cases) {
        CPixImageTIF back;
        EXPECT_FALSE(DecodeBytes(back, c.bytes)) << c.name;
        EXPECT_STREQ(back.GetLastError(), c.text) << c.name;
        EXPECT_FALSE(back.IsValid()) << c.name;
    }
    CPixImageTIF cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancelled, file));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
    CPixImageTIF writer;
    EXPECT_FALSE(writer.Encode(static_cast<CPixFile*>(nullptr), nullptr, 0));
    EXPECT_STREQ(writer.GetLastError(), "invalid file pointer");
    CPixMemFile mem;
    mem.Open();
    EXPECT_FALSE(writer.Encode(&mem, nullptr, 0));
    EXPECT_STREQ(writer.GetLastError(), "multipage TIFF, no images!");
    CPixImage* missing[] = {&img, nullptr};
    EXPECT_FALSE(writer.Encode(&mem, missing, 2));
    EXPECT_STREQ(writer.GetLastError(), "Bad image pointer");
}

TEST(TiffCodecTest, ADecodeKeepsNoTransparencyOfAnEarlierPicture) {
    CPixImage img = Picture(8, false, 5, 4);
    CPixImageTIF back;
    back.SetTransIndex(3);
    back.SetTransColor(Quad(1, 2, 3));
    ASSERT_TRUE(DecodeBytes(back, EncodeAs(img, PIXFORMAT_TIF))) << back.GetLastError();
    EXPECT_EQ(back.GetTransIndex(), -1);
    EXPECT_EQ(Rgb(back.GetTransColor()), RGB(0, 0, 0));
}

TEST(TiffCodecTest, CopiesTakeThePictureButNeverTheOpenWriter) {
    CPixImageTIF src;
    src.Copy(Picture(24, false, 10, 6));
    src.AlphaCreate();
    src.AlphaSet(2, 3, 77);
    src.SelectionAddPixel(4, 1);
    src.SetXDPI(150);
    CPixMemFile pages;
    pages.Open();
    ASSERT_TRUE(src.Encode(&pages, true)) << src.GetLastError(); // the writer stays open in src

    CPixImageTIF copy(src);
    EXPECT_EQ(MaxDifference(copy, src), 0);
    EXPECT_EQ(copy.AlphaGet(2, 3), 77);
    EXPECT_TRUE(copy.SelectionIsInside(4, 1));
    EXPECT_FALSE(copy.SelectionIsInside(4, 2));
    EXPECT_EQ(copy.GetXDPI(), 150);
    // The copy starts a file of its own: a single page, not the second page of src's file.
    CPixMemFile own;
    own.Open();
    ASSERT_TRUE(copy.Encode(&own, false)) << copy.GetLastError();
    const Bytes single(own.GetBuffer(false), own.GetBuffer(false) + own.Size());
    EXPECT_EQ(Tag<uint32_t>(single, TIFFTAG_SUBFILETYPE), 0u);

    // An assigned picture is the next page of the file src still has open.
    CPixImageTIF next;
    next.Copy(Picture(8, false, 7, 5));
    src = next;
    const CPixImageTIF& same = src;
    src = same;
    EXPECT_EQ(MaxDifference(src, next), 0);
    EXPECT_FALSE(src.AlphaIsValid());
    ASSERT_TRUE(src.Encode(&pages, false)) << src.GetLastError();
    const Bytes file(pages.GetBuffer(false), pages.GetBuffer(false) + pages.Size());
    CPixImageTIF second;
    second.SetFrame(1);
    ASSERT_TRUE(DecodeBytes(second, file)) << second.GetLastError();
    EXPECT_EQ(second.GetNumFrames(), 2);
    EXPECT_EQ(MaxDifference(second, next), 0);
}

TEST(TiffCodecTest, AWriteThatOnlyFailsOnTheLastFlushIsNoSuccess) {
    // A small picture fits the stream's buffer: only the flush finds the disk full.
    CPixImage a = Picture(24, false, 8, 8), b = Picture(8, false, 5, 5);
    CPixImage* pages[] = {&a, &b};
    const std::function<bool(CPixImageTIF&, FILE*)> encodes[] = {
        [](CPixImageTIF& t, FILE* f) { return t.Encode(f, false); },
        [](CPixImageTIF& t, FILE* f) { return t.Encode(f, true); },
        [&](CPixImageTIF& t, FILE* f) { return t.Encode(f, pages, 2); },
    };
    for (size_t i = 0; i < 2 * std::size(encodes); ++i) {
        FILE* full = std::fopen("/dev/full", "wb");
        if (!full)
            GTEST_SKIP() << "no /dev/full";
        // The second round unbuffered: there the write itself fails.
        if (i >= std::size(encodes))
            std::setvbuf(full, nullptr, _IONBF, 0);
        CPixImageTIF tif;
        tif.Copy(a);
        EXPECT_FALSE(encodes[i % std::size(encodes)](tif, full)) << i;
        EXPECT_STREQ(tif.GetLastError(), "Error saving TIFF file") << i;
        std::fclose(full);
    }
}
