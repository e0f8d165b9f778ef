#include <gtest/gtest.h>

#include <openjpeg.h>

#include <cstring>
#include <string>

#include "imagelib/codecs/PixImageJ2K.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void PutBE(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

Bytes Ras(uint32_t w, uint32_t h, uint32_t depth, uint32_t type, const Bytes& map, const Bytes& data) {
    Bytes b;
    for (uint32_t v : {0x59A66A95u, w, h, depth, static_cast<uint32_t>(data.size()), type, map.empty() ? 0u : 1u,
                       static_cast<uint32_t>(map.size())})
        PutBE(b, v);
    return Concat(Concat(b, map), data);
}

// A code stream made by OpenJPEG directly: components of the given shape, each sample from f.
struct Comp {
    uint32_t dx, dy, prec;
    bool sgnd, alpha;
};
Bytes OpjStream(uint32_t w, uint32_t h, const std::vector<Comp>& comps, OPJ_COLOR_SPACE space,
                int (*f)(uint32_t comp, uint32_t x, uint32_t y), OPJ_CODEC_FORMAT format = OPJ_CODEC_J2K) {
    std::vector<opj_image_cmptparm_t> parms(comps.size());
    for (size_t i = 0; i < comps.size(); ++i) {
        parms[i] = opj_image_cmptparm_t();
        parms[i].dx = comps[i].dx;
        parms[i].dy = comps[i].dy;
        parms[i].w = (w + comps[i].dx - 1) / comps[i].dx;
        parms[i].h = (h + comps[i].dy - 1) / comps[i].dy;
        parms[i].prec = comps[i].prec;
        parms[i].sgnd = comps[i].sgnd;
    }
    opj_image_t* img = opj_image_create(static_cast<OPJ_UINT32>(comps.size()), parms.data(), space);
    img->x1 = w;
    img->y1 = h;
    for (size_t i = 0; i < comps.size(); ++i) {
        img->comps[i].alpha = comps[i].alpha;
        for (uint32_t y = 0; y < parms[i].h; ++y)
            for (uint32_t x = 0; x < parms[i].w; ++x) img->comps[i].data[y * parms[i].w + x] = f(static_cast<uint32_t>(i), x, y);
    }
    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.tcp_rates[0] = 0;
    params.cp_disto_alloc = 1;
    params.numresolution = 2;
    TempDir dir;
    const std::string path = dir.File("c.j2k");
    opj_codec_t* codec = opj_create_compress(format);
    opj_setup_encoder(codec, &params, img);
    opj_stream_t* s = opj_stream_create_default_file_stream(path.c_str(), OPJ_FALSE);
    EXPECT_TRUE(opj_start_compress(codec, img, s) && opj_encode(codec, s) && opj_end_compress(codec, s));
    opj_stream_destroy(s);
    opj_destroy_codec(codec);
    opj_image_destroy(img);
    const std::string bytes = ReadFileBytes(path);
    return Bytes(bytes.begin(), bytes.end());
}

CPixImage Colour(DWORD w, DWORD h) {
    CPixImage img(w, h, 24, PIXFORMAT_BMP);
    ForEachPixel(img, [&](long x, long y) {
        img.SetPixelColor(x, y, RGB(static_cast<BYTE>(x * 23), static_cast<BYTE>(y * 41), static_cast<BYTE>(x * y * 7)));
    });
    return img;
}

CPixImage Grey(DWORD w, DWORD h) {
    CPixImage img(w, h, 8, PIXFORMAT_BMP);
    img.SetGrayPalette();
    ForEachPixel(img, [&](long x, long y) { img.SetPixelIndex(x, y, static_cast<BYTE>(x * 17 + y * 5)); });
    return img;
}

} // namespace

