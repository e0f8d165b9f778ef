#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixExifInfo.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "tests/imagelib/ExifTestBuilder.h"
#include "tests/imagelib/ImageTestUtil.h"

using namespace exiftest;
using ExifInfo = CPixImageJPG::CPixExifInfo;
using imgtest::EncodeBytes;

namespace {

constexpr uint16_t kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7;

Bytes SmallJpeg() {
    CPixImageJPG img;
    EXPECT_TRUE(img.Create(8, 8, 24, 3));
    return EncodeBytes(img);
}

// Reads a file through a reader over the given record; returns the reader's result.
bool Read(ExifInfo& reader, Bytes bytes, int mode = ExifInfo::kReadExif) {
    CPixMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
    return reader.DecodeExif(&mem, mode);
}

// A small JPEG file with the given sections after its SOI marker.
Bytes WithSections(const Bytes& sections) {
    return InsertAfterSoi(SmallJpeg(), sections);
}

// A typical camera block: main directory, EXIF directory, thumbnail directory.
std::vector<Dir> CameraDirs(const Block& b) {
    Bytes comment = Block::Text("ASCII", false);
    comment.insert(comment.end(), {0, 0, 0});
    const std::string text = "Hello there   ";
    comment.insert(comment.end(), text.begin(), text.end());
    const Dir main{{{0x010F, kAscii, 6, Block::Text("Canon")},
                    {0x0110, kAscii, 12, Block::Text("PowerShot A")},
                    {0x8769, kLong, 1, {}, 1}},
                   2};
    const Dir exif{{{0x9000, kUndefined, 4, Block::Text("0220", false)},
                    {0x9003, kAscii, 20, Block::Text("2004:05:06 07:08:09")},
                    {0x9286, kUndefined, static_cast<uint32_t>(comment.size()), comment}}};
    const Dir thumb{{{0x0201, kLong, 1, b.U32(8)}, {0x0202, kLong, 1, b.U32(4)}}};
    return {main, exif, thumb};
}

void ExpectCameraRecord(const CPixImageJPG::tag_ExifInfo& r) {
    EXPECT_TRUE(r.IsExif);
    EXPECT_STREQ(r.CameraMake, "Canon");
    EXPECT_STREQ(r.CameraModel, "PowerShot A");
    EXPECT_STREQ(r.Version, "0220");
    EXPECT_STREQ(r.DateTime, "2004:05:06 07:08:09");
    EXPECT_STREQ(r.Comments, "Hello there");
    EXPECT_EQ(r.ThumbnailSize, 4u);
    EXPECT_EQ(r.Width, 8);
    EXPECT_EQ(r.Height, 8);
    EXPECT_EQ(r.IsColor, 1);
    EXPECT_EQ(r.Process, 0xC0);
}

// A record field as a number, for tables of fields.
template <auto Member>
double F(const CPixImageJPG::tag_ExifInfo& r) {
    return r.*Member;
}

} // namespace

TEST(ExifInfoTest, ReadsCameraDataInBothByteOrdersAndCopiesStandAlone) {
    for (bool motorola : {false, true}) {
        Block b(motorola);
        ExifInfo copy;
        {
            ExifInfo reader;
            EXPECT_TRUE(Read(reader, WithSections(Block::App1(b.Build(CameraDirs(b)))))) << reader.GetLastError();
            ExpectCameraRecord(*reader.GetRecord());
            // The thumbnail lies inside the kept APP1 section, at its offset from "MM"/"II".
            ASSERT_EQ(reader.GetSection(0).type, 0xE1);
            EXPECT_EQ(reader.GetRecord()->ThumbnailPointer, reader.GetSection(0).data.data() + 8 + 8);
            copy = reader;
        }
        ExpectCameraRecord(*copy.GetRecord());
        EXPECT_EQ(copy.GetRecord()->ThumbnailPointer, copy.GetSection(0).data.data() + 16);
    }
}

