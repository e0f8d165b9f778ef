#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixExifInfo.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "tests/imagelib/ExifTestBuilder.h"

using namespace exiftest;
using ExifInfo = CPixImageJPG::CPixExifInfo;

namespace {

constexpr uint16_t kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7;

Bytes SmallJpeg() {
    CPixImageJPG img;
    EXPECT_TRUE(img.Create(8, 8, 24, 3));
    CPixMemFile mem;
    mem.Open();
    EXPECT_TRUE(img.Encode(&mem));
    const long size = mem.Size();
    BYTE* p = mem.GetBuffer(false);
    return Bytes(p, p + size);
}

// Reads a file through a reader over the given record; returns the reader's result.
bool Read(ExifInfo& reader, Bytes bytes, int mode = ExifInfo::kReadExif) {
    CPixMemFile mem(bytes.data(), static_cast<DWORD>(bytes.size()));
    return reader.DecodeExif(&mem, mode);
}

// A typical camera block: main directory, EXIF directory, thumbnail directory.
std::vector<Dir> CameraDirs(const Block& b) {
    Dir main;
    main.entries.push_back({0x010F, kAscii, 6, Block::Text("Canon")});
    main.entries.push_back({0x0110, kAscii, 12, Block::Text("PowerShot A")});
    main.entries.push_back({0x0112, kShort, 1, b.U16(6)});
    main.entries.push_back({0x011A, kRational, 1, b.Rational(180, 1)});
    main.entries.push_back({0x011B, kRational, 1, b.Rational(180, 1)});
    main.entries.push_back({0x0128, kShort, 1, b.U16(2)});
    Entry exifLink{0x8769, kLong, 1, {}};
    exifLink.linkDir = 1;
    main.entries.push_back(exifLink);
    main.next = 2;

    Dir exif;
    exif.entries.push_back({0x829A, kRational, 1, b.Rational(1, 125)});
    exif.entries.push_back({0x829D, kRational, 1, b.Rational(28, 10)});
    exif.entries.push_back({0x8827, kShort, 1, b.U16(2)});
    exif.entries.push_back({0x9000, kUndefined, 4, Block::Text("0220", false)});
    exif.entries.push_back({0x9003, kAscii, 20, Block::Text("2004:05:06 07:08:09")});
    exif.entries.push_back({0x9209, kShort, 1, b.U16(0x19)});
    exif.entries.push_back({0x920A, kRational, 1, b.Rational(54, 10)});
    Bytes comment = Block::Text("ASCII", false);
    comment.insert(comment.end(), {0, 0, 0});
    const std::string text = "Hello there   ";
    comment.insert(comment.end(), text.begin(), text.end());
    exif.entries.push_back({0x9286, kUndefined, static_cast<uint32_t>(comment.size()), comment});
    exif.entries.push_back({0xA002, kLong, 1, b.U32(2048)});
    exif.entries.push_back({0xA003, kLong, 1, b.U32(1536)});
    exif.entries.push_back({0xA20E, kRational, 1, b.Rational(8192, 1)});
    exif.entries.push_back({0xA210, kShort, 1, b.U16(2)});

    Dir thumb;
    thumb.entries.push_back({0x0201, kLong, 1, b.U32(8)});
    thumb.entries.push_back({0x0202, kLong, 1, b.U32(4)});
    return {main, exif, thumb};
}

void ExpectCameraRecord(const CPixImageJPG::tag_ExifInfo& r) {
    EXPECT_TRUE(r.IsExif);
    EXPECT_STREQ(r.CameraMake, "Canon");
    EXPECT_STREQ(r.CameraModel, "PowerShot A");
    EXPECT_EQ(r.Orientation, 6);
    EXPECT_FLOAT_EQ(r.Xresolution, 180.0f);
    EXPECT_FLOAT_EQ(r.ResolutionUnit, 1.0f);
    EXPECT_FLOAT_EQ(r.ExposureTime, 0.008f);
    EXPECT_FLOAT_EQ(r.ApertureFNumber, 2.8f);
    EXPECT_EQ(r.ISOequivalent, 400);
    EXPECT_STREQ(r.Version, "0220");
    EXPECT_STREQ(r.DateTime, "2004:05:06 07:08:09");
    EXPECT_EQ(r.FlashUsed, 1);
    EXPECT_FLOAT_EQ(r.FocalLength, 5.4f);
    EXPECT_STREQ(r.Comments, "Hello there");
    EXPECT_FLOAT_EQ(r.CCDWidth, 2048.0f / 8192.0f);
    EXPECT_EQ(r.ThumbnailSize, 4u);
    EXPECT_NE(r.ThumbnailPointer, nullptr);
    EXPECT_EQ(r.Width, 8);
    EXPECT_EQ(r.Height, 8);
    EXPECT_EQ(r.IsColor, 1);
    EXPECT_EQ(r.Process, 0xC0);
}

} // namespace

