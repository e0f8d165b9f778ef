// Our encoders' files decoded by independent programs (ffmpeg, ImageMagick) give our pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

// The picture as the tools give it: rows from the top, red, green, blue (and alpha).
std::string Expected(CPixImage& img, bool alpha) {
    std::string out;
    for (long y = static_cast<long>(img.GetHeight()) - 1; y >= 0; --y)
        for (long x = 0; x < static_cast<long>(img.GetWidth()); ++x) {
            const RGBQUAD c = img.GetPixelColor(x, y, false);
            out += {static_cast<char>(c.rgbRed), static_cast<char>(c.rgbGreen), static_cast<char>(c.rgbBlue)};
            if (alpha) out += static_cast<char>(img.AlphaGet(x, y));
        }
    return out;
}

} // namespace

TEST(IndependentDecodeTest, OtherProgramsReadOurFilesPixelForPixel) {
    struct Case {
        DWORD type;
        const char* ext;
        DWORD bpp;
        bool alpha;
        DWORD option;
    };
    const Case cases[] = {
        {PIXFORMAT_GIF, "gif", 1, false, 0},  {PIXFORMAT_GIF, "gif", 4, false, 1},  {PIXFORMAT_GIF, "gif", 8, false, 2},
        {PIXFORMAT_GIF, "gif", 8, false, 0},  {PIXFORMAT_GIF, "gif", 24, false, 0}, {PIXFORMAT_TGA, "tga", 8, false, 0},
        {PIXFORMAT_TGA, "tga", 24, false, 0}, {PIXFORMAT_TGA, "tga", 24, true, 0},  {PIXFORMAT_PCX, "pcx", 1, false, 0},
        {PIXFORMAT_PCX, "pcx", 4, false, 0},  {PIXFORMAT_PCX, "pcx", 8, false, 0},  {PIXFORMAT_PCX, "pcx", 24, false, 0},
        {PIXFORMAT_ICO, "ico", 1, false, 0},  {PIXFORMAT_ICO, "ico", 4, false, 0},  {PIXFORMAT_ICO, "ico", 8, false, 0},
        {PIXFORMAT_ICO, "ico", 24, false, 0}, {PIXFORMAT_ICO, "ico", 24, true, 0},  {PIXFORMAT_WBMP, "wbmp", 1, false, 0},
        {PIXFORMAT_TIF, "tif", 1, false, 0},  {PIXFORMAT_TIF, "tif", 4, false, 0},  {PIXFORMAT_TIF, "tif", 8, false, 0},
        {PIXFORMAT_TIF, "tif", 8, true, 0},   {PIXFORMAT_TIF, "tif", 24, false, 1}, {PIXFORMAT_TIF, "tif", 24, true, 8},
    };
    REQUIRE_MAGICK();
    if (!ToolAvailable("ffmpeg")) SKIP_OR_FAIL_IN_CI("ffmpeg");
    TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ext << ", " << c.bpp << " bpp" << (c.alpha ? ", alpha" : "") << ", option "
                                        << c.option);
        CPixImage img = Picture(c.bpp, false, 37, 23); // several GIF tiles at 24 bits
        if (c.bpp == 1 && c.type != PIXFORMAT_GIF && c.type != PIXFORMAT_ICO) { // black and white only
            img.SetPaletteColor(0, RGB(0, 0, 0));
            img.SetPaletteColor(1, RGB(255, 255, 255));
        }
        if (c.alpha) {
            img.AlphaCreate();
            ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(x * 6 + y)); });
        }
        img.SetCodecOption(c.option, c.type);
        const std::string file = dir.File("picture" + std::to_string(n++) + "." + c.ext);
        ASSERT_TRUE(img.Save(file.c_str(), c.type)) << img.GetLastError();
        const std::string want = Expected(img, c.alpha);
        const bool mosaic = c.type == PIXFORMAT_GIF && c.bpp == 24;
        if (c.type != PIXFORMAT_ICO && c.type != PIXFORMAT_WBMP && !c.alpha) {
            // ffmpeg shows the tiles of a true-colour GIF one by one: the last frame is whole.
            const CommandResult r = RunCommand("ffmpeg -nostdin -v error -i " + ShellQuote(file) +
                                               " -f rawvideo -pix_fmt rgb24 -");
            EXPECT_TRUE(r.out.size() >= want.size() && r.out.substr(r.out.size() - want.size()) == want)
                << "ffmpeg: " << r.err;
        }
        // ImageMagick's PCX reader shows 1-bit pictures inverted, whoever wrote them.
        if (c.type != PIXFORMAT_PCX || c.bpp != 1) {
            const CommandResult r = RunCommand(MAGICK_CONVERT " " + ShellQuote(file) + (mosaic ? " -flatten" : "") +
                                               " -auto-orient -depth 8 " + (c.alpha ? "rgba:-" : "rgb:-"));
            EXPECT_TRUE(r.out == want) << "ImageMagick: " << r.err;
        }
    }
}
