#include <gtest/gtest.h>

#include "model/FrameSize.h"

// Profiles name sizes as text; the size that stands twice in the table is found at its first row.
TEST(FrameSizeTable, LookupByName) {
    ASSERT_NE(FindFrameSize("320x240"), nullptr);
    EXPECT_EQ(FindFrameSize("320x240")->m_nId, 8);
    EXPECT_EQ(g_FrameSizes[21].m_nWidth, 320);
    EXPECT_EQ(FindFrameSize("320X240"), nullptr);
    const FrameSize* pal = FindFrameSize("720x576");
    ASSERT_NE(pal, nullptr);
    EXPECT_EQ(pal->m_nHeight, 576);
}
