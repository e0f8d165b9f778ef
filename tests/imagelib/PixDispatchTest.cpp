#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "imagelib/codecs/CodecTable.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

// Always fails, after reading a few bytes, as a real codec does on a foreign file.
class FailingCodec : public CPixImage {
public:
    FailingCodec() : CPixImage(PIXFORMAT_BMP) {}
    bool Decode(CPixFile* f) {
        BYTE skip[4];
        f->Read(skip, 1, 4);
        SetLastError("Not a BMP");
        return false;
    }
    bool Encode(CPixFile* f) {
        if (EncodeSafeCheck(f)) return false;
        f->Write("partial", 1, 7);
        SetLastError("refused by test codec");
        return false;
    }
};

// "TST" w h, then the rows as the image stores them.
class TinyCodec : public CPixImage {
public:
    TinyCodec() : CPixImage(PIXFORMAT_PCX) {}
    bool Decode(CPixFile* f) {
        BYTE head[5];
        if (f->Read(head, 1, 5) != 5 || std::memcmp(head, "TST", 3) != 0) {
            SetLastError("Not a TST");
            return false;
        }
        if (GetEscape() == -1) return true;
        return Create(head[3], head[4], 24, PIXFORMAT_PCX) && f->Read(GetBits(), 1, RowBytes()) == RowBytes();
    }
    bool Encode(CPixFile* f) {
        if (EncodeSafeCheck(f)) return false;
        const BYTE head[5] = {'T', 'S', 'T', static_cast<BYTE>(GetWidth()), static_cast<BYTE>(GetHeight())};
        f->Write(head, 1, 5);
        f->Write(GetBits(), 1, RowBytes());
        return true;
    }

private:
    size_t RowBytes() const { return static_cast<size_t>(GetEffWidth()) * GetHeight(); }
};

class PixDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        m_table = {PixCodec<FailingCodec>(PIXFORMAT_BMP), PixCodec<TinyCodec>(PIXFORMAT_PCX)};
        PixSetCodecTable(&m_table);
    }
    void TearDown() override { PixSetCodecTable(nullptr); }

    // 2 x 1: blue-green-red 1 2 3 and 4 5 6, two bytes of row padding.
    static std::string TinyFile() { return std::string("TST\x02\x01\x01\x02\x03\x04\x05\x06\0\0", 13); }

    std::vector<PixCodecEntry> m_table;
    TempDir m_dir;
};