TEST(ExifInfoTest, RefusesDamagedBlocksWithTheirTexts) {
    Block b(false);
    const Bytes camera = Block::App1(b.Build(CameraDirs(b)));
    auto patched = [&](size_t at, uint8_t v) {
        Bytes a = camera;
        a[at] = v;
        return a;
    };
    auto oneEntry = [&](const Entry& e) { return Block::App1(b.Build({Dir{{e}}})); };
    Bytes bigDir = b.Build({Dir{{{0x010F, kAscii, 6, Block::Text("Canon")}}}});
    bigDir[8] = 200; // entries running past the block
    Bytes cut = camera; // the section ends inside the directory
    cut.resize(30);
    cut[2] = 0;
    cut[3] = 28;
    const char* kBadOffset = "Illegal pointer offset value in EXIF.";
    const std::pair<Bytes, const char*> cases[] = {
        {patched(8, 1), "Incorrect Exif header"}, // "Exif" followed by a non-zero byte
        {patched(10, 'X'), "Invalid Exif alignment marker."},
        {patched(12, 41), "Invalid Exif start (1)"},
        {Block::App1(bigDir), "Illegally sized directory"},
        {oneEntry({0x010F, 13, 1, b.U32(0)}), "Illegal format code in EXIF dir"},
        // Huge counts: the byte size needs 64 bits and points far outside.
        {oneEntry({0x011A, kRational, 0xFFFFFFFFu, {}, -1, 8}), kBadOffset},
        {oneEntry({0x011A, kRational, 0x20000000u, {}, -1, 8}), kBadOffset},
        {oneEntry({0x011A, kRational, 100, {}, -1, 8}), kBadOffset},
        {oneEntry({0x010F, kAscii, 16, {}, -1, 0xFFFFFFF8u}), kBadOffset}, // offset + size wraps in 32 bits
        {oneEntry({0x8769, kLong, 1, {}, -1, 5000}), "Illegal subdirectory link"},
        {cut, "Illegally sized directory"},
        {Block::App1(b.Build({})), "Invalid Exif start (1)"}, // the header alone, no directory
    };
    const Bytes jpeg = SmallJpeg();
    for (const auto& [app1, text] : cases) {
        ExifInfo reader;
        Read(reader, InsertAfterSoi(jpeg, app1));
        EXPECT_FALSE(reader.GetRecord()->IsExif) << text;
        EXPECT_STREQ(reader.GetLastError(), text);
    }
}

TEST(ExifInfoTest, LoopingDirectoriesEnd) {
    Block b(true);
    // Main directory linking to itself, as EXIF directory and as next directory.
    const Dir self{{{0x010F, kAscii, 4, Block::Text("Foo")}, {0x8769, kLong, 1, {}, 0}}, 0};
    ExifInfo reader;
    EXPECT_TRUE(Read(reader, WithSections(Block::App1(b.Build({self})))));
    EXPECT_TRUE(reader.GetRecord()->IsExif);
    EXPECT_STREQ(reader.GetRecord()->CameraMake, "Foo");

    // Eight links are followed; a ninth is past the cap.
    for (size_t length : {9u, 10u, 200u}) {
        std::vector<Dir> chain(length);
        for (size_t i = 0; i + 1 < chain.size(); ++i)
            chain[i].next = static_cast<int>(i + 1);
        chain.back().entries.push_back({0x0112, kShort, 1, b.U16(5)});
        ExifInfo deep;
        EXPECT_TRUE(Read(deep, WithSections(Block::App1(b.Build(chain)))));
        EXPECT_EQ(deep.GetRecord()->Orientation, length == 9 ? 5 : 0) << length;
    }
}

