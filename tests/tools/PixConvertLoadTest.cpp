#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "imagelib/PixImage.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/support/MissingDependency.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PixConvertTestUtil.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A picture in the format, cut to half its length.
std::string CutPicture(TempDir& dir, DWORD type, const std::string& name) {
    CPixImage img = tooltest::Smooth(40, 30);
    const std::string full = dir.File("full-" + name);
    EXPECT_TRUE(img.Save(full.c_str(), type)) << img.GetLastError();
    const std::string bytes = ReadFile(full);
    const std::string cut = dir.File(name);
    WriteFileBytes(cut, bytes.substr(0, bytes.size() / 2));
    return cut;
}

TEST(PixConvertLoad, ACutFileTellsWhyItsFormatFailed) {
    // The format comes from the file's signature, or from its name when the format has none.
    TempDir dir;
    const struct {
        DWORD type;
        const char* name;
        const char* says;
    } cases[] = {
        {PIXFORMAT_PNG, "cut.png", "Read Error"},
        {PIXFORMAT_PNG, "png-named.dat", "Read Error"},
        {PIXFORMAT_BMP, "cut.bmp", "Error reading BMP pixels"},
        {PIXFORMAT_TIF, "cut.tif", "Error encountered while opening TIFF file"},
        {PIXFORMAT_TGA, "cut.tga", "corrupted TGA"},
        {PIXFORMAT_PCX, "cut.pcx", "corrupted PCX"},
        {PIXFORMAT_ICO, "cut.ico", "corrupted ICO"},
        {PIXFORMAT_JP2, "cut.jp2", "error: cannot load image data"},
        {PIXFORMAT_JPG, "cut.jpg", "Invalid JPEG file structure: missing SOS marker"},
    };
    for (const auto& c : cases) {
        const std::string path = CutPicture(dir, c.type, c.name);
        for (const std::string args : {path + " " + dir.File("out.bmp"), "--info " + path}) {
            const CommandResult r = tooltest::PixConvert(args);
            EXPECT_EQ(r.status, 1) << args;
            EXPECT_EQ(r.err, "pixconvert: " + path + ": " + c.says + "\n") << args;
        }
    }

    // Nothing names a format: the library's probing decides, and says when nothing fits.
    const std::string tga = dir.File("full-cut.tga"), unnamed = dir.File("picture.dat");
    std::filesystem::copy_file(tga, unnamed);
    const CommandResult probed = tooltest::PixConvert("--info " + unnamed);
    EXPECT_EQ(probed.status, 0) << probed.err;
    EXPECT_NE(probed.out.find("type 7\n"), std::string::npos) << probed.out;
    WriteFileBytes(dir.File("cut.dat"), ReadFile(tga).substr(0, 100));
    const CommandResult unknown = tooltest::PixConvert("--info " + dir.File("cut.dat"));
    EXPECT_EQ(unknown.err, "pixconvert: " + dir.File("cut.dat") + ": Decode: Unknown or wrong format\n");
}

TEST(PixConvertLoad, AOneBitPcxItWroteReadsBack) {
    REQUIRE_MAGICK();
    TempDir dir;
    const CommandResult made =
        RunCommand(MAGICK_CONVERT " -size 512x1 xc:black -type Bilevel BMP3:" + ShellQuote(dir.File("w.bmp")));
    ASSERT_EQ(made.status, 0) << made.err;
    const CommandResult saved = tooltest::PixConvert(dir.File("w.bmp") + " " + dir.File("w.pcx"));
    ASSERT_EQ(saved.status, 0) << saved.err;
    const CommandResult back = tooltest::PixConvert(dir.File("w.pcx") + " " + dir.File("x.bmp"));
    EXPECT_EQ(back.status, 0) << back.err;
}

} // namespace