TEST(J2kCodecTest, RoundTripsEveryFamilyMember) {
    struct Case {
        DWORD type;
        bool grey;
        BYTE quality;
        int tolerance;
    };
    const Case cases[] = {
        {PIXFORMAT_JP2, false, 100, 0}, {PIXFORMAT_JP2, true, 100, 0}, {PIXFORMAT_JPC, false, 100, 0},
        {PIXFORMAT_JPC, false, 40, 24}, {PIXFORMAT_PGX, true, 90, 0},  {PIXFORMAT_PNM, false, 90, 0},
        {PIXFORMAT_PNM, true, 90, 0},   {PIXFORMAT_RAS, false, 90, 0}, {PIXFORMAT_RAS, true, 90, 0},
    };
    for (const Case& c : cases) {
        CPixImage img = c.grey ? Grey(19, 11) : Colour(19, 11);
        img.SetJpegQuality(c.quality);
        const Bytes file = EncodeAs(img, c.type);
        // Found by its signature, as its own type.
        CPixImage back;
        ASSERT_TRUE(back.Decode(const_cast<BYTE*>(file.data()), static_cast<DWORD>(file.size()), PIXFORMAT_UNKNOWN))
            << c.type << ": " << back.GetLastError();
        EXPECT_EQ(back.GetType(), c.type);
        CPixImageJ2K size;
        size.SetEscape(-1);
        EXPECT_TRUE(DecodeBytes(size, file)) << c.type;
        EXPECT_EQ(size.GetWidth(), 19u);
        EXPECT_FALSE(size.IsValid());
        EXPECT_EQ(back.GetBpp(), c.grey ? 8u : 24u) << c.type;
        // Lossy code streams are judged by their mean difference.
        int64_t sum = 0;
        ForEachPixel(img, [&](long x, long y) {
            const RGBQUAD p = img.GetPixelColor(x, y, false), q = back.GetPixelColor(x, y, false);
            sum += std::abs(p.rgbRed - q.rgbRed) + std::abs(p.rgbGreen - q.rgbGreen) + std::abs(p.rgbBlue - q.rgbBlue);
        });
        EXPECT_LE(sum / (3 * 19 * 11), c.tolerance) << c.type << " q" << int(c.quality);
    }
    // A lower quality keeps fewer bytes.
    CPixImage big = Colour(64, 64);
    big.SetJpegQuality(100);
    const size_t lossless = EncodeAs(big, PIXFORMAT_JPC).size();
    big.SetJpegQuality(10);
    EXPECT_LT(EncodeAs(big, PIXFORMAT_JPC).size() * 3, lossless);
    big.SetJpegQuality(0); // clamped to 1, not a division by zero
    EXPECT_FALSE(EncodeAs(big, PIXFORMAT_JPC).empty());
}

TEST(J2kCodecTest, RefusesWhatItCannotSave) {
    CPixImage pal(4, 4, 8, PIXFORMAT_BMP);
    pal.SetPaletteColor(3, 200, 10, 10);
    CPixMemFile mem;
    mem.Open();
    EXPECT_FALSE(pal.Encode(&mem, PIXFORMAT_PNM));
    EXPECT_STREQ(pal.GetLastError(), "Only RGB or grey scale images can be saved in this format");
    CPixImage colour = Colour(4, 4);
    EXPECT_FALSE(colour.Encode(&mem, PIXFORMAT_PGX));
    EXPECT_STREQ(colour.GetLastError(), "PGX can save only GrayScale images");
}

