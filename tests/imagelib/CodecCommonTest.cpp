// What every built-in codec shares: round trips through the dispatch with probing, empty images,
// full disks and cut files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "imagelib/codecs/CodecTable.h"
#include "imagelib/codecs/PixImageBMP.h"
#include "imagelib/codecs/PixImageGIF.h"
#include "imagelib/codecs/PixImageICO.h"
#include "imagelib/codecs/PixImageJ2K.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "imagelib/codecs/PixImagePCX.h"
#include "imagelib/codecs/PixImagePNG.h"
#include "imagelib/codecs/PixImageTGA.h"
#include "imagelib/codecs/PixImageTIF.h"
#include "imagelib/codecs/PixImageWBMP.h"
#include "imagelib/codecs/PixImageWMF.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

const DWORD kFormats[] = {PIXFORMAT_BMP, PIXFORMAT_JPG, PIXFORMAT_PNG, PIXFORMAT_GIF,
                          PIXFORMAT_ICO, PIXFORMAT_TGA, PIXFORMAT_PCX, PIXFORMAT_WBMP};

} // namespace

TEST(CodecCommonTest, RoundTripsEveryDepthEachCodecWritesAndProbesItBack) {
    struct Case {
        DWORD type;
        DWORD bpp;
        DWORD option; // the codec's option (PNG: interlace)
        bool alpha;
        int tolerance;
    };
    const Case cases[] = {
        {PIXFORMAT_BMP, 1, 0, false, 0}, {PIXFORMAT_BMP, 4, 0, false, 0}, {PIXFORMAT_BMP, 8, 0, false, 0},
        {PIXFORMAT_BMP, 24, 0, false, 0}, {PIXFORMAT_PNG, 1, 0, false, 0}, {PIXFORMAT_PNG, 4, 0, false, 0},
        {PIXFORMAT_PNG, 8, 0, false, 0}, {PIXFORMAT_PNG, 24, 0, false, 0}, {PIXFORMAT_PNG, 1, 1, false, 0},
        {PIXFORMAT_PNG, 4, 1, false, 0}, {PIXFORMAT_PNG, 8, 1, false, 0}, {PIXFORMAT_PNG, 24, 1, false, 0},
        {PIXFORMAT_PNG, 24, 0, true, 0}, {PIXFORMAT_JPG, 8, 0, false, 12}, {PIXFORMAT_JPG, 24, 0, false, 12},
        {PIXFORMAT_GIF, 1, 0, false, 0}, {PIXFORMAT_GIF, 4, 1, false, 0}, {PIXFORMAT_GIF, 8, 2, false, 0},
        {PIXFORMAT_ICO, 1, 0, false, 0}, {PIXFORMAT_ICO, 4, 0, false, 0}, {PIXFORMAT_ICO, 8, 0, false, 0},
        {PIXFORMAT_ICO, 24, 0, false, 0}, {PIXFORMAT_ICO, 24, 0, true, 0}, {PIXFORMAT_TGA, 8, 0, false, 0},
        {PIXFORMAT_TGA, 24, 0, false, 0}, {PIXFORMAT_TGA, 24, 0, true, 0}, {PIXFORMAT_PCX, 1, 0, false, 0},
        {PIXFORMAT_PCX, 4, 0, false, 0}, {PIXFORMAT_PCX, 8, 0, false, 0}, {PIXFORMAT_PCX, 24, 0, false, 0},
        {PIXFORMAT_PCX, 24, 0, true, 0}, {PIXFORMAT_WBMP, 1, 0, false, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.type << ", " << c.bpp << " bpp, option " << c.option
                                        << (c.alpha ? ", alpha" : ""));
        CPixImage src = Picture(c.bpp, c.tolerance > 0);
        src.SetXDPI(150);
        src.SetYDPI(120);
        src.SetCodecOption(c.option, c.type);
        if (c.alpha) {
            src.AlphaCreate();
            ForEachPixel(src, [&](long x, long y) { src.AlphaSet(x, y, static_cast<BYTE>(x * 19 + y)); });
        }
        // Saved to a file and loaded under a wrong name: probing must find the codec that wrote it.
        const std::string path = dir.File("picture");
        ASSERT_TRUE(src.Save(path.c_str(), c.type)) << src.GetLastError();
        CPixImage back;
        ASSERT_TRUE(back.Load(path.c_str(), c.type == PIXFORMAT_JPG ? PIXFORMAT_BMP : PIXFORMAT_JPG))
            << back.GetLastError();
        EXPECT_EQ(back.GetType(), c.type);
        ASSERT_EQ(back.GetBpp(), c.bpp);
        ASSERT_EQ(back.GetWidth(), 13u);
        ASSERT_EQ(back.GetHeight(), 9u);
        // Formats without a resolution field, or whose palette is fixed (black and white), keep
        // only what they store.
        const bool keepsDpi = c.type == PIXFORMAT_BMP || c.type == PIXFORMAT_JPG || c.type == PIXFORMAT_PNG ||
                              c.type == PIXFORMAT_PCX;
        const bool keepsPalette = c.type != PIXFORMAT_WBMP && !(c.type == PIXFORMAT_PCX && c.bpp == 1);
        EXPECT_EQ(back.GetXDPI(), keepsDpi ? 150 : 96);
        EXPECT_EQ(back.GetYDPI(), keepsDpi ? 120 : 96);
        EXPECT_EQ(back.GetCodecOption(c.type), c.type == PIXFORMAT_PNG ? c.option : 0u);
        if (keepsPalette) {
            EXPECT_LE(MaxDifference(src, back), c.tolerance);
        }
        if (c.bpp <= 8 && c.tolerance == 0) {
            ForEachPixel(src, [&](long x, long y) { ASSERT_EQ(back.GetPixelIndex(x, y), src.GetPixelIndex(x, y)); });
        }
        EXPECT_TRUE(c.tolerance == 0 || c.bpp == 24 || back.IsGrayScale());
        ASSERT_EQ(back.AlphaIsValid(), c.alpha);
        if (c.alpha) {
            ForEachPixel(src, [&](long x, long y) { ASSERT_EQ(back.AlphaGet(x, y), src.AlphaGet(x, y)); });
        }
    }
}

