// The generated pictures of the program folder: present, of the format their names promise, of
// the size their users expect, and actually drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>

#include "editor/AppDirectory.h"
#include "imagelib/PixImage.h"
#include "model/TransitionSettingCatalog.h"

namespace {

struct ProgramPicture {
    const char* file;
    DWORD format;
    DWORD width, height;
};

const ProgramPicture kPictures[] = {
    {"menu_pic/0.jpg", PIXFORMAT_JPG, 640, 480},
    {"menu_pic/1.jpg", PIXFORMAT_JPG, 640, 480},
    {"menu_pic/pal_menu_background.jpg", PIXFORMAT_JPG, 720, 576},
    {"menu_pic/ntsc_menu_background.jpg", PIXFORMAT_JPG, 720, 480},
    {"menu_pic/PAL_BG.png", PIXFORMAT_PNG, 720, 576},
    {"menu_pic/NTSC_BG.png", PIXFORMAT_PNG, 720, 480},
    {"res/defaultImage.bmp", PIXFORMAT_BMP, 320, 240},
    {"samples/01.jpg", PIXFORMAT_JPG, 800, 600},
    {"samples/02.jpg", PIXFORMAT_JPG, 600, 800},
    {"samples/03.jpg", PIXFORMAT_JPG, 800, 600},
    {"samples/04.jpg", PIXFORMAT_JPG, 600, 800},
    {"samples/05.png", PIXFORMAT_PNG, 640, 480},
    {"samples/06.jpg", PIXFORMAT_JPG, 1024, 768},
};

constexpr DWORD kCoverWidth = 120, kCoverHeight = 90;

std::string ProgramFile(const std::string& relative) { return std::string(PICREEL_PROGRAM_DIR) + relative; }

// Loads by content alone, so a file that only carries the right extension fails.
::testing::AssertionResult LoadAs(CPixImage& image, const std::string& path, DWORD format, DWORD width, DWORD height) {
    if (!image.Load(path.c_str(), PIXFORMAT_UNKNOWN))
        return ::testing::AssertionFailure() << "cannot load " << path << ": " << image.GetLastError();
    if (image.GetType() != format)
        return ::testing::AssertionFailure() << path << ": format " << image.GetType() << ", expected " << format;
    if (image.GetWidth() != width || image.GetHeight() != height)
        return ::testing::AssertionFailure() << path << ": " << image.GetWidth() << "x" << image.GetHeight()
                                             << ", expected " << width << "x" << height;
    return ::testing::AssertionSuccess();
}

// Spread of grey levels over a coarse grid: a blank or broken picture has next to none.
int GreySpread(CPixImage& image) {
    int lo = 255, hi = 0;
    for (DWORD y = 0; y < image.GetHeight(); y += 7)
        for (DWORD x = 0; x < image.GetWidth(); x += 7) {
            const int g = image.GetPixelGray(static_cast<long>(x), static_cast<long>(y));
            lo = std::min(lo, g);
            hi = std::max(hi, g);
        }
    return hi - lo;
}

// Mean of each channel.
struct MeanColor {
    double r = 0, g = 0, b = 0;
};

MeanColor Mean(CPixImage& image) {
    MeanColor m;
    double n = 0;
    for (DWORD y = 0; y < image.GetHeight(); y += 3)
        for (DWORD x = 0; x < image.GetWidth(); x += 3) {
            const RGBQUAD c = image.GetPixelColor(static_cast<long>(x), static_cast<long>(y));
            m.r += c.rgbRed;
            m.g += c.rgbGreen;
            m.b += c.rgbBlue;
            ++n;
        }
    m.r /= n;
    m.g /= n;
    m.b /= n;
    return m;
}

// Points the program folder at the build's one for a catalogue, and back afterwards.
class AppDirectoryOverride {
public:
    explicit AppDirectoryOverride(const std::string& folder) { SetAppDirectoryOverride(folder); }
    ~AppDirectoryOverride() { SetAppDirectoryOverride(""); }
    AppDirectoryOverride(const AppDirectoryOverride&) = delete;
    AppDirectoryOverride& operator=(const AppDirectoryOverride&) = delete;
};

} // namespace

TEST(ProgramDataTest, PicturesHaveTheirFormatSizeAndContent) {
    for (const ProgramPicture& p : kPictures) {
        CPixImage image;
        ASSERT_TRUE(LoadAs(image, ProgramFile(p.file), p.format, p.width, p.height));
        EXPECT_GT(GreySpread(image), 40) << p.file << " looks blank";
    }
}

TEST(ProgramDataTest, PreviewPicturesAreClearlyDifferent) {
    // The effects page shows a transition between them: alike pictures would hide it.
    CPixImage first, second;
    ASSERT_TRUE(LoadAs(first, ProgramFile("menu_pic/0.jpg"), PIXFORMAT_JPG, 640, 480));
    ASSERT_TRUE(LoadAs(second, ProgramFile("menu_pic/1.jpg"), PIXFORMAT_JPG, 640, 480));
    const MeanColor a = Mean(first), b = Mean(second);
    EXPECT_GT(std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b), 60.0);
}

TEST(ProgramDataTest, EveryCatalogueEntryHasItsOwnCover) {
    AppDirectoryOverride folder(PICREEL_PROGRAM_DIR);
    const TransitionSettingCatalog catalog;
    std::set<uint64_t> fingerprints;
    for (int32_t i = 0; i < catalog.GetCount(); ++i) {
        const std::string path = catalog.GetCoverPath(i);
        CPixImage image;
        ASSERT_TRUE(LoadAs(image, path, PIXFORMAT_JPG, kCoverWidth, kCoverHeight)) << "catalogue index " << i;
        uint64_t fingerprint = 1469598103934665603ull;
        for (DWORD y = 0; y < kCoverHeight; y += 5)
            for (DWORD x = 0; x < kCoverWidth; x += 5)
                fingerprint = (fingerprint ^ image.GetPixelGray(static_cast<long>(x), static_cast<long>(y)) / 16) *
                              1099511628211ull;
        fingerprints.insert(fingerprint);
    }
    EXPECT_EQ(fingerprints.size(), static_cast<size_t>(catalog.GetCount())) << "two kinds share a cover picture";
}