TEST(ExifInfoTest, ReadsCameraDataInBothByteOrders) {
    for (bool motorola : {false, true}) {
        Block b(motorola);
        const Bytes file = InsertAfterSoi(SmallJpeg(), Block::App1(b.Build(CameraDirs(b))));
        ExifInfo reader;
        EXPECT_TRUE(Read(reader, file)) << reader.GetLastError();
        ExpectCameraRecord(*reader.GetRecord());
        // The thumbnail pointer lies inside the kept APP1 section, at its offset from "MM"/"II".
        const auto& app1 = reader.GetSection(0);
        ASSERT_EQ(app1.type, 0xE1);
        EXPECT_EQ(reader.GetRecord()->ThumbnailPointer, app1.data.data() + 8 + 8);
    }
}

TEST(ExifInfoTest, CopiesAreIndependent) {
    Block b(false);
    const Bytes file = InsertAfterSoi(SmallJpeg(), Block::App1(b.Build(CameraDirs(b))));
    ExifInfo copy;
    {
        ExifInfo reader;
        ASSERT_TRUE(Read(reader, file));
        copy = reader;
    }
    ExpectCameraRecord(*copy.GetRecord());
    EXPECT_EQ(copy.GetRecord()->ThumbnailPointer, copy.GetSection(0).data.data() + 16);
}

TEST(ExifInfoTest, RefusesDamagedBlocksWithTheirTexts) {
    Block b(false);
    const Bytes jpeg = SmallJpeg();
    auto readApp1 = [&](const Bytes& app1, std::string& error) {
        ExifInfo reader;
        Read(reader, InsertAfterSoi(jpeg, app1));
        error = reader.GetLastError();
        return reader.GetRecord()->IsExif;
    };
    std::string error;

    Bytes app1 = Block::App1(b.Build(CameraDirs(b)));
    app1[8] = 1; // "Exif" followed by a non-zero byte
    EXPECT_FALSE(readApp1(app1, error));
    EXPECT_EQ(error, "Incorrect Exif header");

    app1 = Block::App1(b.Build(CameraDirs(b)));
    app1[10] = 'X';
    EXPECT_FALSE(readApp1(app1, error));
    EXPECT_EQ(error, "Invalid Exif alignment marker.");

    app1 = Block::App1(b.Build(CameraDirs(b)));
    app1[12] = 41;
    EXPECT_FALSE(readApp1(app1, error));
    EXPECT_EQ(error, "Invalid Exif start (1)");

    // A directory whose entries run past the block.
    Dir big;
    big.entries.push_back({0x010F, kAscii, 6, Block::Text("Canon")});
    Bytes tiff = b.Build({big});
    tiff[8] = 200;
    EXPECT_FALSE(readApp1(Block::App1(tiff), error));
    EXPECT_EQ(error, "Illegally sized directory");

    Dir badFormat;
    badFormat.entries.push_back({0x010F, 13, 1, b.U32(0)});
    EXPECT_FALSE(readApp1(Block::App1(b.Build({badFormat})), error));
    EXPECT_EQ(error, "Illegal format code in EXIF dir");

    // Huge counts: the byte size needs 64 bits and points far outside.
    for (uint32_t count : {0xFFFFFFFFu, 0x20000000u, 100u}) {
        Dir huge;
        Entry e{0x011A, kRational, count, {}};
        e.useRawOffset = true;
        e.rawOffset = 8;
        huge.entries.push_back(e);
        EXPECT_FALSE(readApp1(Block::App1(b.Build({huge})), error)) << count;
        EXPECT_EQ(error, "Illegal pointer offset value in EXIF.");
    }
    Dir farText;
    Entry t{0x010F, kAscii, 16, {}};
    t.useRawOffset = true;
    t.rawOffset = 0xFFFFFFF8u; // offset + size wraps in 32 bits
    farText.entries.push_back(t);
    EXPECT_FALSE(readApp1(Block::App1(b.Build({farText})), error));
    EXPECT_EQ(error, "Illegal pointer offset value in EXIF.");

    Dir badLink;
    Entry l{0x8769, kLong, 1, {}};
    l.useRawOffset = true;
    l.rawOffset = 5000;
    badLink.entries.push_back(l);
    EXPECT_FALSE(readApp1(Block::App1(b.Build({badLink})), error));
    EXPECT_EQ(error, "Illegal subdirectory link");

    // Cut short: the section ends inside the directory.
    app1 = Block::App1(b.Build(CameraDirs(b)));
    app1.resize(30);
    app1[2] = 0;
    app1[3] = 28;
    EXPECT_FALSE(readApp1(app1, error));
}