TEST(ExifInfoTest, EachTagFillsItsFieldByItsRule) {
    using R = CPixImageJPG::tag_ExifInfo;
    constexpr uint16_t kByte = 1, kSByte = 6, kSShort = 8, kSLong = 9, kSRational = 10, kFloat = 11, kDouble = 12;
    for (bool motorola : {false, true}) {
        Block b(motorola);
        auto pad = [](Bytes v) { // a second component of zero
            v.resize(4, 0);
            return v;
        };
        auto sr = [&](int32_t n, int32_t d) { return b.Rational(static_cast<uint32_t>(n), static_cast<uint32_t>(d)); };
        // -2.5 as a double: its high word first in Motorola order, last in Intel order.
        const Bytes minus2p5 = motorola ? b.Rational(0xC0040000u, 0) : b.Rational(0, 0xC0040000u);
        const struct {
            std::vector<Entry> entries;
            double (*field)(const R&);
            double want;
            std::vector<Entry> sub = {}; // directory 1, reached only through a link
        } cases[] = {
            {{{0x011A, kRational, 1, b.Rational(180, 1)}}, F<&R::Xresolution>, 180},
            {{{0x011B, kRational, 1, b.Rational(300, 2)}}, F<&R::Yresolution>, 150},
            {{{0x920A, kRational, 1, b.Rational(54, 10)}}, F<&R::FocalLength>, 5.4},
            {{{0xA20F, kRational, 1, b.Rational(3000, 1)}}, F<&R::FocalplaneYRes>, 3000},
            {{{0x9206, kRational, 1, b.Rational(35, 10)}}, F<&R::Distance>, 3.5},
            {{{0x9203, kSRational, 1, sr(-3, 2)}}, F<&R::Brightness>, -1.5},
            {{{0x9204, kSRational, 1, sr(-2, 3)}}, F<&R::ExposureBias>, -2.0 / 3},
            {{{0x9207, kShort, 2, pad(b.U16(5))}}, F<&R::MeteringMode>, 5},
            {{{0x9208, kShort, 1, b.U16(10)}}, F<&R::LightSource>, 10},
            {{{0x8822, kShort, 1, b.U16(2)}}, F<&R::ExposureProgram>, 2},
            {{{0x9102, kRational, 1, b.Rational(5, 2)}}, F<&R::CompressionLevel>, 2},
            // APEX values count only when the direct value is missing: 1 / 2^v and 2^(v / 2).
            {{{0x9201, kSRational, 1, sr(7, 1)}}, F<&R::ExposureTime>, 1.0 / 128},
            {{{0x829A, kRational, 1, b.Rational(1, 60)}, {0x9201, kSRational, 1, sr(7, 1)}},
             F<&R::ExposureTime>, 1.0 / 60},
            {{{0x9202, kRational, 1, b.Rational(5, 1)}}, F<&R::ApertureFNumber>, std::pow(2.0, 2.5)},
            {{{0x9205, kRational, 1, b.Rational(3, 1)}}, F<&R::ApertureFNumber>, std::pow(2.0, 1.5)},
            {{{0x829D, kRational, 1, b.Rational(28, 10)}, {0x9205, kRational, 1, b.Rational(3, 1)}},
             F<&R::ApertureFNumber>, 2.8},
            // Units by the table; an unknown one leaves the field alone.
            {{{0x0128, kShort, 1, b.U16(2)}}, F<&R::ResolutionUnit>, 1},
            {{{0x0128, kShort, 1, b.U16(3)}}, F<&R::ResolutionUnit>, 0.3937007874},
            {{{0x0128, kShort, 1, b.U16(4)}}, F<&R::ResolutionUnit>, 0.03937},
            {{{0x0128, kShort, 1, b.U16(5)}}, F<&R::ResolutionUnit>, 0.0000394},
            {{{0x0128, kShort, 1, b.U16(6)}}, F<&R::ResolutionUnit>, 0},
            // Sensor width: the larger image side x unit factor / sensor resolution.
            {{{0xA002, kLong, 1, b.U32(1536)},
              {0xA003, kShort, 1, b.U16(2048)},
              {0xA20E, kRational, 1, b.Rational(1000, 1)},
              {0xA210, kShort, 1, b.U16(3)}},
             F<&R::CCDWidth>, 2048 * 0.3937007874 / 1000},
            // Speeds below 50 are old-style factors of 200; the flash fired when a low bit is set.
            {{{0x8827, kShort, 1, b.U16(50)}}, F<&R::ISOequivalent>, 50},
            {{{0x8827, kShort, 1, b.U16(2)}}, F<&R::ISOequivalent>, 400},
            {{{0x9209, kShort, 1, b.U16(0x18)}}, F<&R::FlashUsed>, 0},
            {{{0x9209, kShort, 1, b.U16(0x19)}}, F<&R::FlashUsed>, 1},
            {{{0x0112, kShort, 1, b.U16(8)}}, F<&R::Orientation>, 8},
            {{{0x0112, kShort, 1, b.U16(1)}}, F<&R::Orientation>, 1},
            // Every number format, through the brightness field; counts above one where the value
            // still fits in place, so each format's size matters.
            {{{0x9203, kByte, 3, {200, 1, 2}}}, F<&R::Brightness>, 200},
            {{{0x9203, kSByte, 3, {0xFD, 1, 2}}}, F<&R::Brightness>, -3}, // three bytes fit in place
            {{{0x9203, kSShort, 2, pad(b.U16(0xFFFE))}}, F<&R::Brightness>, -2},
            {{{0x9203, kSLong, 1, b.U32(0xFFFFFFFBu)}}, F<&R::Brightness>, -5},
            {{{0x9203, kLong, 1, b.U32(70000)}}, F<&R::Brightness>, 70000},
            {{{0x9203, kFloat, 1, b.U32(0x3FA00000u)}}, F<&R::Brightness>, 1.25},
            {{{0x9203, kDouble, 1, minus2p5}}, F<&R::Brightness>, -2.5},
            {{{0x9203, kSRational, 1, sr(5, 0)}}, F<&R::Brightness>, 0},
            {{{0x829A, kRational, 1, b.Rational(5, 0)}}, F<&R::ExposureTime>, 0},
            {{{0x011A, kRational, 1, b.Rational(180, 1)}, {0x011A, kRational, 0, {}}}, F<&R::Xresolution>, 180},
            {{{0xA005, kLong, 1, {}, 1}}, F<&R::MeteringMode>, 4, {{0x9207, kShort, 1, b.U16(4)}}},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (motorola ? "MM" : "II") << " tag " << std::hex << c.entries[0].tag);
            ExifInfo reader;
            EXPECT_TRUE(Read(reader, WithSections(Block::App1(b.Build({Dir{c.entries}, Dir{c.sub}})))));
            EXPECT_NEAR(c.field(*reader.GetRecord()), c.want, std::abs(c.want) * 1e-6);
        }
    }
}