TEST(CodecCommonTest, EveryCodecRefusesAnEmptyImageAndReportsAFullDisk) {
    const char* fullDisk[] = {"Write error", "Output file write error --- out of disk space?",
                              "Error saving PNG file", "Write Error in GIF file", "Write error",
                              "Write error", "cannot write PCX header", "Write error"};
    for (size_t i = 0; i < std::size(kFormats); ++i) {
        const PixCodecEntry* entry = PixFindCodec(kFormats[i]);
        ASSERT_NE(entry, nullptr) << kFormats[i];
        auto codec = entry->create();
        CPixMemFile mem;
        mem.Open();
        EXPECT_FALSE(entry->encode(*codec, &mem, kFormats[i]));
        EXPECT_STREQ(codec->GetLastError(), "null image!!!") << kFormats[i];

        FILE* full = std::fopen("/dev/full", "wb");
        if (!full)
            continue;
        // Unbuffered: the codec's own write fails, not only the final flush.
        std::setvbuf(full, nullptr, _IONBF, 0);
        CPixImage img(64, 64, kFormats[i] == PIXFORMAT_WBMP ? 1 : 24);
        EXPECT_FALSE(img.Encode(full, kFormats[i])) << kFormats[i];
        EXPECT_STREQ(img.GetLastError(), fullDisk[i]) << kFormats[i];
        std::fclose(full);
    }
}

TEST(CodecCommonTest, FilesCutAnywhereDecodeSafely) {
    // Checked for leaks and bad reads under the sanitizers; only a GIF (whose code streams may
    // end early) and an icon (whose mask may be missing) may decode once cut, and only past
    // their pictures' headers.
    for (DWORD type : {PIXFORMAT_BMP, PIXFORMAT_PNG, PIXFORMAT_GIF, PIXFORMAT_ICO, PIXFORMAT_TGA, PIXFORMAT_PCX,
                       PIXFORMAT_WBMP}) {
        CPixImage src = Picture(type == PIXFORMAT_WBMP ? 1 : 8, false);
        const Bytes file = EncodeAs(src, type);
        for (size_t n = 0; n < file.size(); ++n) {
            CPixImage part;
            Bytes cut(file.begin(), file.begin() + static_cast<long>(n));
            const bool ok = part.Decode(cut.data(), static_cast<DWORD>(cut.size()), type);
            if (n < 40 || (type != PIXFORMAT_GIF && type != PIXFORMAT_ICO)) {
                EXPECT_FALSE(ok) << type << " cut at " << n;
            }
            EXPECT_EQ(part.IsValid(), ok) << type << " cut at " << n;
        }
    }
}

TEST(CodecCommonTest, ProbingFindsTheFormatOfEveryVariantOfTheSeedFiles) {
    const struct {
        const char* folder;
        DWORD type;
    } formats[] = {{"fuzz_bmp", PIXFORMAT_BMP},  {"fuzz_png", PIXFORMAT_PNG}, {"fuzz_jpeg", PIXFORMAT_JPG},
                   {"fuzz_gif", PIXFORMAT_GIF},  {"fuzz_ico", PIXFORMAT_ICO}, {"fuzz_tga", PIXFORMAT_TGA},
                   {"fuzz_pcx", PIXFORMAT_PCX},  {"fuzz_wbmp", PIXFORMAT_WBMP}};
    for (const auto& f : formats) {
        const std::filesystem::path folder = std::filesystem::path(PICREEL_SOURCE_DIR) / "fuzz/corpus" / f.folder;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            CPixImage img;
            ASSERT_TRUE(img.Load(e.path().c_str(), PIXFORMAT_UNKNOWN)) << e.path() << ": " << img.GetLastError();
            EXPECT_EQ(img.GetType(), f.type) << e.path();
        }
    }
}