TEST(ExifInfoTest, LoopingDirectoriesEnd) {
    Block b(true);
    // Main directory linking to itself, as EXIF directory and as next directory.
    Dir self;
    self.entries.push_back({0x010F, kAscii, 4, Block::Text("Foo")});
    Entry toSelf{0x8769, kLong, 1, {}};
    toSelf.linkDir = 0;
    self.entries.push_back(toSelf);
    self.next = 0;
    ExifInfo reader;
    EXPECT_TRUE(Read(reader, InsertAfterSoi(SmallJpeg(), Block::App1(b.Build({self})))));
    EXPECT_TRUE(reader.GetRecord()->IsExif);
    EXPECT_STREQ(reader.GetRecord()->CameraMake, "Foo");

    // Two directories pointing at each other, and a long chain deeper than the cap.
    Dir a, c;
    a.next = 1;
    c.next = 0;
    a.entries.push_back({0x0112, kShort, 1, b.U16(3)});
    ExifInfo pair;
    EXPECT_TRUE(Read(pair, InsertAfterSoi(SmallJpeg(), Block::App1(b.Build({a, c})))));
    EXPECT_EQ(pair.GetRecord()->Orientation, 3);

    std::vector<Dir> chain(200);
    for (size_t i = 0; i + 1 < chain.size(); ++i) chain[i].next = static_cast<int>(i + 1);
    chain.back().entries.push_back({0x0112, kShort, 1, b.U16(5)});
    ExifInfo deep;
    EXPECT_TRUE(Read(deep, InsertAfterSoi(SmallJpeg(), Block::App1(b.Build(chain)))));
    EXPECT_EQ(deep.GetRecord()->Orientation, 0); // past the depth cap: not followed
}

TEST(ExifInfoTest, BoundsTextsAndOddValues) {
    Block b(false);
    Dir d;
    const std::string longMake(100, 'M');
    d.entries.push_back({0x010F, kAscii, 100, Block::Text(longMake, false)});
    d.entries.push_back({0x0110, kAscii, 2, Block::Text("AB", false)}); // inline, no NUL
    d.entries.push_back({0x0112, kShort, 1, b.U16(9)});
    d.entries.push_back({0x011A, kRational, 0, {}}); // no component: no value
    d.entries.push_back({0x829A, kRational, 1, b.Rational(5, 0)});
    const std::string longComment(500, 'c');
    d.entries.push_back({0x9286, kUndefined, 500, Block::Text(longComment, false)});
    ExifInfo reader;
    EXPECT_TRUE(Read(reader, InsertAfterSoi(SmallJpeg(), Block::App1(b.Build({d})))));
    const auto* r = reader.GetRecord();
    EXPECT_TRUE(r->IsExif);
    EXPECT_EQ(std::string(r->CameraMake), std::string(31, 'M'));
    EXPECT_STREQ(r->CameraModel, "AB");
    EXPECT_EQ(r->Orientation, 0);
    EXPECT_STREQ(reader.GetLastError(), "Undefined rotation value");
    EXPECT_EQ(r->Xresolution, 0.0f);
    EXPECT_EQ(r->ExposureTime, 0.0f);
    EXPECT_EQ(std::strlen(r->Comments), 199u);
}

