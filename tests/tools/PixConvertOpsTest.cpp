#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"
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

    // A failure without a reason of the library's ends the line at "failed".
    const struct { std::string args; const char* says; } refused[] = {
        {"--op Blur 3", "unknown operation Blur"},           {"--op Crop 1 2 3", "wrong number of arguments"},
        {"--op Dither x", "method must be number"},          {"--op Expand 12 9 red", "canvascolor must be #RRGGBB"},
        {"--op Rotate nan", "angle must be real"},           {"--op AlphaSet 256", "level must be 0..255"},
        {"--op Negative --op Expand -1 0 0 0 '#000000'", "Expand failed\n"},
        {"--op SelectionAddPolygon 1,2,3,4,5", "points must be x,y,x,y,..."},
        {"--op DrawStringEx 1 2 0 size=3", "no field \"size=3\""},
        {"--op DrawStringEx 1 2 0 box", "no field \"box\""},
        {"--op DrawStringEx 1 2 0 box=2", "box must be 0|1, not \"2\""},
        {"--op DrawString 1 2 x '#000000' Arial 9 400 0 0", "wrong number of arguments"},
        {"--op SelectionClear", "SelectionClear failed\n"},
        {"--op SelectionAddRect 0 1 2 4294967296", "SelectionAddRect failed\n"},
        {"--op SelectionAddPixel 4294967296 1", "SelectionAddPixel failed\n"},
        {"--op SelectionSplit -", "SelectionSplit failed\n"},
        {"--op DrawStringEx 1 2 0 lfHeight=4294967312", "DrawStringEx failed\n"}, // 16 if cut to 32 bits
        {"--op DrawStringEx 1 2 0 lfWeight=4294967696", "DrawStringEx failed\n"}, // 400 if cut
        {"--op DrawStringEx 1 2 0 text=" + std::string(4096, 'x'), "DrawStringEx failed\n"},
        {"--frame 1", "no frame 1; frames run from 0 to 0"}};
    std::filesystem::remove(dir.File("out.png"));
    for (const auto& c : refused) {
        const CommandResult r = tooltest::PixConvert(files + c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.png")));
    const std::string listed = tooltest::PixConvert("--ops").out;
    for (const char* line : {"Rotate2 angle:real inMethod:number", "SelectionAddPolygon points:x,y,x,y,...\n",
                             "DrawStringEx x:number y:number bSetAlpha:0|1 [text=text] [lfFaceName=text]"})
        EXPECT_NE(listed.find(line), std::string::npos) << line;

    WriteFileBytes(dir.File("bad.png"), "not a picture");
    const std::string in = dir.File("in.png") + " ", out = dir.File("out.png") + " ", bad = dir.File("bad.png");
    const struct { std::string args; int status; std::string says; } lines[] = {
        {in + out + "--frame -1", 2, "pixconvert: --frame wants a number from 0, not \"-1\"\n"},
        {in + out + "--frame", 2, "usage: "},
        {"--info " + in + out, 2, "usage: "},
        {"--info " + in + "--op Negative", 2, "usage: "},
        {"--info " + bad, 1, "pixconvert: " + bad + ": Decode: Unknown or wrong format\n"},
        {bad + " " + out + "--frame 1", 1, "pixconvert: " + bad + ": Decode: Unknown or wrong format\n"},
        {"--info " + in, 0, ""}};
    for (const auto& c : lines) {
        const CommandResult r = tooltest::PixConvert(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.err.substr(0, c.says.size()), c.says) << c.args;
        EXPECT_TRUE(c.status != 0 || r.err.empty()) << r.err;
    }
}

// Rows count from the bottom, as in the selection; 1 changed, 0 kept, -1 either.
TEST(PixConvertOps, SelectionsBoundTheOperationsAfterThem) {
    TempDir dir;
    // A smooth picture with a flat block at 4..7 x 2..5.
    const CPixImage src = imgtest::Picture(20, 10, [](long x, long y) {
        return x >= 4 && x < 8 && y >= 2 && y < 6 ? RGB(16, 32, 48) : RGB(40 + 2 * x, 90 + 9 * y, 30 + 5 * x);
    });
    ASSERT_TRUE(CPixImage(src).Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
    const struct {
        const char* ops;
        int (*changed)(long x, long y);
    } cases[] = {
        {"SelectionAddRect 2 8 10 3", [](long x, long y) { return int(x >= 2 && x < 10 && y >= 3 && y < 8); }},
        {"SelectionAddRect 10 3 2 8", [](long x, long y) { return int(x >= 2 && x < 10 && y >= 3 && y < 8); }},
        {"SelectionCreate", [](long, long) { return 0; }},
        {"SelectionCreate --op SelectionDelete", [](long, long) { return 1; }},
        {"SelectionAddRect 0 10 20 0 --op SelectionClear", [](long, long) { return 0; }},
        {"SelectionAddRect 0 10 20 0 --op SelectionInvert --op SelectionAddPixel 4 6",
         [](long x, long y) { return int(x == 4 && y == 6); }},
        {"SelectionAddEllipse 0 10 20 0",
         [](long x, long y) {
             const double d = (x - 10) * (x - 10) / 100.0 + (y - 5) * (y - 5) / 25.0;
             return d < 0.5 ? 1 : d > 1.5 ? 0 : -1;
         }},
        {"SelectionAddPolygon 2,1,12,1,12,8,2,8",
         [](long x, long y) { return int(x >= 2 && x <= 12 && y >= 1 && y <= 8); }},
        // The box ends on the last matching row and column; whether they change is the library's affair.
        {"SelectionAddColor '#102030'",
         [](long x, long y) { return x == 7 || y == 5 ? (x >= 4 && x <= 7 && y >= 2 && y <= 5 ? -1 : 0)
                                                      : int(x >= 4 && x < 7 && y >= 2 && y < 5); }},
    };
    for (const auto& c : cases) {
        const CommandResult r = tooltest::PixConvert(dir.File("in.png") + " " + dir.File("out.png") + " --op " + c.ops +
                                                     " --op Negative");
        ASSERT_EQ(r.status, 0) << c.ops << ": " << r.err;
        CPixImage got(dir.File("out.png").c_str(), PIXFORMAT_PNG), was(src);
        imgtest::ForEachPixel(got, [&](long x, long y) {
            const int want = c.changed(x, y);
            if (want >= 0) {
                EXPECT_EQ(int(imgtest::Rgb(got, x, y) != imgtest::Rgb(was, x, y)), want)
                    << c.ops << " at " << x << "," << y;
            }
        });
    }

    const CommandResult asked = tooltest::PixConvert(
        dir.File("in.png") + " " + dir.File("out.png") + " --op SelectionIsValid --op SelectionAddRect 2 8 10 3" +
        " --op SelectionGetBox --op SelectionIsInside 2 3 --op SelectionIsInside 10 3 --op SelectionIsValid" +
        " --op SelectionSplit " + dir.File("plane.png"));
    ASSERT_EQ(asked.status, 0) << asked.err;
    EXPECT_EQ(asked.out, "SelectionIsValid 0\nSelectionGetBox 2 8 10 3\nSelectionIsInside 1\nSelectionIsInside 0\n"
                         "SelectionIsValid 1\n");
    CPixImage plane(dir.File("plane.png").c_str(), PIXFORMAT_PNG);
    EXPECT_EQ(imgtest::Rgb(plane, 2, 3), RGB(255, 255, 255));
    EXPECT_EQ(imgtest::Rgb(plane, 10, 3), RGB(0, 0, 0));
}

TEST(PixConvertOps, TextIsDrawnWithTheRecordDefaultsUnlessNamed) {
    TempDir dir;
    ASSERT_TRUE(imgtest::Picture(160, 50, [](long, long) { return RGB(51, 102, 153); })
                    .Save(dir.File("in.png").c_str(), PIXFORMAT_PNG));
    const COLORREF red = RGB(255, 0, 0), green = RGB(32, 96, 0);
    // The ink lies right of column left and on or above row bottom, both counted from the top.
    const struct {
        const char* ops;
        COLORREF ink;
        long least;
        COLORREF absent;
        long left, bottom;
    } cases[] = {
        {"DrawString 90 30 Hello '#FF0000' Arial -24 700 0 0 0", red, 60, green, 90, 30},
        {"DrawStringEx 80 45 0", green, 600, red, 0, 45},
        {"DrawStringEx 80 45 0 boxColor=#FF0000", red, 600, green, 0, 45},
        {"DrawStringEx 90 40 0 box=0 'text=Hi there' textColor=#FF0000 align=0 lfHeight=-20", red, 30, green, 90, 40},
    };
    for (const auto& c : cases) {
        const CommandResult r =
            tooltest::PixConvert(dir.File("in.png") + " " + dir.File("out.png") + " --op " + c.ops);
        ASSERT_EQ(r.status, 0) << c.ops << ": " << r.err;
        CPixImage got(dir.File("out.png").c_str(), PIXFORMAT_PNG);
        long inked = 0, absent = 0, astray = 0;
        imgtest::ForEachPixel(got, [&](long x, long y) {
            const bool ink = imgtest::Rgb(got, x, y) == c.ink;
            inked += ink;
            absent += imgtest::Rgb(got, x, y) == c.absent;
            astray += ink && (x < c.left || 49 - y > c.bottom);
        });
        EXPECT_EQ(astray, 0) << c.ops;
        EXPECT_GE(inked, c.least) << c.ops;
        EXPECT_EQ(absent, 0) << c.ops;
    }

    // Each argument and field reaches its own place: the same picture as the library's own call.
    auto expectSame = [&](const std::string& ops, const std::function<void(CPixImage&)>& call) {
        const CommandResult r = tooltest::PixConvert(dir.File("in.png") + " " + dir.File("out.png") + " --op " + ops);
        ASSERT_EQ(r.status, 0) << ops << ": " << r.err;
        CPixImage got(dir.File("out.png").c_str(), PIXFORMAT_PNG), want(dir.File("in.png").c_str(), PIXFORMAT_PNG);
        call(want);
        EXPECT_EQ(imgtest::MaxDifference(got, want), 0) << ops;
        ASSERT_EQ(got.AlphaIsValid(), want.AlphaIsValid()) << ops;
        long alphaDiffers = 0;
        if (want.AlphaIsValid())
            imgtest::ForEachPixel(got, [&](long x, long y) { alphaDiffers += got.AlphaGet(x, y) != want.AlphaGet(x, y); });
        EXPECT_EQ(alphaDiffers, 0) << ops;
    };
    // A face other than the default one, so that a lost font name shows.
    expectSame("AlphaCreate --op DrawString 90 30 Hello '#FF0000' 'DejaVu Serif' -24 700 1 0 1", [](CPixImage& i) {
        i.AlphaCreate();
        i.DrawString(nullptr, 90, 30, "Hello", imgtest::Quad(255, 0, 0), "DejaVu Serif", -24, 700, 1, 0, true);
    });
    using Text = CPixImage::tagPixTextInfo;
    const std::pair<const char*, void (*)(Text&)> fields[] = {
        {"'text=a b'", [](Text& t) { std::strcpy(t.text, "a b"); }},
        // A face name past its room is cut, as DrawString cuts it.
        {"lfFaceName=Arial-and-a-name-of-more-than-31-letters",
         [](Text& t) { std::strcpy(t.font.lfFaceName, "Arial-and-a-name-of-more-than-3"); }},
        {"lfHeight=-18", [](Text& t) { t.font.lfHeight = -18; }},
        {"lfWeight=700", [](Text& t) { t.font.lfWeight = 700; }},
        {"lfItalic=1", [](Text& t) { t.font.lfItalic = 1; }},
        {"lfUnderline=1", [](Text& t) { t.font.lfUnderline = 1; }},
        {"textColor=#102030", [](Text& t) { t.textColor = RGB(16, 32, 48); }},
        {"align=2", [](Text& t) { t.align = 2; }},
        {"box=0", [](Text& t) { t.box = false; }},
        {"box=1", [](Text& t) { t.box = true; }},
        {"boxColor=#405060", [](Text& t) { t.boxColor = RGB(64, 80, 96); }},
        {"boxOpacity=0.25", [](Text& t) { t.boxOpacity = 0.25f; }},
        {"roundness=50", [](Text& t) { t.roundness = 50; }},
    };
    for (const auto& [field, edit] : fields)
        expectSame(std::string("AlphaCreate --op AlphaSet 100 --op DrawStringEx 100 40 1 ") + field, [&](CPixImage& i) {
            i.AlphaCreate();
            i.AlphaSet(100);
            Text t;
            i.InitTextInfo(&t);
            edit(t);
            i.DrawStringEx(nullptr, 100, 40, &t, true);
        });
}

// Two frames in one file: frame 0 red, frame 1 blue and, where the format allows, of other size.
TEST(PixConvertOps, FrameChoosesTheFramePageOrIconEntry) {
    TempDir dir;
    auto flat = [](DWORD w, DWORD h, BYTE index) {
        CPixImage img(w, h, 8);
        img.SetPaletteColor(0, 200, 30, 30);
        img.SetPaletteColor(1, 30, 30, 200);
        img.Clear(index);
        return img;
    };
    CPixImage red = flat(16, 8, 0), blue = flat(16, 8, 1), small = flat(10, 6, 1), icon = flat(32, 32, 1);
    auto pages = [&](CPixImage& a, CPixImage& b, DWORD type) {
        CPixImage* list[] = {&a, &b};
        CPixMemFile mem;
        mem.Open();
        EXPECT_TRUE(a.Encode(&mem, list, 2, type)) << a.GetLastError();
        return std::string(reinterpret_cast<const char*>(mem.GetBuffer(false)), mem.Size());
    };
    // The library writes one entry per icon file; two files make one of two entries.
    const imgtest::Bytes one = imgtest::EncodeAs(red, PIXFORMAT_ICO), two = imgtest::EncodeAs(icon, PIXFORMAT_ICO);
    ASSERT_TRUE(one.size() > 22 && two.size() > 22 && one[18] == 22 && two[18] == 22);
    imgtest::Bytes ico = {0, 0, 1, 0, 2, 0};
    ico.insert(ico.end(), one.begin() + 6, one.begin() + 18);
    imgtest::PutLE(ico, 38, 4);
    ico.insert(ico.end(), two.begin() + 6, two.begin() + 18);
    imgtest::PutLE(ico, static_cast<uint32_t>(38 + one.size() - 22), 4);
    ico.insert(ico.end(), one.begin() + 22, one.end());
    ico.insert(ico.end(), two.begin() + 22, two.end());
    WriteFileBytes(dir.File("two.ico"), std::string(ico.begin(), ico.end()));
    WriteFileBytes(dir.File("two.gif"), pages(red, blue, PIXFORMAT_GIF));
    WriteFileBytes(dir.File("two.tif"), pages(red, small, PIXFORMAT_TIF));

    const struct {
        const char* file;
        const char* frame1; // --info of frame 1
    } cases[] = {{"two.gif", "width 16\nheight 8\n"},
                 {"two.tif", "width 10\nheight 6\n"},
                 {"two.ico", "width 32\nheight 32\n"}};
    for (const auto& c : cases) {
        const std::string in = dir.File(c.file);
        const CommandResult info = tooltest::PixConvert("--info " + in + " --frame 1");
        ASSERT_EQ(info.status, 0) << c.file << ": " << info.err;
        EXPECT_EQ(info.out.rfind(c.frame1, 0), 0u) << info.out;
        EXPECT_NE(info.out.find("\nframes 2\n"), std::string::npos) << info.out;
        for (const char* frame : {"0", "1"}) {
            const CommandResult r = tooltest::PixConvert(in + " " + dir.File("out.png") + " --frame " + frame);
            ASSERT_EQ(r.status, 0) << c.file << ": " << r.err;
            CPixImage got(dir.File("out.png").c_str(), PIXFORMAT_PNG);
            EXPECT_EQ(imgtest::Rgb(got, 1, 1), *frame == '0' ? RGB(200, 30, 30) : RGB(30, 30, 200)) << c.file << frame;
        }
        const CommandResult past = tooltest::PixConvert(in + " " + dir.File("out.png") + " --frame 2");
        EXPECT_EQ(past.status, 1) << c.file;
        EXPECT_EQ(past.err, "pixconvert: " + in + ": no frame 2; frames run from 0 to 1\n");
    }
    ASSERT_TRUE(red.Save(dir.File("one.png").c_str(), PIXFORMAT_PNG));
    EXPECT_NE(tooltest::PixConvert("--info " + dir.File("one.png")).out.find("\nframes 1\n"), std::string::npos);

    // A GIF whose frame 0 has an impossible code size: that frame says why, frame 1 loads, and a
    // frame past the two is named as such.
    const std::string bad = dir.File("bad.gif"), out = dir.File("out.png");
    WriteFileBytes(bad, std::string("GIF89a\x02\0\x01\0\x80\0\0\xC8\x1E\x1E\x1E\x1E\xC8"
                                    ",\0\0\0\0\x02\0\x01\0\0\x0C\x01\xFF\0"
                                    ",\0\0\0\0\x02\0\x01\0\0\x02\x02\x4C\x0A\0;",
                                    49));
    const struct { std::string args; int status; std::string err; } lines[] = {
        {"--info " + bad, 1, "pixconvert: " + bad + ": GIF code size out of range\n"},
        {bad + " " + out, 1, "pixconvert: " + bad + ": GIF code size out of range\n"},
        {"--info " + bad + " --frame 1", 0, ""},
        {bad + " " + out + " --frame 1", 0, ""},
        {bad + " " + out + " --frame 2", 1, "pixconvert: " + bad + ": no frame 2; frames run from 0 to 1\n"}};
    for (const auto& c : lines) {
        const CommandResult r = tooltest::PixConvert(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.err, c.err) << c.args;
    }
    CPixImage second(out.c_str(), PIXFORMAT_PNG);
    EXPECT_EQ(imgtest::Rgb(second, 1, 0), RGB(30, 30, 200));
}

TEST(PixConvertOps, EveryOperationRunsOnEveryDepth) {
    auto sample = [](PixArgKind k) -> std::string {
        switch (k) {
        case PixArgKind::Float: return "0.5";
        case PixArgKind::Colour: return "#3060C0";
        case PixArgKind::Path: return "-";
        case PixArgKind::Text: return "Hi";
        case PixArgKind::Points: return "1,1,6,1,3,5";
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

// The Fourier transform's imaginary part is written only where asked for.
TEST(PixConvertOps, FourierTransformWritesItsImaginaryPartOnlyWhenAsked) {
    TempDir dir;
    const std::string imag = dir.File("imag.png");
    for (const std::string& out : {std::string("-"), imag}) {
        CPixImage img = tooltest::Smooth(8, 8);
        std::string error;
        EXPECT_TRUE(RunPixOp(img, "FFT2", {"-", out, "1", "1", "1"}, error)) << out << ": " << error;
        EXPECT_EQ(img.GetBpp(), 8u) << out;
    }
    CPixImage back;
    EXPECT_TRUE(back.Load(imag.c_str(), PIXFORMAT_PNG));
    EXPECT_EQ(back.GetWidth(), 8u);
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
