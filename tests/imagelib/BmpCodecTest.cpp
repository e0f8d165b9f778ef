#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixImageBMP.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A BMP file (or bare DIB) put together field by field.
struct BmpSpec {
    bool fileHeader = true;
    uint32_t headerSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t ppm = 3780;
    uint32_t clrUsed = 0;
    Bytes afterHeader; // masks, palette
    Bytes pixels;
};

Bytes MakeBmp(const BmpSpec& s) {
    Bytes info;
    if (s.headerSize == 12) {
        Put32(info, 12);
        Put16(info, static_cast<uint32_t>(s.width));
        Put16(info, static_cast<uint32_t>(s.height));
        Put16(info, 1);
        Put16(info, s.bpp);
    } else {
        Put32(info, s.headerSize);
        Put32(info, static_cast<uint32_t>(s.width));
        Put32(info, static_cast<uint32_t>(s.height));
        Put16(info, 1);
        Put16(info, s.bpp);
        Put32(info, s.compression);
        Put32(info, s.sizeImage);
        Put32(info, static_cast<uint32_t>(s.ppm));
        Put32(info, static_cast<uint32_t>(s.ppm));
        Put32(info, s.clrUsed);
        Put32(info, 0);
        info.resize(s.headerSize, 0);
    }
    Bytes out;
    if (s.fileHeader) {
        const uint32_t off = 14 + static_cast<uint32_t>(info.size() + s.afterHeader.size());
        out.push_back('B');
        out.push_back('M');
        Put32(out, off + static_cast<uint32_t>(s.pixels.size()));
        Put32(out, 0);
        Put32(out, off);
    }
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), s.afterHeader.begin(), s.afterHeader.end());
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

bool DecodeBytes(CPixImageBMP& img, Bytes bytes) {
    CPixMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
    return img.Decode(&mem);
}

Bytes EncodeBytes(CPixImageBMP& img) {
    CPixMemFile mem;
    mem.Open();
    EXPECT_TRUE(img.Encode(&mem)) << img.GetLastError();
    const long size = mem.Size();
    BYTE* p = mem.GetBuffer(false);
    return Bytes(p, p + size);
}

RGBQUAD Quad(BYTE r, BYTE g, BYTE b) {
    RGBQUAD q;
    q.rgbRed = r;
    q.rgbGreen = g;
    q.rgbBlue = b;
    return q;
}

void ExpectColor(CPixImage& img, long x, long y, BYTE r, BYTE g, BYTE b) {
    const RGBQUAD c = img.GetPixelColor(x, y, false);
    EXPECT_EQ(c.rgbRed, r) << "at " << x << "," << y;
    EXPECT_EQ(c.rgbGreen, g) << "at " << x << "," << y;
    EXPECT_EQ(c.rgbBlue, b) << "at " << x << "," << y;
}

} // namespace

TEST(BmpCodecTest, RoundTripsEveryDepthItWrites) {
    for (DWORD bpp : {1u, 4u, 8u, 24u}) {
        CPixImageBMP src;
        ASSERT_TRUE(src.Create(7, 5, bpp, 1));
        src.SetXDPI(300);
        if (bpp <= 8) {
            const DWORD n = src.GetNumColors();
            for (DWORD i = 0; i < n; ++i)
                src.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3));
        }
        for (long y = 0; y < 5; ++y)
            for (long x = 0; x < 7; ++x) {
                if (bpp <= 8)
                    src.SetPixelIndex(x, y, static_cast<BYTE>((x * 5 + y * 3) % src.GetNumColors()));
                else
                    src.SetPixelColor(x, y, Quad(static_cast<BYTE>(x * 30), static_cast<BYTE>(y * 50), static_cast<BYTE>(x + y)));
            }
        const Bytes file = EncodeBytes(src);
        CPixImageBMP back;
        ASSERT_TRUE(DecodeBytes(back, file)) << back.GetLastError();
        ASSERT_EQ(back.GetBpp(), bpp);
        EXPECT_EQ(back.GetWidth(), 7u);
        EXPECT_EQ(back.GetHeight(), 5u);
        EXPECT_EQ(back.GetXDPI(), 300);
        EXPECT_EQ(back.GetType(), 1u);
        for (long y = 0; y < 5; ++y)
            for (long x = 0; x < 7; ++x) {
                const RGBQUAD a = src.GetPixelColor(x, y, false), b = back.GetPixelColor(x, y, false);
                EXPECT_EQ(std::memcmp(&a, &b, 3), 0) << bpp << " bpp at " << x << "," << y;
            }
    }
}

