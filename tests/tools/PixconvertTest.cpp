// pixconvert converts between every format the image library writes.
#include <gtest/gtest.h>

#include <string>

#include "imagelib/PixImage.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

TEST(PixconvertTest, ConvertsBetweenTheFormats) {
    TempDir dir;
    CPixImage src(19, 7, 8);
    for (long y = 0; y < 7; ++y)
        for (long x = 0; x < 19; ++x)
            src.SetPixelIndex(x, y, static_cast<BYTE>(x + y > 12 ? 255 : 0)); // black and white
    src.SetGrayPalette();
    const std::string first = dir.File("start.bmp");
    ASSERT_TRUE(src.Save(first.c_str(), PIXFORMAT_BMP));
    // Each step reads the file the one before wrote; 24-bit steps come back to 8 bits through GIF.
    const char* chain[] = {"png", "gif", "tga", "pcx", "ico", "bmp", "wbmp", "pcx", "gif", "jpg", "tga", "ico", "png"};
    std::string in = first;
    for (const char* ext : chain) {
        const std::string out = dir.File(std::string("step.") + ext);
        const CommandResult r = RunCommand(ShellQuote(PIXCONVERT_PATH) + " " + ShellQuote(in) + " " + ShellQuote(out));
        if (std::string(ext) == "wbmp") {
            // Only 1-bit pictures are wireless bitmaps.
            EXPECT_NE(r.status, 0);
            EXPECT_NE(r.err.find("Can't save this image as WBMP"), std::string::npos);
            continue;
        }
        ASSERT_EQ(r.status, 0) << ext << ": " << r.err;
        CPixImage back;
        ASSERT_TRUE(back.Load(out.c_str(), PIXFORMAT_UNKNOWN)) << ext;
        EXPECT_EQ(back.GetWidth(), 19u) << ext;
        const RGBQUAD dark = back.GetPixelColor(0, 0), light = back.GetPixelColor(18, 6);
        EXPECT_LT(dark.rgbGreen, 30) << ext;
        EXPECT_GT(light.rgbGreen, 225) << ext;
        in = out;
    }
}