TEST(ExifInfoTest, TheMainImageResolutionWinsOverTheThumbnails) {
    for (bool motorola : {false, true}) {
        Block b(motorola);
        auto res = [&](uint32_t x, uint32_t y, uint16_t unit) {
            std::vector<Entry> e;
            if (x) e.push_back({0x011A, kRational, 1, b.Rational(x, 1)});
            if (y) e.push_back({0x011B, kRational, 1, b.Rational(y, 1)});
            if (unit) e.push_back({0x0128, kShort, 1, b.U16(unit)});
            return e;
        };
        const struct {
            const char* name;
            std::vector<Entry> main, thumb;
            float x, y, unit;
        } cases[] = {
            {"both given", res(300, 300, 2), res(72, 72, 3), 300, 300, 1},
            {"only the thumbnail's", {}, res(72, 72, 2), 72, 72, 1},
            {"main without a unit", res(300, 0, 0), res(72, 72, 3), 300, 0, 0},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (motorola ? "MM " : "II ") << c.name);
            const Bytes file = WithSections(Block::App1(b.Build({Dir{c.main, 1}, Dir{c.thumb}})));
            ExifInfo reader;
            ASSERT_TRUE(Read(reader, file)) << reader.GetLastError();
            EXPECT_EQ(reader.GetRecord()->Xresolution, c.x);
            EXPECT_EQ(reader.GetRecord()->Yresolution, c.y);
            EXPECT_NEAR(reader.GetRecord()->ResolutionUnit, c.unit, 1e-6);
        }
        // A camera picture at 300 per inch with a 72 per inch thumbnail reads as 300.
        CPixImageJPG img;
        ASSERT_TRUE(imgtest::DecodeBytes(
            img, WithSections(Block::App1(b.Build({Dir{res(300, 300, 2), 1}, Dir{res(72, 72, 2)}})))));
        EXPECT_EQ(img.GetXDPI(), 300);
        EXPECT_EQ(img.GetYDPI(), 300);
    }
}

TEST(ExifInfoTest, BoundsTextsAndOddValues) {
    Block b(false);
    const Dir d{{
        {0x010F, kAscii, 100, Block::Text(std::string(100, 'M'), false)},
        {0x0110, kAscii, 2, Block::Text("AB", false)}, // inline, no NUL
        {0x0112, kShort, 1, b.U16(9)},
        {0x9286, kUndefined, 500, Block::Text("x" + std::string(499, 'c'), false)},
    }};
    ExifInfo reader;
    EXPECT_TRUE(Read(reader, WithSections(Block::App1(b.Build({d})))));
    const auto* r = reader.GetRecord();
    EXPECT_TRUE(r->IsExif);
    EXPECT_EQ(std::string(r->CameraMake), std::string(31, 'M'));
    EXPECT_STREQ(r->CameraModel, "AB");
    EXPECT_EQ(r->Orientation, 0);
    EXPECT_STREQ(reader.GetLastError(), "Undefined rotation value");
    EXPECT_EQ(std::string(r->Comments), "x" + std::string(198, 'c'));
}