TEST(BmpCodecTest, EncodesFileHeaderAndRows) {
    CPixImageBMP img;
    ASSERT_TRUE(img.Create(3, 2, 24, 1));
    const Bytes file = EncodeBytes(img);
    ASSERT_EQ(file.size(), 14u + 40u + 24u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(file[10], 54);
    EXPECT_EQ(file[2], 78);

    CPixImageBMP empty;
    CPixMemFile mem;
    mem.Open();
    EXPECT_FALSE(empty.Encode(&mem));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
}

TEST(BmpCodecTest, ReadsBareDibTopDownAndCoreHeaders) {
    BmpSpec s;
    s.width = 2;
    s.height = 2;
    // bottom row: red, green; top row: blue, white
    s.pixels = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    CPixImageBMP up;
    ASSERT_TRUE(DecodeBytes(up, MakeBmp(s)));

    s.fileHeader = false;
    CPixImageBMP bare;
    ASSERT_TRUE(DecodeBytes(bare, MakeBmp(s))) << bare.GetLastError();
    ExpectColor(bare, 0, 0, 255, 0, 0);
    ExpectColor(bare, 1, 1, 255, 255, 255);

    BmpSpec t = s;
    t.fileHeader = true;
    t.height = -2;
    t.pixels = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    CPixImageBMP down;
    ASSERT_TRUE(DecodeBytes(down, MakeBmp(t)));
    ASSERT_EQ(down.GetHeight(), 2u);
    for (long y = 0; y < 2; ++y)
        for (long x = 0; x < 2; ++x) {
            const RGBQUAD a = up.GetPixelColor(x, y, false), b = down.GetPixelColor(x, y, false);
            EXPECT_EQ(std::memcmp(&a, &b, 3), 0);
        }

    // A 12-byte header with 3-byte palette entries: the whole file is shorter than 40 bytes.
    BmpSpec core;
    core.fileHeader = false;
    core.headerSize = 12;
    core.width = 2;
    core.bpp = 1;
    core.afterHeader = {10, 20, 30, 200, 150, 100}; // blue, green, red x2
    core.pixels = {0x40, 0, 0, 0};
    const Bytes coreFile = MakeBmp(core);
    ASSERT_LT(coreFile.size(), 40u);
    CPixImageBMP os2;
    ASSERT_TRUE(DecodeBytes(os2, coreFile)) << os2.GetLastError();
    EXPECT_EQ(os2.GetBpp(), 1);
    ExpectColor(os2, 0, 0, 30, 20, 10);
    ExpectColor(os2, 1, 0, 100, 150, 200);
    EXPECT_EQ(os2.GetPalette()[1].rgbReserved, 0);
}

TEST(BmpCodecTest, BitFieldsAndDeepPixels) {
    BmpSpec s;
    s.width = 2;
    s.bpp = 16;
    Put16(s.pixels, 0x7C00); // 5-5-5 red
    Put16(s.pixels, 0x03E0); // green
    CPixImageBMP img555;
    ASSERT_TRUE(DecodeBytes(img555, MakeBmp(s)));
    EXPECT_EQ(img555.GetBpp(), 24);
    ExpectColor(img555, 0, 0, 248, 0, 0);
    ExpectColor(img555, 1, 0, 0, 248, 0);

    s.compression = 3;
    Put32(s.afterHeader, 0xF800);
    Put32(s.afterHeader, 0x07E0);
    Put32(s.afterHeader, 0x001F);
    s.pixels.clear();
    Put16(s.pixels, 0x07E0); // full 6-bit green
    Put16(s.pixels, 0x0020); // lowest green step
    CPixImageBMP img565;
    ASSERT_TRUE(DecodeBytes(img565, MakeBmp(s)));
    ExpectColor(img565, 0, 0, 0, 252, 0);
    ExpectColor(img565, 1, 0, 0, 4, 0);

    // Masks from a file are sanitised: zero, out of range or with gaps give defined colours.
    s.afterHeader.clear();
    Put32(s.afterHeader, 0);
    Put32(s.afterHeader, 0xFFFF0000u);
    Put32(s.afterHeader, 0x0505);
    CPixImageBMP odd;
    ASSERT_TRUE(DecodeBytes(odd, MakeBmp(s)));
    ExpectColor(odd, 0, 0, 0, 0, 0);

    BmpSpec d;
    d.width = 1;
    d.bpp = 32;
    d.pixels = {1, 2, 3, 4};
    CPixImageBMP img32;
    ASSERT_TRUE(DecodeBytes(img32, MakeBmp(d)));
    EXPECT_EQ(img32.GetBpp(), 24);
    EXPECT_FALSE(img32.AlphaIsValid());
    ExpectColor(img32, 0, 0, 3, 2, 1);

    // 32-bit fields in red-green-blue-alpha order are honoured.
    d.compression = 3;
    Put32(d.afterHeader, 0x000000FF);
    Put32(d.afterHeader, 0x0000FF00);
    Put32(d.afterHeader, 0x00FF0000);
    CPixImageBMP rgba;
    ASSERT_TRUE(DecodeBytes(rgba, MakeBmp(d)));
    ExpectColor(rgba, 0, 0, 1, 2, 3);

    // A version-5 header carries its masks inside.
    BmpSpec v5;
    v5.headerSize = 124;
    v5.bpp = 32;
    v5.compression = 3;
    v5.pixels = {9, 8, 7, 6};
    Bytes bytes = MakeBmp(v5);
    const uint8_t masks[12] = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    std::memcpy(bytes.data() + 14 + 40, masks, 12);
    CPixImageBMP fromV5;
    ASSERT_TRUE(DecodeBytes(fromV5, bytes)) << fromV5.GetLastError();
    ExpectColor(fromV5, 0, 0, 7, 8, 9);
}

TEST(BmpCodecTest, RefusesWhatItCannotDecode) {
    struct Case {
        uint16_t bpp;
        uint32_t compression;
        const char* text;
    };
    const Case cases[] = {
        {24, 1, "unknown compression"},
        {32, 2, "unknown compression"},
        {16, 1, "unknown compression"},
        {4, 1, "compression type not supported"}, // RLE8 needs 8 bits
        {8, 2, "compression type not supported"}, // RLE4 needs 4 bits
        {8, 3, "compression type not supported"},
        {2, 0, "bit count not supported"},
        {0, 0, "bit count not supported"},
        {64, 0, "bit count not supported"},
    };
    for (const Case& c : cases) {
        BmpSpec s;
        s.bpp = c.bpp;
        s.compression = c.compression;
        s.pixels.assign(64, 0);
        CPixImageBMP img;
        EXPECT_FALSE(DecodeBytes(img, MakeBmp(s))) << c.bpp << "/" << c.compression;
        EXPECT_STREQ(img.GetLastError(), c.text) << c.bpp << "/" << c.compression;
        EXPECT_FALSE(img.IsValid());
    }

    CPixImageBMP shortFile;
    EXPECT_FALSE(DecodeBytes(shortFile, Bytes{'B', 'M', 0, 0}));
    EXPECT_STREQ(shortFile.GetLastError(), "Not a BMP");

    BmpSpec odd;
    odd.headerSize = 50; // neither a known size nor a plain uncompressed file
    odd.compression = 3;
    CPixImageBMP oddHeader;
    EXPECT_FALSE(DecodeBytes(oddHeader, MakeBmp(odd)));
    EXPECT_STREQ(oddHeader.GetLastError(), "Error reading BMP info");

    BmpSpec noWidth;
    noWidth.width = -3;
    CPixImageBMP negative;
    EXPECT_FALSE(DecodeBytes(negative, MakeBmp(noWidth)));
    EXPECT_STREQ(negative.GetLastError(), "Error reading BMP info");

    Bytes truncated = MakeBmp(BmpSpec());
    truncated.resize(14 + 20);
    CPixImageBMP cut;
    EXPECT_FALSE(DecodeBytes(cut, truncated));
    EXPECT_STREQ(cut.GetLastError(), "Error reading BMP info");
}

TEST(BmpCodecTest, PaletteIsBoundedByTheImage) {
    BmpSpec s;
    s.bpp = 1;
    s.width = 8;
    s.clrUsed = 1000; // far more entries than a 1-bit image has
    for (uint32_t i = 0; i < 1000; ++i) Put32(s.afterHeader, i == 1 ? 0x00FF8040u : 0u);
    s.pixels = {0x80, 0, 0, 0};
    CPixImageBMP img;
    ASSERT_TRUE(DecodeBytes(img, MakeBmp(s))) << img.GetLastError();
    EXPECT_EQ(img.GetNumColors(), 2u);
    ExpectColor(img, 0, 0, 255, 128, 64);
    ExpectColor(img, 1, 0, 0, 0, 0);

    // Without a file header the extra entries are skipped to reach the rows.
    s.fileHeader = false;
    CPixImageBMP bare;
    ASSERT_TRUE(DecodeBytes(bare, MakeBmp(s)));
    ExpectColor(bare, 0, 0, 255, 128, 64);
}

TEST(BmpCodecTest, ExpandsRle8WithinTheImage) {
    BmpSpec s;
    s.bpp = 8;
    s.compression = 1;
    s.width = 4;
    s.height = 3;
    s.clrUsed = 256;
    for (int i = 0; i < 256; ++i) Put32(s.afterHeader, static_cast<uint32_t>(i * 0x010101));
    s.pixels = {
        3, 7,             // row 0: 7 7 7
        0, 0,             // end of line
        0, 3, 1, 2, 3, 0, // row 1: literal 1 2 3 (+ pad)
        0, 2, 1, 1,       // delta: row 2, x 4
        0, 0,             // ...end of line: row 3 is outside and never written
        0, 5, 9, 9, 9, 9, 9, 0, // literal on a row outside the image
        0, 1,             // end of bitmap
    };
    CPixImageBMP img;
    ASSERT_TRUE(DecodeBytes(img, MakeBmp(s))) << img.GetLastError();
    EXPECT_EQ(img.GetPixelIndex(0, 0), 7);
    EXPECT_EQ(img.GetPixelIndex(2, 0), 7);
    EXPECT_EQ(img.GetPixelIndex(3, 0), 0);
    EXPECT_EQ(img.GetPixelIndex(0, 1), 1);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 3);
    EXPECT_EQ(img.GetPixelIndex(0, 2), 0);

    // A literal longer than its row is cut at the row's end; a run past it ends the expansion.
    s.pixels = {0, 6, 1, 2, 3, 4, 5, 6, 0, 0, 9, 4, 0, 0, 2, 8};
    CPixImageBMP cut;
    ASSERT_TRUE(DecodeBytes(cut, MakeBmp(s)));
    EXPECT_EQ(cut.GetPixelIndex(3, 0), 4);
    EXPECT_EQ(cut.GetPixelIndex(0, 1), 4);
    EXPECT_EQ(cut.GetPixelIndex(3, 1), 4);
    EXPECT_EQ(cut.GetPixelIndex(0, 2), 0); // the run of 8 after it is dropped
}

