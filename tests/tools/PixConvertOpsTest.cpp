#include <gtest/gtest.h>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PixConvertTestUtil.h"
#include "tools/ops/PixOps.h"

namespace {

TEST(PixConvertOps, ChainRunsInOrderAndRefusalsSayWhy) {
    TempDir dir;
    CPixImage src = tooltest::Smooth(20, 10), want(src);
    ASSERT_TRUE(src.Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
    const std::string files = dir.File("in.png") + " " + dir.File("out.png") + " ";
    const CommandResult ok = tooltest::PixConvert(files + "--op Crop 2 1 12 9 --op Expand 12 9 '#FF0000' --op Negative");
    ASSERT_EQ(ok.status, 0) << ok.err;
    ASSERT_TRUE(want.Crop(2, 1, 12, 9) && want.Expand(12L, 9L, imgtest::Quad(255, 0, 0)) && want.Negative());
    CPixImage got(dir.File("out.png").c_str(), PIXFORMAT_PNG);
    ASSERT_EQ(got.GetWidth(), 12u);
    EXPECT_EQ(imgtest::MaxDifference(got, want), 0);

    const struct { const char* args; const char* says; } refused[] = {
        {"--op Blur 3", "unknown operation Blur"},           {"--op Crop 1 2 3", "wrong number of arguments"},
        {"--op Dither x", "method must be number"},          {"--op Expand 12 9 red", "canvascolor must be #RRGGBB"},
        {"--op Rotate nan", "angle must be real"},           {"--op AlphaSet 256", "level must be 0..255"},
        {"--op Negative --op Expand -1 0 0 0 '#000000'", "Expand failed"}};
    std::filesystem::remove(dir.File("out.png"));
    for (const auto& c : refused) {
        const CommandResult r = tooltest::PixConvert(files + c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.png")));
    EXPECT_NE(tooltest::PixConvert("--ops").out.find("Rotate2 angle:real inMethod:number"), std::string::npos);
}

TEST(PixConvertOps, EveryOperationRunsOnEveryDepth) {
    auto sample = [](PixArgKind k) -> std::string {
        switch (k) {
        case PixArgKind::Float: return "0.5";
        case PixArgKind::Colour: return "#3060C0";
        case PixArgKind::Path: return "-";
        case PixArgKind::Bool:
        case PixArgKind::Byte: return "1";
        default: return "3";
        }
    };
    for (DWORD bpp : {1u, 4u, 8u, 24u})
        for (const PixOp& op : PixOperations()) {
            CPixImage img = tooltest::Smooth(9, 7);
            ASSERT_TRUE(bpp == 24 || img.DecreaseBpp(bpp, false));
            std::vector<std::string> args;
            for (const PixOpParam& p : op.params)
                args.push_back(sample(p.kind));
            std::string error;
            RunPixOp(img, op.name, args, error); // some refuse these values; none may crash
            EXPECT_TRUE(img.IsValid()) << op.name << " at " << bpp << ": " << error;
        }
}

// Each step reads the file the one before wrote; 24-bit steps come back to 8 bits through GIF.
TEST(PixConvertOps, ConvertsBetweenTheFormats) {
    TempDir dir;
    CPixImage src(19, 7, 8); // black and white
    src.SetGrayPalette();
    imgtest::ForEachPixel(src, [&](long x, long y) { src.SetPixelIndex(x, y, static_cast<BYTE>(x + y > 12 ? 255 : 0)); });
    std::string in = dir.File("start.bmp");
    ASSERT_TRUE(src.Save(in.c_str(), PIXFORMAT_BMP));
    for (const char* ext : {"png", "gif", "tga", "pcx", "ico", "bmp", "wbmp", "pcx", "gif", "jpg", "tga", "ico", "png"}) {
        const std::string out = dir.File(std::string("step.") + ext);
        const CommandResult r = tooltest::PixConvert(ShellQuote(in) + " " + ShellQuote(out));
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
        EXPECT_LT(back.GetPixelColor(0, 0).rgbGreen, 30) << ext;
        EXPECT_GT(back.GetPixelColor(18, 6).rgbGreen, 225) << ext;
        in = out;
    }
}

} // namespace
