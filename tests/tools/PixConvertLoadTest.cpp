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
std::string CutPicture(TempDir& dir, DWORD type, const std::string& name, bool palette) {
    CPixImage img = tooltest::Smooth(40, 30);
    if (palette) {
        EXPECT_TRUE(img.DecreaseBpp(8, false));
    }
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
        bool palette = false;
    } cases[] = {
        {PIXFORMAT_PNG, "cut.png", "Read Error"},
        {PIXFORMAT_PNG, "png-named.dat", "Read Error"},
        {PIXFORMAT_BMP, "cut.bmp", "Error reading BMP pixels"},
        {PIXFORMAT_TIF, "cut.tif", "Error encountered while opening TIFF file"},
        {PIXFORMAT_TGA, "cut.tga", "corrupted TGA"},
        {PIXFORMAT_TGA, "cut8.tga", "corrupted TGA", true}, // starts 0 1 1, unlike a PCX
        {PIXFORMAT_PCX, "cut.pcx", "corrupted PCX"},
        {PIXFORMAT_ICO, "cut.ico", "corrupted ICO"},
        {PIXFORMAT_JP2, "cut.jp2", "error: cannot load image data"},
        {PIXFORMAT_JPG, "cut.jpg", "Invalid JPEG file structure: missing SOS marker"},
    };
    for (const auto& c : cases) {
        const std::string path = CutPicture(dir, c.type, c.name, c.palette);
        for (const std::string& args : {path + " " + dir.File("out.bmp"), "--info " + path}) {
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

TEST(PixConvertLoad, ShortHeadsAreKnownByTheirSignatures) {
    TempDir dir;
    std::string emf(60, '\0');
    emf[0] = 1;
    emf.replace(40, 4, " EMF");
    std::string notEmf = emf;
    notEmf[41] = 'X';
    const struct {
        std::string bytes;
        const char* says;
    } cases[] = {
        {std::string("\xD7\xCD\xC6\x9A\0\0\0\0\0\0", 10), "corrupted WMF"},
        {std::string("\x01\0\x09\0\0\0", 6), "corrupted WMF"},
        {std::string("\x02\0\x09\0\0\0", 6), "corrupted WMF"},
        {emf, "corrupted WMF"},
        {notEmf, "Decode: Unknown or wrong format"},
        // The signature alone is enough to name the format.
        {"BM", "Not a BMP"},
        // TIFF in either byte order; another version number is no TIFF.
        {std::string("II*\0\0\0\0\0", 8), "Error encountered while opening TIFF file"},
        {std::string("MM\0*\0\0\0\0", 8), "Error encountered while opening TIFF file"},
        {std::string("II+\0\0\0\0\0", 8), "Decode: Unknown or wrong format"},
        {std::string("MM\0+\0\0\0\0", 8), "Decode: Unknown or wrong format"},
        // Icons and cursors, of 1 or 256 entries; no entry at all is no icon.
        {std::string("\0\0\1\0\1\0\0\0", 8), "cannot open"},
        {std::string("\0\0\2\0\1\0\0\0", 8), "cannot open"},
        {std::string("\0\0\1\0\0\1\0\0", 8), "cannot open"},
        {std::string("\0\0\2\0\0\0\0\0", 8), "Decode: Unknown or wrong format"},
        // PCX versions 0 to 5, run-length encoded only.
        {std::string("\x0A\x00\x01\x08\0\0", 6), "Can't read PCX image"},
        {std::string("\x0A\x05\x01\x08\0\0", 6), "Can't read PCX image"},
        {std::string("\x0A\x06\x01\x08\0\0", 6), "Decode: Unknown or wrong format"},
        {std::string("\x0A\x05\x02\x08\0\0", 6), "Decode: Unknown or wrong format"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("head.dat");
        WriteFileBytes(path, c.bytes);
        const CommandResult r = tooltest::PixConvert("--info " + path);
        EXPECT_EQ(r.err, "pixconvert: " + path + ": " + c.says + "\n") << c.bytes.size();
    }
}

TEST(PixConvertLoad, AOneBitPcxItWroteReadsBack) {
    REQUIRE_MAGICK();
    TempDir dir;
    const CommandResult made = RunCommand(MAGICK_CONVERT " -size 512x1 xc:black -type Bilevel BMP3:" +
                                          ShellQuote(dir.File("w.bmp")));
    ASSERT_EQ(made.status, 0) << made.err;
    const CommandResult saved = tooltest::PixConvert(dir.File("w.bmp") + " " + dir.File("w.pcx"));
    ASSERT_EQ(saved.status, 0) << saved.err;
    const CommandResult back = tooltest::PixConvert(dir.File("w.pcx") + " " + dir.File("x.bmp"));
    EXPECT_EQ(back.status, 0) << back.err;
}

} // namespace