TEST(ExifInfoTest, SectionLimitsAndMarkers) {
    Bytes many; // twenty kept sections, then one more
    for (int i = 0; i < 21; ++i)
        many.insert(many.end(), {0xFF, 0xE2, 0x00, 0x03, static_cast<uint8_t>(i)});
    const std::pair<Bytes, const char*> cases[] = {
        {WithSections(many), "Too many sections in jpg file"},
        {{0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xE2, 0, 2}, "too many padding bytes!"},
        {{0xFF, 0xD8, 0xFF, 0xE2, 0, 1}, "invalid marker"},
        {{0xFF, 0xD8, 0xFF, 0xE2, 0, 9, 1}, "Premature end of file?"},
        {{'B', 'M', 0, 0}, ""}, // no SOI: refused before any section
    };
    for (const auto& [file, text] : cases) {
        ExifInfo reader;
        EXPECT_FALSE(Read(reader, file)) << text;
        EXPECT_STREQ(reader.GetLastError(), text);
    }

    // Sections that fill the table up to the scan header leave no room for the image data.
    const Bytes jpeg = SmallJpeg();
    ExifInfo probe;
    ASSERT_TRUE(Read(probe, jpeg, ExifInfo::kReadAll));
    const int kept = probe.GetSectionCount() - 1; // all but the image data
    Bytes fill;
    for (int i = 0; i < ExifInfo::kMaxSections - kept; ++i)
        fill.insert(fill.end(), {0xFF, 0xE2, 0x00, 0x03, 0});
    ExifInfo all;
    EXPECT_FALSE(Read(all, InsertAfterSoi(jpeg, fill), ExifInfo::kReadAll));
    EXPECT_STREQ(all.GetLastError(), "Too many sections in jpg file");
    EXPECT_EQ(all.GetSectionCount(), ExifInfo::kMaxSections);
    fill.resize(fill.size() - 5);
    ExifInfo fits;
    EXPECT_TRUE(Read(fits, InsertAfterSoi(jpeg, fill), ExifInfo::kReadAll));
    EXPECT_EQ(fits.GetSectionCount(), ExifInfo::kMaxSections);
}

TEST(ExifInfoTest, CommentSection) {
    ExifInfo reader;
    EXPECT_TRUE(Read(reader, WithSections({0xFF, 0xFE, 0x00, 0x0B, 'a', '\r', '\n', 'b', '\t', 0x01, 0xC3, 'z', 0})));
    EXPECT_STREQ(reader.GetRecord()->Comments, "a\nb\t??z?");
}

TEST(ExifInfoTest, RewritesFileWithKeptSections) {
    Block b(false);
    Bytes withCom = Block::App1(b.Build(CameraDirs(b)));
    withCom.insert(withCom.end(), {0xFF, 0xFE, 0x00, 0x05, 'h', 'i', '!'});
    ExifInfo reader;
    ASSERT_TRUE(Read(reader, WithSections(withCom)));

    CPixMemFile none;
    none.Open();
    EXPECT_FALSE(reader.EncodeExif(&none));
    EXPECT_STREQ(reader.GetLastError(), "Can't write exif : didn't read all");

    reader.DiscardAllButExif();
    ASSERT_EQ(reader.GetSectionCount(), 2);
    const Bytes fresh = SmallJpeg();
    auto rewrite = [&](ExifInfo& r) {
        EXPECT_TRUE(Read(r, fresh, ExifInfo::kReadAll));
        CPixMemFile out;
        out.Open();
        EXPECT_TRUE(r.EncodeExif(&out));
        return Bytes(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
    };
    // SOI, the APP1 section, the COM section, then the new file without its JFIF header.
    Bytes expect = {0xFF, 0xD8};
    expect.insert(expect.end(), withCom.begin(), withCom.end());
    expect.insert(expect.end(), fresh.begin() + 2 + 18, fresh.end());
    EXPECT_EQ(rewrite(reader), expect);

    // Without APP0 or APP1 first, the default JFIF header is written first.
    ExifInfo plain;
    const Bytes written = rewrite(plain);
    const Bytes jfif = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01,
                        0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
    ASSERT_GT(written.size(), jfif.size());
    EXPECT_TRUE(std::equal(jfif.begin(), jfif.end(), written.begin()));
    EXPECT_TRUE(std::equal(written.begin() + 20, written.end(), fresh.begin() + 20, fresh.end()));
}
