// Our encoders' files decoded by independent programs (ffmpeg, ImageMagick) give our pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/ShellCommand.h"
#include "tests/support/TempDir.h"

using namespace imgtest;

namespace {

const char kMagick[] = "/usr/bin/convert";

// True when the tool can run; outside CI a missing tool skips, in CI it fails.
bool Have(const std::string& tool, bool& missing) {
    const bool ok = tool == kMagick ? std::filesystem::exists(tool) : ToolAvailable(tool);
    if (!ok) missing = true;
    return ok;
}

// Distinct colours everywhere (indexed pictures: every palette entry in use).
CPixImage Picture(DWORD bpp, bool alpha) {
    CPixImage img(37, 23, bpp);
    for (DWORD i = 0; i < img.GetNumColors(); ++i)
        img.SetPaletteColor(static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3));
    ForEachPixel(img, [&](long x, long y) {
        if (bpp <= 8)
            img.SetPixelIndex(x, y, static_cast<BYTE>((x * 5 + y * 3) % img.GetNumColors()));
        else
            img.SetPixelColor(x, y, RGB(x * 7, y * 11, (x * y) & 255));
    });
    if (alpha) {
        img.AlphaCreate();
        ForEachPixel(img, [&](long x, long y) { img.AlphaSet(x, y, static_cast<BYTE>(x * 6 + y)); });
    }
    return img;
}

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
        bool ffmpeg; // ffmpeg reads the format
        bool magick; // ImageMagick reads it right (its PCX reader shows 1-bit pictures inverted)
    };
    const Case cases[] = {
        {PIXFORMAT_GIF, "gif", 1, false, 0, true, true},   {PIXFORMAT_GIF, "gif", 4, false, 1, true, true},
        {PIXFORMAT_GIF, "gif", 8, false, 2, true, true},   {PIXFORMAT_GIF, "gif", 8, false, 0, true, true},
        {PIXFORMAT_GIF, "gif", 24, false, 0, true, true},  {PIXFORMAT_TGA, "tga", 8, false, 0, true, true},
        {PIXFORMAT_TGA, "tga", 24, false, 0, true, true},  {PIXFORMAT_TGA, "tga", 24, true, 0, true, true},
        {PIXFORMAT_PCX, "pcx", 1, false, 0, true, false},  {PIXFORMAT_PCX, "pcx", 4, false, 0, true, true},
        {PIXFORMAT_PCX, "pcx", 8, false, 0, true, true},   {PIXFORMAT_PCX, "pcx", 24, false, 0, true, true},
        {PIXFORMAT_ICO, "ico", 1, false, 0, false, true},  {PIXFORMAT_ICO, "ico", 4, false, 0, false, true},
        {PIXFORMAT_ICO, "ico", 8, false, 0, false, true},  {PIXFORMAT_ICO, "ico", 24, false, 0, false, true},
        {PIXFORMAT_ICO, "ico", 24, true, 0, false, true},  {PIXFORMAT_WBMP, "wbmp", 1, false, 0, false, true},
    };
    const bool ci = std::getenv("CI") != nullptr;
    bool missing = false;
    TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ext << ", " << c.bpp << " bpp" << (c.alpha ? ", alpha" : "") << ", option "
                                        << c.option);
        CPixImage img = Picture(c.bpp, c.alpha);
        if (c.bpp == 1 && c.type != PIXFORMAT_GIF && c.type != PIXFORMAT_ICO) { // black and white only
            img.SetPaletteColor(0, RGB(0, 0, 0));
            img.SetPaletteColor(1, RGB(255, 255, 255));
        }
        img.SetCodecOption(c.option, c.type);
        const std::string file = dir.File("picture" + std::to_string(n++) + "." + c.ext);
        ASSERT_TRUE(img.Save(file.c_str(), c.type)) << img.GetLastError();
        const std::string want = Expected(img, c.alpha);
        const bool mosaic = c.type == PIXFORMAT_GIF && c.bpp == 24;
        if (c.ffmpeg && !c.alpha && Have("ffmpeg", missing)) {
            // ffmpeg shows the tiles of a true-colour GIF one by one: the last frame is whole.
            const CommandResult r = RunCommand("ffmpeg -nostdin -v error -i " + ShellQuote(file) +
                                               " -f rawvideo -pix_fmt rgb24 -");
            EXPECT_TRUE(r.out.size() >= want.size() && r.out.substr(r.out.size() - want.size()) == want)
                << "ffmpeg: " << r.err;
        }
        if (c.magick && Have(kMagick, missing)) {
            // Tiles of true-colour GIF pictures are laid over each other first.
            const CommandResult r = RunCommand(std::string(kMagick) + " " + ShellQuote(file) +
                                               (mosaic ? " -flatten" : "") + " -auto-orient -depth 8 " +
                                               (c.alpha ? "rgba:-" : "rgb:-"));
            EXPECT_TRUE(r.out == want) << "ImageMagick: " << r.err;
        }
    }
    if (missing) {
        EXPECT_FALSE(ci) << "ffmpeg or ImageMagick is missing";
        if (!ci) GTEST_SKIP() << "ffmpeg or ImageMagick is missing";
    }
}