namespace {

// The shortest placeable metafile: a 32 x 16 unit box at 96 units per inch, no records.
Bytes TinyWmf() {
    Bytes b;
    PutLE(b, 0x9AC6CDD7, 4);
    for (uint32_t v : {0u, 0u, 0u, 32u, 16u, 96u, 0u, 0u})
        PutLE(b, v, 2);
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        sum ^= static_cast<uint16_t>(b[i] | (b[i + 1] << 8));
    PutLE(b, sum, 2);
    for (uint32_t v : {1u, 9u, 0x300u, 12u, 0u, 0u, 3u, 0u, 0u}) // header, then the end record
        PutLE(b, v, 2);
    PutLE(b, 3, 4);
    PutLE(b, 0, 2);
    return b;
}

// A file of every format, as the library writes it (a metafile as made above).
Bytes FileOf(DWORD type) {
    if (type == PIXFORMAT_WMF)
        return TinyWmf();
    CPixImage src = Picture(type == PIXFORMAT_WBMP ? 1 : type == PIXFORMAT_PGX ? 8 : 24, type == PIXFORMAT_PGX);
    return EncodeAs(src, type);
}

} // namespace

TEST(CodecCommonTest, ADecodedPictureTakesNoTransparencyFromTheImageItReplaces) {
    TempDir dir;
    for (DWORD type = PIXFORMAT_BMP; type < PIXMAX_FORMATS; ++type) {
        SCOPED_TRACE(testing::Message() << "format " << type);
        const Bytes file = FileOf(type);
        const std::string path = dir.File("picture");
        WriteFileBytes(path, std::string(file.begin(), file.end()));
        // The image held a transparent GIF-like picture before.
        CPixImage img = Picture(8, false);
        img.SetTransIndex(3);
        img.SetTransColor(Quad(1, 2, 3));
        img.AlphaPaletteEnable(true);
        ASSERT_TRUE(img.Load(path.c_str(), type)) << img.GetLastError();
        EXPECT_EQ(img.GetType(), type);
        EXPECT_EQ(img.GetTransIndex(), -1);
        EXPECT_EQ(Rgb(img.GetTransColor()), RGB(0, 0, 0));
        EXPECT_FALSE(img.AlphaPaletteIsEnabled());

        // A codec object used on its own forgets what it decoded before, too.
        const PixCodecEntry* entry = PixFindCodec(type);
        ASSERT_NE(entry, nullptr);
        std::unique_ptr<CPixImage> codec = entry->create();
        codec->Copy(img);
        codec->SetTransIndex(3);
        codec->SetTransColor(Quad(1, 2, 3));
        codec->AlphaPaletteEnable(true);
        Bytes bytes = file;
        CPixMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
        ASSERT_TRUE(entry->decode(*codec, &mem, type)) << codec->GetLastError();
        EXPECT_EQ(codec->GetTransIndex(), -1);
        EXPECT_EQ(Rgb(codec->GetTransColor()), RGB(0, 0, 0));
        EXPECT_FALSE(codec->AlphaPaletteIsEnabled());
    }
}

namespace {

// One codec class called through its FILE forms.
struct FileCase {
    const char* name;
    DWORD bpp;
    int tolerance;                                       // -1: only success is checked
    std::function<bool(CPixImage& src, FILE* f)> encode; // a codec object holding src writes it
    std::function<bool(CPixImage& out, FILE* f)> decode; // a codec object reads, out takes the result
};

template <class Codec>
bool TakeFrom(CPixImage& out, Codec& codec, bool ok) {
    out.Transfer(codec);
    return ok;
}

template <class Codec>
FileCase Plain(const char* name, DWORD bpp, int tolerance = 0) {
    return {name, bpp, tolerance, [](CPixImage& src, FILE* f) { Codec c; c.Copy(src); return c.Encode(f); },
            [](CPixImage& out, FILE* f) { Codec c; return TakeFrom(out, c, c.Decode(f)); }};
}

FileCase Family(const char* name, DWORD type, DWORD bpp, int tolerance) {
    return {name, bpp, tolerance,
            [type](CPixImage& src, FILE* f) { CPixImageJ2K c; c.Copy(src); return c.Encode(f, type); },
            [type](CPixImage& out, FILE* f) { CPixImageJ2K c; return TakeFrom(out, c, c.Decode(f, type)); }};
}

// Reads page `frame` of a file that must have `frames` pages.
template <class Codec>
bool PageOf(CPixImage& out, FILE* f, int frame, int frames) {
    Codec c;
    c.SetFrame(frame);
    return TakeFrom(out, c, c.Decode(f) && c.GetNumFrames() == frames);
}

// Two pages of the picture through the codec's many-image encode; page 1 read back.
template <class Codec>
FileCase Pages(const char* name) {
    return {name, 8, 0,
            [](CPixImage& src, FILE* f) {
                CPixImage* pages[] = {&src, &src};
                Codec c;
                return c.Encode(f, pages, 2);
            },
            [](CPixImage& out, FILE* f) { return PageOf<Codec>(out, f, 1, 2); }};
}

} // namespace