TEST(BmpCodecTest, ExpandsRle4) {
    BmpSpec s;
    s.bpp = 4;
    s.compression = 2;
    s.width = 5;
    s.height = 2;
    for (int i = 0; i < 16; ++i) Put32(s.afterHeader, static_cast<uint32_t>(i * 0x111111));
    s.pixels = {
        5, 0x12,          // row 0: 1 2 1 2 1
        0, 0,
        0, 3, 0xAB, 0xC0, // row 1: literal A B C (two bytes: no pad)
        0, 1,
    };
    CPixImageBMP img;
    ASSERT_TRUE(DecodeBytes(img, MakeBmp(s))) << img.GetLastError();
    const BYTE row0[5] = {1, 2, 1, 2, 1};
    for (long x = 0; x < 5; ++x) EXPECT_EQ(img.GetPixelIndex(x, 0), row0[x]);
    EXPECT_EQ(img.GetPixelIndex(0, 1), 0xA);
    EXPECT_EQ(img.GetPixelIndex(1, 1), 0xB);
    EXPECT_EQ(img.GetPixelIndex(2, 1), 0xC);
    EXPECT_EQ(img.GetPixelIndex(3, 1), 0);
}

TEST(BmpCodecTest, SizeOnlyRequestAndResolution) {
    BmpSpec s;
    s.width = 5;
    s.height = -4;
    s.ppm = 2835;
    s.pixels.assign(16 * 4, 0);
    CPixImageBMP sizeOnly;
    sizeOnly.SetEscape(-1);
    EXPECT_TRUE(DecodeBytes(sizeOnly, MakeBmp(s)));
    EXPECT_FALSE(sizeOnly.IsValid());
    EXPECT_EQ(sizeOnly.GetWidth(), 5u);
    EXPECT_EQ(sizeOnly.GetHeight(), 4u);
    EXPECT_STREQ(sizeOnly.GetLastError(), "output dimensions returned");

    CPixImageBMP full;
    ASSERT_TRUE(DecodeBytes(full, MakeBmp(s)));
    EXPECT_EQ(full.GetXDPI(), 72);

    CPixImageBMP cancelled;
    cancelled.SetEscape(1);
    EXPECT_FALSE(DecodeBytes(cancelled, MakeBmp(s)));
    EXPECT_STREQ(cancelled.GetLastError(), "Cancelled");
}

