#include <gtest/gtest.h>

#include <string>

#include "model/FrameSize.h"

// The table's rows in their own order, which profiles and lookups depend on.
TEST(FrameSizeTable, RowsAndOrder) {
    const int32_t sizes[FRAME_SIZE_COUNT][2] = {
        {720, 480}, {720, 576}, {480, 480}, {480, 576}, {352, 240}, {352, 288}, {160, 120}, {240, 180},
        {320, 240}, {400, 300}, {480, 360}, {512, 384}, {640, 480}, {720, 540}, {768, 576}, {800, 600},
        {320, 180}, {640, 360}, {960, 540}, {176, 144}, {368, 208}, {320, 240}, {160, 112},
    };
    for (int32_t i = 0; i < FRAME_SIZE_COUNT; ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const FrameSize& row = g_FrameSizes[i];
        EXPECT_EQ(row.m_nId, i);
        EXPECT_EQ(row.m_nWidth, sizes[i][0]);
        EXPECT_EQ(row.m_nHeight, sizes[i][1]);
        EXPECT_EQ(std::string(row.m_szName), std::to_string(sizes[i][0]) + "x" + std::to_string(sizes[i][1]));
    }
    // The size that stands twice is found at its first row.
    ASSERT_NE(FindFrameSize("320x240"), nullptr);
    EXPECT_EQ(FindFrameSize("320x240")->m_nId, 8);
    EXPECT_EQ(FindFrameSize("320X240"), nullptr);
}