TEST(CodecCommonTest, EveryCodecReadsAndWritesThroughAFileOfTheCaller) {
    const FileCase cases[] = {
        Plain<CPixImageBMP>("BMP", 8),
        Plain<CPixImageJPG>("JPEG", 24, 12),
        Plain<CPixImagePNG>("PNG", 24),
        Plain<CPixImageGIF>("GIF", 8),
        Pages<CPixImageGIF>("GIF pages"),
        Plain<CPixImageICO>("ICO", 8),
        Plain<CPixImageTIF>("TIFF", 8),
        // Every appended page comes through a wrapper of its own.
        {"TIFF appended", 8, 0,
         [](CPixImage& src, FILE* f) {
             CPixImageTIF c;
             c.Copy(src);
             return c.Encode(f, true) && c.Encode(f, true) && c.Encode(f, false);
         },
         [](CPixImage& out, FILE* f) { return PageOf<CPixImageTIF>(out, f, 2, 3); }},
        Pages<CPixImageTIF>("TIFF pages"),
        Plain<CPixImageTGA>("TGA", 24),
        Plain<CPixImagePCX>("PCX", 8),
        Plain<CPixImageWBMP>("WBMP", 1, -1),
        // Metafiles are only read: the refusal comes through the FILE form too.
        {"WMF", 24, -1,
         [](CPixImage& src, FILE* f) {
             CPixImageWMF c;
             c.Copy(src);
             if (c.Encode(f) || !f || std::strcmp(c.GetLastError(), "Save WMF not supported") != 0)
                 return false;
             const Bytes wmf = TinyWmf();
             return std::fwrite(wmf.data(), 1, wmf.size(), f) == wmf.size();
         },
         [](CPixImage& out, FILE* f) { CPixImageWMF c; return TakeFrom(out, c, c.Decode(f, 64, 32)); }},
        Family("JP2", PIXFORMAT_JP2, 24, 16),
        Family("JPC", PIXFORMAT_JPC, 24, 16),
        Family("PGX", PIXFORMAT_PGX, 8, 0),
        Family("PNM", PIXFORMAT_PNM, 24, 0),
        Family("RAS", PIXFORMAT_RAS, 24, 0),
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        CPixImage src = Picture(c.bpp, c.tolerance != 0 || c.name == std::string("PGX"));
        FILE* f = std::tmpfile();
        ASSERT_NE(f, nullptr);
        ASSERT_TRUE(c.encode(src, f));
        ASSERT_GT(std::ftell(f), 0);
        std::rewind(f);
        CPixImage back;
        ASSERT_TRUE(c.decode(back, f)) << back.GetLastError();
        // The FILE stays the caller's: still open where the codec left it.
        EXPECT_GT(std::ftell(f), 0);
        EXPECT_EQ(std::fclose(f), 0);
        if (c.tolerance >= 0) {
            ASSERT_EQ(back.GetWidth(), src.GetWidth());
            ASSERT_EQ(back.GetHeight(), src.GetHeight());
            EXPECT_LE(MaxDifference(src, back), c.tolerance);
        } else {
            EXPECT_TRUE(back.IsValid());
        }
        // A full disk that shows only when the caller's buffered FILE is flushed is no success.
        if (FILE* full = std::fopen("/dev/full", "wb"); full && c.name != std::string("WMF")) {
            EXPECT_FALSE(c.encode(src, full));
            std::fclose(full);
        }
        CPixImage none;
        EXPECT_FALSE(c.encode(src, nullptr));
        EXPECT_FALSE(c.decode(none, nullptr));
        EXPECT_FALSE(none.IsValid());
    }
    CPixImageJPG jpg;
    EXPECT_FALSE(jpg.DecodeExif(static_cast<FILE*>(nullptr)));
    // The dispatch refuses a null FILE as it refuses a null stream.
    CPixImage img = Picture(8, false);
    EXPECT_FALSE(img.Encode(static_cast<FILE*>(nullptr), PIXFORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "null file handler");
    EXPECT_FALSE(img.Decode(static_cast<FILE*>(nullptr), PIXFORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "null file handler");
    EXPECT_TRUE(img.IsValid());
}