TEST(BmpCodecTest, LoadsThroughTheDispatchWhateverTypeIsNamed) {
    TempDir dir;
    BmpSpec s;
    s.pixels = {1, 2, 3, 0};
    const Bytes bytes = MakeBmp(s);
    WriteFileBytes(dir.File("a.bmp"), std::string(bytes.begin(), bytes.end()));
    for (DWORD type : {0u, 1u, 3u, 16u}) {
        CPixImage img;
        ASSERT_TRUE(img.Load(dir.File("a.bmp").c_str(), type)) << type << ": " << img.GetLastError();
        EXPECT_EQ(img.GetType(), 1u);
        ExpectColor(img, 0, 0, 3, 2, 1);
    }
}

TEST(BmpCodecTest, DecodesTheSuiteCopies) {
    if (TestDataDir().empty()) GTEST_SKIP() << "no test data";
    const std::filesystem::path dir = std::filesystem::path(TestDataDir()) / "pngsuite" / "bmp";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no BMP copies";
    int count = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        CPixImageBMP img;
        FILE* f = std::fopen(e.path().c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(img.Decode(f)) << e.path() << ": " << img.GetLastError();
        std::fclose(f);
        EXPECT_EQ(img.GetBpp(), 24);
        ++count;
    }
    EXPECT_GT(count, 100);
}
