#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "imagelib/codecs/PixImageWMF.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace imgtest;

namespace {

void Put16(Bytes& b, int v) { PutLE(b, static_cast<uint32_t>(v) & 0xFFFF, 2); }
void Put32(Bytes& b, uint32_t v) { PutLE(b, v, 4); }

// A placeable metafile: bounding box in units of `inch` per inch, then the given records.
struct Wmf {
    Bytes records;
    int objects = 8;
    void Add(int fn, std::initializer_list<int> words, const Bytes& tail = {}) {
        const size_t size = 3 + words.size() + (tail.size() + 1) / 2;
        Put32(records, static_cast<uint32_t>(size));
        Put16(records, fn);
        for (int w : words) Put16(records, w);
        Bytes t = tail;
        if (t.size() % 2) t.push_back(0);
        records.insert(records.end(), t.begin(), t.end());
    }
    Bytes Build(int left, int top, int right, int bottom, int inch = 96, int checksumFix = 0, int lengthFix = 0) const {
        Bytes b;
        Put32(b, 0x9AC6CDD7);
        Put16(b, 0);
        for (int v : {left, top, right, bottom}) Put16(b, v);
        Put16(b, inch);
        Put32(b, 0);
        uint16_t sum = 0;
        for (size_t i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(b[i] | (b[i + 1] << 8));
        Put16(b, sum ^ checksumFix);
        const uint32_t words = static_cast<uint32_t>(9 + records.size() / 2 + 3) + lengthFix;
        // Type, header words, version, file words, objects, largest record, no parameters.
        for (int v : {1, 9, 0x300, static_cast<int>(words & 0xFFFF), static_cast<int>(words >> 16), objects, 64, 0, 0})
            Put16(b, v);
        b.insert(b.end(), records.begin(), records.end());
        Put32(b, 3); // end of file
        Put16(b, 0);
        return b;
    }
};

// An enhanced metafile with bounds (0, 0)-(w, h) and the given records.
struct Emf {
    Bytes records;
    uint32_t count = 0;
    void Add(uint32_t type, std::initializer_list<uint32_t> values, const Bytes& tail = {}) {
        Bytes t = tail;
        while (t.size() % 4) t.push_back(0);
        Put32(records, type);
        Put32(records, static_cast<uint32_t>(8 + values.size() * 4 + t.size()));
        for (uint32_t v : values) Put32(records, v);
        records.insert(records.end(), t.begin(), t.end());
        ++count;
    }
    Bytes Build(int w, int h, int bytesFix = 0) const {
        const uint32_t total = static_cast<uint32_t>(88 + records.size() + 20);
        const uint32_t uw = static_cast<uint32_t>(w), uh = static_cast<uint32_t>(h);
        Bytes b;
        // Type, size, bounds, frame (0.01 mm), signature, version, bytes, records, handles, no
        // description and no palette, then the reference device in pixels and in mm.
        for (uint32_t v : {1u, 88u, 0u, 0u, uw, uh, 0u, 0u, uw * 26, uh * 26, 0x464D4520u, 0x10000u,
                           total + bytesFix, count + 2, 8u, 0u, 0u, 0u, 1920u, 1080u, 508u, 286u})
            Put32(b, v);
        b.insert(b.end(), records.begin(), records.end());
        for (uint32_t v : {14u, 20u, 0u, 0u, 20u}) Put32(b, v); // end of file
        return b;
    }
};

uint32_t F(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

// Share of pixels in a shown rectangle that are not white.
double Ink(CPixImage& img, long x0, long y0, long x1, long y1) {
    long n = 0, ink = 0;
    for (long y = y0; y < y1; ++y)
        for (long x = x0; x < x1; ++x, ++n) ink += Shown(img, x, y) != RGB(255, 255, 255);
    return n ? double(ink) / n : 0;
}

// A 2 x 2 DIB, bottom-up, 24 bits: red, green over blue, white.
Bytes Dib2x2() {
    Bytes b;
    for (uint32_t v : {40u, 2u, 2u}) Put32(b, v);
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    b.insert(b.end(), {255, 0, 0, 255, 255, 255, 0, 0}); // bottom row: blue, white
    b.insert(b.end(), {0, 0, 255, 0, 255, 0, 0, 0});     // top row: red, green
    return b;
}

} // namespace

TEST(WmfCodecTest, PlacesShapesTextAndBitmapsOfAPlaceableMetafile) {
    Wmf w;
    w.Add(0x02FC, {0, 0x00FF, 0x0000, 0});                  // brush 0: red (COLORREF 0x0000FF)
    w.Add(0x02FA, {5, 0, 0, 0, 0});                         // pen 1: null
    w.Add(0x012D, {0});
    w.Add(0x012D, {1});
    w.Add(0x041B, {50, 100, 0, 0});                         // rectangle (0,0)-(100,50): left half, top half
    w.Add(0x02FC, {0, 0xFF00, 0x0000, 0});                  // brush 2: green
    w.Add(0x012D, {2});
    w.Add(0x001E, {});                                      // save
    w.Add(0x0416, {100, 200, 50, 150});                     // clip (150,50)-(200,100)
    w.Add(0x041B, {100, 200, 50, 100});                     // rectangle (100,50)-(200,100), clipped
    w.Add(0x0127, {-1});                                    // restore: no clip
    w.Add(0x0418, {100, 100, 60, 0});                       // ellipse (0,60)-(100,100)
    w.Add(0x0209, {0, 0});                                  // text colour black
    w.Add(0x02FB, {-20, 0, 0, 0, 700, 0, 0, 0, 0}, Bytes{'A', 'r', 'i', 'a', 'l', 0});
    w.Add(0x012D, {3});
    w.Add(0x0521, {3, 'W' | ('W' << 8), 'W', 5, 110});     // "WWW" at (110, 5)
    const Bytes dib = Dib2x2();
    w.Add(0x0F43, {0x0020, 0x00CC, 0, 2, 2, 0, 0, 20, 20, 0, 170}, dib); // the DIB into (170,0)-(190,20)
    CPixImageWMF img;
    const Bytes file = w.Build(0, 0, 200, 200);
    ASSERT_TRUE(DecodeBytes(img, file)) << img.GetLastError();
    ASSERT_EQ(img.GetWidth(), 200u);
    EXPECT_EQ(img.GetBpp(), 24u);
    EXPECT_EQ(Shown(img, 50, 25), RGB(255, 0, 0));
    EXPECT_EQ(Shown(img, 175, 75), RGB(0, 255, 0));         // inside the clip
    EXPECT_EQ(Shown(img, 125, 75), RGB(255, 255, 255));     // clipped away
    EXPECT_EQ(Shown(img, 50, 80), RGB(0, 255, 0));           // ellipse centre
    EXPECT_EQ(Shown(img, 2, 62), RGB(255, 255, 255));        // outside the ellipse's corner
    EXPECT_GT(Ink(img, 110, 5, 160, 25), 0.1);               // text drawn
    EXPECT_LT(Ink(img, 110, 30, 160, 45), 0.01);
    EXPECT_EQ(Shown(img, 175, 5), RGB(255, 0, 0));           // DIB top-left: red
    EXPECT_EQ(Shown(img, 185, 5), RGB(0, 255, 0));
    EXPECT_EQ(Shown(img, 175, 15), RGB(0, 0, 255));
    EXPECT_EQ(Shown(img, 185, 15), RGB(255, 255, 255));
}

TEST(WmfCodecTest, SizesFromHeadersLimitsAndForcedSizes) {
    // The box (100, 50)-(300, 250) is the picture; a red square in its top-left quarter.
    Wmf w;
    w.Add(0x02FC, {0, 0x00FF, 0x0000, 0});
    w.Add(0x012D, {0});
    w.Add(0x041B, {150, 200, 50, 100});
    CPixImageWMF moved;
    ASSERT_TRUE(DecodeBytes(moved, w.Build(100, 50, 300, 250)));
    ASSERT_EQ(moved.GetWidth(), 200u);
    ASSERT_EQ(moved.GetHeight(), 200u);
    EXPECT_EQ(Shown(moved, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(Shown(moved, 98, 98), RGB(255, 0, 0));
    EXPECT_EQ(Shown(moved, 102, 50), RGB(255, 255, 255));
    EXPECT_EQ(Shown(moved, 50, 102), RGB(255, 255, 255));
    EXPECT_EQ(Shown(moved, 0, 199), RGB(255, 255, 255)); // the white fill reaches the first column

    // Sizes only: the longer side is held to 4000 pixels, neither side falls to 0.
    struct Size {
        int right, bottom, inch;
        DWORD width, height;
    };
    for (const Size& c : {Size{8000, 2000, 96, 4000, 1000}, Size{30000, 2, 96, 4000, 1}, Size{2540, 1270, 2540, 96, 48},
                         Size{20, 10, 1, 1920, 960}}) {
        CPixImageWMF img;
        img.SetEscape(-1);
        ASSERT_TRUE(DecodeBytes(img, Wmf{}.Build(0, 0, c.right, c.bottom, c.inch)));
        EXPECT_EQ(img.GetWidth(), c.width);
        EXPECT_EQ(img.GetHeight(), c.height);
    }
    CPixImageWMF forced;
    const Bytes file = w.Build(0, 0, 100, 100);
    CPixMemFile in(const_cast<BYTE*>(file.data()), static_cast<DWORD>(file.size()));
    ASSERT_TRUE(forced.Decode(&in, 1, 240));
    EXPECT_EQ(forced.GetWidth(), 1u);
    EXPECT_EQ(forced.GetHeight(), 240u);

    struct Case {
        const char* name;
        Bytes file;
        const char* text;
    };
    const Case cases[] = {
        {"wrong checksum", w.Build(0, 0, 10, 10, 96, 1), "corrupted WMF"},
        {"no units per inch", w.Build(0, 0, 10, 10, 0), "corrupted WMF"},
        {"2541 units per inch", w.Build(0, 0, 10, 10, 2541), "corrupted WMF"},
        {"longer than the file", w.Build(0, 0, 10, 10, 96, 0, 1000), "corrupted WMF"},
        {"upside-down box", w.Build(10, 10, 0, 0), "empty WMF"},
        {"empty box", w.Build(5, 5, 5, 9), "empty WMF"},
        {"nothing", Bytes(10, 0), "corrupted WMF"},
    };
    for (const Case& c : cases) {
        CPixImageWMF img;
        EXPECT_FALSE(DecodeBytes(img, c.file)) << c.name;
        EXPECT_STREQ(img.GetLastError(), c.text) << c.name;
        EXPECT_FALSE(img.IsValid()) << c.name;
    }
    CPixImageWMF save;
    EncodeBytes(save, false);
    EXPECT_STREQ(save.GetLastError(), "Save WMF not supported");
    EXPECT_FALSE(save.Encode(static_cast<CPixFile*>(nullptr)));
    EXPECT_FALSE(save.Decode(static_cast<CPixFile*>(nullptr)));
}

TEST(WmfCodecTest, HostileRecordsEndOrAreSkipped) {
    Wmf w;
    w.Add(0x02FC, {0, 0, 0, 0});                // brush 0: black
    w.Add(0x012D, {0});
    w.Add(0x012D, {9999});                      // select an object that is not there
    w.Add(0x0324, {30000, 0, 0});               // a polygon claiming 30000 points
    w.Add(0x0538, {60000, 1});                  // a poly-polygon claiming 60000 polygons
    w.Add(0x0127, {-50});                       // restore what was never saved
    w.Add(0x020C, {0, 0});                      // a window of no extent
    w.Add(0x0F43, {0x20, 0xCC, 0, 5000, 5000, 0, 0, 10, 10, 0, 0}, Bytes{40, 0, 0, 0});
    for (int i = 0; i < 20; ++i) w.Add(0x02FC, {0, 0, 0, 0}); // more objects than slots
    w.Add(0x041B, {10, 10, 0, 0});              // still drawn, black, after all that
    Bytes file = w.Build(0, 0, 20, 20);
    // A record of size 0 after the rectangle would loop forever if followed.
    const Bytes zero = {0, 0, 0, 0, 0x1B, 0x04};
    file.insert(file.end() - 6, zero.begin(), zero.end());
    CPixImageWMF img;
    ASSERT_TRUE(DecodeBytes(img, file)) << img.GetLastError();
    EXPECT_EQ(Shown(img, 5, 5), RGB(0, 0, 0));
}

TEST(WmfCodecTest, EnhancedMetafileRecords) {
    Emf e;
    e.Add(70, {16, 0x2B464D45, 0x4001, 16, 16, 0});        // an EMF+ comment: skipped
    e.Add(37, {0x80000004});                                // stock black brush
    e.Add(37, {0x80000008});                                // stock null pen
    e.Add(43, {0, 0, 50, 50});                              // rectangle (0,0)-(50,50)
    e.Add(39, {1, 0, 0x0000FF, 0});                         // brush 1: red
    e.Add(37, {1});
    e.Add(36, {F(2), F(0), F(0), F(2), F(100), F(0), 4});   // world: x2, moved right by 100
    e.Add(42, {0, 0, 25, 25});                              // ellipse -> (100,0)-(150,50)
    e.Add(36, {F(1), F(0), F(0), F(1), F(0), F(0), 1});     // back to identity
    e.Add(59, {});                                          // path: a rectangle, filled
    e.Add(43, {0, 60, 40, 100});
    e.Add(60, {});
    e.Add(62, {0, 0, 0, 0});
    const Bytes dib = Dib2x2();
    // StretchDIBits: bitmap of 2 x 2 into (160, 60)-(200, 100).
    e.Add(81, {0, 0, 0, 0, 160, 60, 0, 0, 2, 2, 80, 40, 120, 16, 0, 0x00CC0020, 40, 40}, dib);
    e.Add(24, {0});                                         // text colour black
    Bytes face;
    for (char ch : std::string("Arial")) face.insert(face.end(), {static_cast<uint8_t>(ch), 0});
    face.resize(64 + 8 + 24, 0);
    e.Add(82, {2, static_cast<uint32_t>(-20), 0, 0, 0, 700, 0, 0}, face); // font 2
    e.Add(37, {2});
    Bytes text = {'W', 0, 'W', 0, 'W', 0, 0, 0};
    e.Add(84, {0, 0, 0, 0, 1, F(1), F(1), 100, 110, 3, 76, 0, 0, 0, 0, 0, 0}, text);
    CPixImageWMF img;
    const Bytes file = e.Build(200, 150);
    ASSERT_TRUE(DecodeBytes(img, file)) << img.GetLastError();
    ASSERT_EQ(img.GetWidth(), 200u);
    ASSERT_EQ(img.GetHeight(), 150u);
    EXPECT_EQ(Shown(img, 25, 25), RGB(0, 0, 0));
    EXPECT_EQ(Shown(img, 125, 25), RGB(255, 0, 0));
    EXPECT_EQ(Shown(img, 101, 2), RGB(255, 255, 255));
    EXPECT_EQ(Shown(img, 20, 80), RGB(255, 0, 0));
    EXPECT_EQ(Shown(img, 165, 65), RGB(255, 0, 0));
    EXPECT_EQ(Shown(img, 195, 95), RGB(255, 255, 255));
    EXPECT_GT(Ink(img, 100, 110, 150, 130), 0.1);

    struct Case {
        const char* name;
        Bytes file;
    };
    Bytes badSignature = file;
    badSignature[40] = 'X';
    Bytes oddRecord = e.Build(20, 20);
    oddRecord[88 + 4] = 7; // first record 7 bytes long: the playing ends there
    oddRecord[12] = 5;     // bounds from y 5 to 20: 15 rows high
    const Case cases[] = {
        {"signature", badSignature},
        {"counts more bytes than there are", e.Build(20, 20, 400)},
        {"header cut", Bytes(file.begin(), file.begin() + 60)},
    };
    for (const Case& c : cases) {
        CPixImageWMF bad;
        EXPECT_FALSE(DecodeBytes(bad, c.file)) << c.name;
        EXPECT_STREQ(bad.GetLastError(), "corrupted WMF") << c.name;
    }
    CPixImageWMF stopped;
    EXPECT_TRUE(DecodeBytes(stopped, oddRecord));
    EXPECT_EQ(stopped.GetHeight(), 15u);
    EXPECT_EQ(Shown(stopped, 10, 10), RGB(255, 255, 255));
}

TEST(WmfCodecTest, BitmapSourcesFarOutsideTheBitmapDrawNothing) {
    const Bytes dib = Dib2x2();
    const uint32_t kFar = 0x80000000u; // the most negative source offset
    const uint32_t kCopy = 0x00CC0020u;
    struct Case {
        const char* name;
        uint32_t type, x, y;
    } cases[] = {
        {"StretchDIBits x", 81, kFar, 0},
        {"StretchDIBits y", 81, 0, kFar}, // counted from the bottom row, 2 - y - 2 passes 32 bits
        {"BitBlt y", 76, 0, kFar},
        {"StretchBlt x", 77, kFar, 0},
    };
    for (const Case& c : cases) {
        Emf e;
        // StretchDIBits: bounds, destination, source, source size, bitmap at 80, bits at 120, rop, size.
        // BitBlt: bounds, destination, size, rop, source, transform, colour, usage, bitmap at 100, bits
        // at 140; StretchBlt the same with the bitmap at 108 and the widest source size after it.
        const uint32_t one = F(1);
        if (c.type == 81)
            e.Add(81, {0, 0, 0, 0, 10, 10, c.x, c.y, 2, 2, 80, 40, 120, 16, 0, kCopy, 20, 20}, dib);
        else if (c.type == 76)
            e.Add(76, {0, 0, 0, 0, 10, 10, 20, 20, kCopy, c.x, c.y,
                       one, 0, 0, one, 0, 0, 0, 0, 100, 40, 140, 16}, dib);
        else
            e.Add(77, {0, 0, 0, 0, 10, 10, 20, 20, kCopy, c.x, c.y,
                       one, 0, 0, one, 0, 0, 0, 0, 108, 40, 148, 16, 0x7FFFFFFF, 2}, dib);
        e.Add(37, {0x80000004}); // stock black brush: the canvas still draws after the bitmap
        e.Add(43, {40, 0, 50, 50});
        CPixImageWMF img;
        ASSERT_TRUE(DecodeBytes(img, e.Build(50, 50))) << c.name << ": " << img.GetLastError();
        EXPECT_EQ(Shown(img, 10, 10), RGB(255, 255, 255)) << c.name;
        EXPECT_EQ(Shown(img, 45, 20), RGB(0, 0, 0)) << c.name;
    }
}