TEST(J2kCodecTest, ReadsWhatOtherWritersMake) {
    struct Case {
        const char* name;
        Bytes file;
        DWORD bpp;
        COLORREF first, second; // shown pixels (0, 0) and (1, 0)
    };
    Bytes p5 = Text("P5\n2 1\n65535\n");
    p5.insert(p5.end(), {0xFF, 0xFF, 0x80, 0x00});
    Bytes p4 = Text("P4 # bits\n10 1\n");
    p4.insert(p4.end(), {0x40, 0x00});
    Bytes pgx = Text("PG LM - 12 2 1\n");
    pgx.insert(pgx.end(), {0x00, 0x08, 0xFF, 0x07}); // -2048 and 2047
    const Bytes rle = Ras(4, 1, 8, 2, {255, 0, 0, 255, 0, 0}, {0x80, 0x02, 0x01, 0x80, 0x00});
    const Bytes ras32 = Ras(2, 1, 32, 3, {}, {0, 10, 20, 30, 0, 40, 50, 60});
    const Bytes ras1 = Ras(2, 1, 1, 1, {}, {0x80, 0x00});
    const Case cases[] = {
        {"P1 without separators", Text("P1\n2 1\n10"), 1, RGB(0, 0, 0), RGB(255, 255, 255)},
        {"P2 with comments and maxval 1000", Text("P2\n# c\n2 1 # c\n1000\n1000 500\n"), 8, RGB(255, 255, 255), RGB(128, 128, 128)},
        {"P3", Text("P3 2 1 255 255 0 0 0 0 255"), 24, RGB(255, 0, 0), RGB(0, 0, 255)},
        {"P4", p4, 1, RGB(255, 255, 255), RGB(0, 0, 0)},
        {"P5 16-bit", p5, 8, RGB(255, 255, 255), RGB(128, 128, 128)},
        {"PGX signed 12-bit", pgx, 8, RGB(0, 0, 0), RGB(255, 255, 255)},
        {"RAS colour map, run-length", rle, 24, RGB(0, 255, 0), RGB(0, 255, 0)},
        {"RAS 32-bit RGB order", ras32, 24, RGB(10, 20, 30), RGB(40, 50, 60)},
        {"RAS 1-bit", ras1, 1, RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (const Case& c : cases) {
        CPixImageJ2K img;
        ASSERT_TRUE(DecodeBytes(img, c.file)) << c.name << ": " << img.GetLastError();
        EXPECT_EQ(img.GetBpp(), c.bpp) << c.name;
        EXPECT_EQ(Shown(img, 0, 0), c.first) << c.name;
        EXPECT_EQ(Shown(img, 1, 0), c.second) << c.name;
    }
}

TEST(J2kCodecTest, ComponentsBecomeColourAlphaOrFrames) {
    // Signed 12-bit samples are moved up by half their range and scaled, not cut to their low byte.
    const Bytes grey12 = OpjStream(4, 2, {{1, 1, 12, true, false}}, OPJ_CLRSPC_GRAY,
                                   [](uint32_t, uint32_t x, uint32_t) { return x == 0 ? -2048 : 2047; });
    CPixImageJ2K g;
    ASSERT_TRUE(DecodeBytes(g, grey12)) << g.GetLastError();
    EXPECT_EQ(g.GetType(), static_cast<DWORD>(PIXFORMAT_JPC));
    EXPECT_EQ(Shown(g, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(Shown(g, 1, 0), RGB(255, 255, 255));

    // Luma and colour difference subsampled across only come out as RGB: Y 128, Cb 100, Cr 150.
    const Bytes ycc = OpjStream(8, 8, {{1, 1, 8, false, false}, {2, 1, 8, false, false}, {2, 1, 8, false, false}},
                                OPJ_CLRSPC_UNSPECIFIED, [](uint32_t c, uint32_t, uint32_t) { return c == 0 ? 128 : (c == 1 ? 100 : 150); });
    CPixImageJ2K rgb;
    ASSERT_TRUE(DecodeBytes(rgb, ycc)) << rgb.GetLastError();
    const RGBQUAD mid = rgb.GetPixelColor(5, 5, false);
    EXPECT_NEAR(mid.rgbRed, 159, 1);
    EXPECT_NEAR(mid.rgbGreen, 122, 1);
    EXPECT_NEAR(mid.rgbBlue, 78, 1);

    const Bytes rgba = OpjStream(3, 3, {{1, 1, 8, false, false}, {1, 1, 8, false, false}, {1, 1, 8, false, false}, {1, 1, 8, false, true}},
                                 OPJ_CLRSPC_SRGB, [](uint32_t c, uint32_t x, uint32_t y) { return c == 3 ? static_cast<int>(x * 100 + y * 10) : 50; },
                                 OPJ_CODEC_JP2);
    CPixImageJ2K withAlpha;
    ASSERT_TRUE(DecodeBytes(withAlpha, rgba)) << withAlpha.GetLastError();
    EXPECT_EQ(withAlpha.GetBpp(), 24u);
    ASSERT_TRUE(withAlpha.AlphaIsValid());
    EXPECT_EQ(withAlpha.AlphaGet(2, 0), 220); // the bottom row is the picture's last

    // Two plain components are two frames.
    const Bytes two = OpjStream(3, 2, {{1, 1, 4, false, false}, {1, 1, 8, false, false}}, OPJ_CLRSPC_UNSPECIFIED,
                                [](uint32_t c, uint32_t, uint32_t) { return c == 0 ? 15 : 9; });
    for (long frame = 0; frame < 3; ++frame) {
        CPixImageJ2K f;
        f.SetFrame(frame);
        EXPECT_EQ(DecodeBytes(f, two), frame < 2) << frame;
        if (frame == 2) {
            EXPECT_STREQ(f.GetLastError(), "wrong frame!");
        }
        if (frame == 0) {
            EXPECT_EQ(f.GetNumFrames(), 2);
            EXPECT_EQ(f.GetBpp(), 4u);
            EXPECT_EQ(Shown(f, 0, 0), RGB(255, 255, 255));
        }
    }
}

TEST(J2kCodecTest, HostileHeadersFailBeforeAllocating) {
    const Bytes good = EncodeAs(*std::make_unique<CPixImage>(Colour(16, 16)), PIXFORMAT_JP2);
    const Bytes cases[] = {
        Text("P5 30000 30000 255\nabc"),
        Text("P6 2 2 0\n"),
        Text("P5 2 2 70000\n"),
        Text("P2 2 2 255\n1 2 3"),
        Text("PG ML + 0 2 2\nab"),
        Text("PG ML + 17 2 2\nab"),
        Text("PG ML + 8 30000 30000\nab"),
        Ras(30000, 30000, 24, 1, {}, {1, 2, 3}),
        Ras(2, 2, 8, 2, {}, {0x80, 0x01}), // run-length data ends early
        Ras(2, 2, 7, 1, {}, Bytes(8)),
        Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
        Bytes(good.begin(), good.begin() + 40),
    };
    for (const Bytes& file : cases) {
        CPixImageJ2K img;
        EXPECT_FALSE(DecodeBytes(img, file)) << std::string(file.begin(), file.begin() + 12);
        EXPECT_FALSE(img.IsValid());
    }
}

TEST(J2kCodecTest, AnIndependentReaderSeesTheSamePixels) {
    REQUIRE_MAGICK();
    const std::string convert = MAGICK_CONVERT;
    TempDir dir;
    const std::pair<DWORD, const char*> formats[] = {
        {PIXFORMAT_PNM, "x.pnm"}, {PIXFORMAT_RAS, "x.ras"}, {PIXFORMAT_JP2, "x.jp2"}, {PIXFORMAT_PGX, "x.pgx"}};
    for (const auto& [type, name] : formats) {
        for (bool grey : {true, false}) {
            if (type == PIXFORMAT_PGX && !grey) continue;
            CPixImage img = grey ? Grey(9, 5) : Colour(9, 5);
            img.SetJpegQuality(100);
            const std::string path = dir.File(name);
            ASSERT_TRUE(img.Save(path.c_str(), type)) << img.GetLastError();
            const CommandResult raw = RunCommand(convert + " " + ShellQuote(path) + " -depth 8 rgb:-");
            ASSERT_EQ(raw.status, 0) << name << raw.err;
            ASSERT_EQ(raw.out.size(), 9u * 5 * 3) << name;
            for (long y = 0; y < 5; ++y)
                for (long x = 0; x < 9; ++x) {
                    const BYTE* p = reinterpret_cast<const BYTE*>(raw.out.data()) + (y * 9 + x) * 3;
                    EXPECT_EQ(RGB(p[0], p[1], p[2]), Shown(img, x, y)) << name << " at " << x << "," << y;
                }
        }
    }
}