TEST(ExifInfoTest, SectionLimitsAndMarkers) {
    const Bytes jpeg = SmallJpeg();
    // Twenty kept sections, then one more.
    Bytes many;
    for (int i = 0; i < 21; ++i) many.insert(many.end(), {0xFF, 0xE2, 0x00, 0x03, static_cast<uint8_t>(i)});
    ExifInfo reader;
    EXPECT_FALSE(Read(reader, InsertAfterSoi(jpeg, many)));
    EXPECT_STREQ(reader.GetLastError(), "Too many sections in jpg file");

    // Sections that fill the table up to the scan header leave no room for the image data.
    ExifInfo probe;
    ASSERT_TRUE(Read(probe, jpeg, ExifInfo::kReadAll));
    const int kept = probe.GetSectionCount() - 1; // all but the image data
    Bytes fill;
    for (int i = 0; i < ExifInfo::kMaxSections - kept; ++i) fill.insert(fill.end(), {0xFF, 0xE2, 0x00, 0x03, 0});
    ExifInfo all;
    EXPECT_FALSE(Read(all, InsertAfterSoi(jpeg, fill), ExifInfo::kReadAll));
    EXPECT_STREQ(all.GetLastError(), "Too many sections in jpg file");
    EXPECT_EQ(all.GetSectionCount(), ExifInfo::kMaxSections);
    fill.resize(fill.size() - 5);
    ExifInfo fits;
    EXPECT_TRUE(Read(fits, InsertAfterSoi(jpeg, fill), ExifInfo::kReadAll));
    EXPECT_EQ(fits.GetSectionCount(), ExifInfo::kMaxSections);

    Bytes padded = {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xE2, 0, 2};
    ExifInfo pad;
    EXPECT_FALSE(Read(pad, padded));
    EXPECT_STREQ(pad.GetLastError(), "too many padding bytes!");

    ExifInfo tiny;
    EXPECT_FALSE(Read(tiny, Bytes{0xFF, 0xD8, 0xFF, 0xE2, 0, 1}));
    EXPECT_STREQ(tiny.GetLastError(), "invalid marker");

    ExifInfo cut;
    EXPECT_FALSE(Read(cut, Bytes{0xFF, 0xD8, 0xFF, 0xE2, 0, 9, 1}));
    EXPECT_STREQ(cut.GetLastError(), "Premature end of file?");

    ExifInfo notJpeg;
    EXPECT_FALSE(Read(notJpeg, Bytes{'B', 'M', 0, 0}));
}

TEST(ExifInfoTest, CommentSection) {
    Bytes com = {0xFF, 0xFE, 0x00, 0x0B, 'a', '\r', '\n', 'b', '\t', 0x01, 0xC3, 'z', 0};
    ExifInfo reader;
    EXPECT_TRUE(Read(reader, InsertAfterSoi(SmallJpeg(), com)));
    EXPECT_STREQ(reader.GetRecord()->Comments, "a\nb\t??z?");
}

TEST(ExifInfoTest, RewritesFileWithKeptSections) {
    Block b(false);
    const Bytes app1 = Block::App1(b.Build(CameraDirs(b)));
    const Bytes com = {0xFF, 0xFE, 0x00, 0x05, 'h', 'i', '!'};
    Bytes withCom = app1;
    withCom.insert(withCom.end(), com.begin(), com.end());
    ExifInfo reader;
    ASSERT_TRUE(Read(reader, InsertAfterSoi(SmallJpeg(), withCom)));

    CPixMemFile none;
    none.Open();
    EXPECT_FALSE(reader.EncodeExif(&none));
    EXPECT_STREQ(reader.GetLastError(), "Can't write exif : didn't read all");

    reader.DiscardAllButExif();
    ASSERT_EQ(reader.GetSectionCount(), 2);
    const Bytes fresh = SmallJpeg();
    ASSERT_TRUE(Read(reader, fresh, ExifInfo::kReadAll));
    CPixMemFile out;
    out.Open();
    ASSERT_TRUE(reader.EncodeExif(&out));
    const Bytes written(out.GetBuffer(false), out.GetBuffer(false) + out.Size());
    // SOI, the APP1 section, the COM section, then the new file without its JFIF header.
    Bytes expect = {0xFF, 0xD8};
    expect.insert(expect.end(), withCom.begin(), withCom.end());
    expect.insert(expect.end(), fresh.begin() + 2 + 18, fresh.end());
    EXPECT_EQ(written, expect);

    // Without APP0 or APP1 first, the default JFIF header is written first.
    ExifInfo plain;
    ASSERT_TRUE(Read(plain, fresh, ExifInfo::kReadAll));
    CPixMemFile out2;
    out2.Open();
    ASSERT_TRUE(plain.EncodeExif(&out2));
    const Bytes written2(out2.GetBuffer(false), out2.GetBuffer(false) + out2.Size());
    const Bytes jfif = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01,
                        0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
    ASSERT_GT(written2.size(), jfif.size());
    EXPECT_TRUE(std::equal(jfif.begin(), jfif.end(), written2.begin()));
    EXPECT_TRUE(std::equal(written2.begin() + 20, written2.end(), fresh.begin() + 20, fresh.end()));
}