TEST_F(PixDispatch, LoadAndDecodeProbeAndReportTheNamedFormatsReason) {
    std::string path = m_dir.File("a.tst");
    WriteFileBytes(path, TinyFile());
    CPixImage img;
    ASSERT_TRUE(img.Load(path.c_str(), PIXFORMAT_BMP)) << "a wrongly named format falls back to probing";
    EXPECT_EQ(img.GetType(), static_cast<DWORD>(PIXFORMAT_PCX));
    EXPECT_EQ(img.GetPixelColor(1, 0).rgbRed, 6);
    std::string junk = m_dir.File("junk.bin");
    WriteFileBytes(junk, "junkjunkjunk");
    EXPECT_FALSE(img.Load(junk.c_str(), PIXFORMAT_PCX));
    EXPECT_STREQ(img.GetLastError(), "Not a TST");
    EXPECT_FALSE(img.Load(junk.c_str(), PIXFORMAT_UNKNOWN));
    EXPECT_STREQ(img.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_TRUE(img.IsValid()) << "a failed load keeps the old picture";

    // A stream is left where the successful codec stopped, or back where it was.
    std::string bytes = "xx" + TinyFile() + "tail", bad = "yyjunkjunkjunk";
    CPixMemFile f(reinterpret_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    CPixMemFile g(reinterpret_cast<BYTE*>(bad.data()), static_cast<DWORD>(bad.size()));
    ASSERT_TRUE(f.Seek(2, 0) && g.Seek(2, 0));
    ASSERT_TRUE(img.Decode(&f, PIXFORMAT_UNKNOWN));
    EXPECT_EQ(f.Tell(), 2 + 13);
    EXPECT_FALSE(img.Decode(&g, PIXFORMAT_UNKNOWN));
    EXPECT_EQ(g.Tell(), 2);
    EXPECT_FALSE(img.Decode(&g, PIXFORMAT_TIF)) << "no TIFF codec in this table";
    ASSERT_TRUE(f.Seek(2, 0));
    CPixImage sizeOnly;
    sizeOnly.SetEscape(-1); // the codec sees the request through CopyInfo
    ASSERT_TRUE(sizeOnly.Decode(&f, PIXFORMAT_PCX));
    EXPECT_FALSE(sizeOnly.IsValid());
}

TEST_F(PixDispatch, SaveReplacesTheFileOnlyOnSuccessAndWriteErrorsFail) {
    std::string path = m_dir.File("keep.tst");
    WriteFileBytes(path, "precious");
    CPixImage img(3, 2, 24), empty;
    img.SetPixelColor(2, 1, RGB(200, 100, 50));
    EXPECT_FALSE(img.Save(path.c_str(), PIXFORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "refused by test codec");
    EXPECT_FALSE(img.Save(path.c_str(), PIXFORMAT_UNKNOWN));
    EXPECT_STREQ(img.GetLastError(), "Encode: Unknown format");
    EXPECT_FALSE(empty.Save(path.c_str(), PIXFORMAT_PCX));
    EXPECT_EQ(ReadFileBytes(path), "precious");

    ASSERT_TRUE(img.Save(path.c_str(), PIXFORMAT_PCX)) << img.GetLastError();
    CPixImage back(path.c_str(), PIXFORMAT_PCX);
    EXPECT_EQ(back.GetPixelColor(2, 1).rgbRed, 200);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()), {}), 1)
        << "no temporary file left";
    EXPECT_FALSE(img.Save(m_dir.File("no/such/folder.tst").c_str(), PIXFORMAT_PCX));
    EXPECT_FALSE(img.Save(m_dir.Path().string().c_str(), PIXFORMAT_PCX)) << "a folder is no picture file";
    if (FILE* fp = std::fopen("/dev/full", "wb")) {
        EXPECT_FALSE(img.Encode(fp, PIXFORMAT_PCX));
        EXPECT_STREQ(img.GetLastError(), "Encode: write error");
        std::fclose(fp);
    }
}

TEST_F(PixDispatch, SaveKeepsModeFollowsLinksAndRespectsReadOnlyFiles) {
    namespace fs = std::filesystem;
    CPixImage img(2, 2, 24);
    std::string real = m_dir.File("real.tst"), link = m_dir.File("link.tst");
    WriteFileBytes(real, "old");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(real, mode);
    fs::create_symlink(real, link);
    ASSERT_TRUE(img.Save(link.c_str(), PIXFORMAT_PCX)) << img.GetLastError();
    EXPECT_TRUE(fs::is_symlink(link)) << "the link is kept, its target replaced";
    EXPECT_EQ(ReadFileBytes(real).substr(0, 3), "TST");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, mode);
    if (::geteuid() != 0) { // root writes anyway
        fs::permissions(real, fs::perms::owner_read);
        EXPECT_FALSE(img.Save(real.c_str(), PIXFORMAT_PCX));
    }
}

TEST_F(PixDispatch, MemoryEncode) {
    CPixImage img(2, 1, 24);
    img.SetPixelColor(0, 0, RGB(1, 2, 3));
    BYTE* buffer = reinterpret_cast<BYTE*>(&img);
    long size = 0;
    EXPECT_FALSE(img.Encode(buffer, size, PIXFORMAT_PCX));
    EXPECT_STREQ(img.GetLastError(), "the buffer must be empty");

    img.AlphaCreate();
    img.AlphaSet(0, 0, 50);
    BYTE* rgba = nullptr;
    ASSERT_TRUE(img.Encode2RGBA(rgba, size));
    ASSERT_EQ(size, 8);
    EXPECT_EQ(std::vector<BYTE>(rgba, rgba + 8), (std::vector<BYTE>{1, 2, 3, 50, 0, 0, 0, 255}));
    img.FreeMemory(rgba);
}

} // namespace
