#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixMemFile.h"
#include "tests/support/TempDir.h"

namespace {

class MemFile : public CPixMemFile {
public:
    using CPixMemFile::CPixMemFile;
    uint64_t Capacity() const { return m_Edge; }
    bool Owns() const { return m_bFreeOnClose; }
};

TEST(PixMemFile, GrowsInPagesAndDetachesItsBlock) {
    BYTE* block = nullptr;
    {
        MemFile f;
        ASSERT_TRUE(f.Open());
        EXPECT_FALSE(f.Open()) << "a second Open must not drop the block";
        const std::string data(5000, 'x');
        EXPECT_EQ(f.Write(data.data(), 1, 4095), 4095u);
        EXPECT_EQ(f.Capacity(), 4096u);
        EXPECT_EQ(f.Write(data.data(), 1, 905), 905u);
        EXPECT_EQ(f.Capacity(), 8192u);
        EXPECT_EQ(f.Size(), 5000);
        block = f.GetBuffer();
    }
    EXPECT_EQ(block[4999], 'x') << "the detached block outlives the stream";
    std::free(block);
}

TEST(PixMemFile, ReadSeekEofAndError) {
    BYTE bytes[20];
    for (int i = 0; i < 20; ++i)
        bytes[i] = static_cast<BYTE>(i);
    CPixMemFile f(bytes, sizeof(bytes));
    ASSERT_TRUE(f.Seek(10, 0));
    BYTE out[12] = {};
    EXPECT_EQ(f.Read(out, 4, 3), 2u) << "10 bytes left: two whole elements";
    EXPECT_EQ(out[9], 19);
    EXPECT_EQ(f.Tell(), 20);

    EXPECT_TRUE(f.Seek(-5, 0));
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_FALSE(f.Seek(0, 3));
    EXPECT_EQ(f.GetC(), 0);

    ASSERT_TRUE(f.Seek(10, 2));
    EXPECT_TRUE(f.Eof());
    EXPECT_EQ(f.Error(), 1);
    EXPECT_EQ(f.GetC(), -1);
}

TEST(PixMemFile, CallersBlockIsNeverResizedOrFreed) {
    BYTE outside[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    {
        MemFile f(outside, sizeof(outside));
        EXPECT_FALSE(f.Owns());
        BYTE patch[2] = {9, 9};
        ASSERT_EQ(f.Write(patch, 1, 2), 2u);
        EXPECT_EQ(outside[0], 9) << "written in place while it fits";
        std::string more(100, 'z');
        ASSERT_TRUE(f.Seek(0, 2));
        ASSERT_EQ(f.Write(more.data(), 1, more.size()), more.size());
        EXPECT_TRUE(f.Owns());
        EXPECT_EQ(f.Size(), 108);
        BYTE* block = f.GetBuffer(false);
        EXPECT_NE(block, outside);
        EXPECT_EQ(block[0], 9);
        EXPECT_EQ(block[7], 8);
        EXPECT_EQ(block[8], 'z');
    } // the stream frees its own copy; the stack block must be left alone (ASan would object)
    EXPECT_EQ(outside[7], 8);
}

TEST(PixMemFile, LeavingABlockItDoesNotOwnToTheStreamLeavesItACopy) {
    BYTE outside[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    {
        MemFile f(outside, sizeof(outside));
        ASSERT_TRUE(f.Seek(3, 0));
        BYTE* block = f.GetBuffer(false);
        EXPECT_NE(block, outside);
        EXPECT_TRUE(f.Owns());
        EXPECT_EQ(f.Size(), 16);
        EXPECT_EQ(block[15], 16);
        EXPECT_EQ(f.GetC(), 4) << "the position stays";
        ASSERT_TRUE(f.PutC(99));
        EXPECT_EQ(block[4], 99);
        EXPECT_EQ(f.GetBuffer(false), block) << "its own block is not copied again";
    } // the stream frees the copy and leaves the stack block alone (ASan would object)
    EXPECT_EQ(outside[4], 5);

    // A block handed to the caller is the caller's from then on.
    BYTE* mine = nullptr;
    {
        MemFile f;
        ASSERT_TRUE(f.Open());
        ASSERT_TRUE(f.PutC(7));
        mine = f.GetBuffer();
        BYTE* kept = f.GetBuffer(false);
        EXPECT_NE(kept, mine);
        EXPECT_EQ(kept[0], 7);
    }
    EXPECT_EQ(mine[0], 7);
    std::free(mine);
}

TEST(PixMemFile, GapAfterSeekPastEndIsZero) {
    CPixMemFile f;
    ASSERT_TRUE(f.Open());
    ASSERT_TRUE(f.PutC(0xAB));
    ASSERT_TRUE(f.Seek(5000, 0));
    ASSERT_TRUE(f.PutC(0xCD));
    EXPECT_EQ(f.Size(), 5001);
    BYTE* block = f.GetBuffer(false);
    EXPECT_EQ(block[0], 0xAB);
    for (int i = 1; i < 5000; ++i)
        ASSERT_EQ(block[i], 0) << i;
    EXPECT_EQ(block[5000], 0xCD);
}

TEST(PixMemFile, GrowthCannotOverflow) {
    CPixMemFile f;
    ASSERT_TRUE(f.Open());
    BYTE b = 1;
    EXPECT_EQ(f.Write(&b, SIZE_MAX / 2, 4), 0u) << "size x count overflows";
    ASSERT_TRUE(f.Seek(LONG_MAX - 2, 0));
    EXPECT_EQ(f.Write(&b, 1, 1), 0u);
    EXPECT_FALSE(f.PutC(1));
    ASSERT_TRUE(f.Seek(LONG_MAX, 0));
    EXPECT_TRUE(f.Seek(LONG_MAX, 1)) << "clamped, not wrapped";
    EXPECT_GE(f.Tell(), 0);
    EXPECT_EQ(f.Size(), 0);
}

// Full-disk errors of CPixIOFile are checked through the dispatch (PixDispatch.WriteErrorsAreFailures).
TEST(PixIOFile, CallersStreamStaysOpenAndOwnStreamCloses) {
    TempDir dir;
    std::string path = dir.File("a.bin");
    FILE* fp = std::fopen(path.c_str(), "wb+");
    ASSERT_NE(fp, nullptr);
    {
        CPixIOFile f(fp);
        EXPECT_FALSE(f.Open(path.c_str(), "rb")) << "already holds a stream";
        EXPECT_EQ(f.Write("abc", 1, 3), 3u);
        EXPECT_TRUE(f.Close());
    }
    EXPECT_EQ(std::fputc('d', fp), 'd') << "the caller's FILE is still open";
    std::fclose(fp);

    CPixIOFile own;
    ASSERT_TRUE(own.Open(path.c_str(), "rb"));
    EXPECT_EQ(own.Size(), 4);
    EXPECT_EQ(own.GetC(), 'a');
    EXPECT_EQ(own.Tell(), 1);
    EXPECT_TRUE(own.Close());
    EXPECT_EQ(own.GetStream(), nullptr);
    EXPECT_EQ(own.GetC(), -1);
}

} // namespace
