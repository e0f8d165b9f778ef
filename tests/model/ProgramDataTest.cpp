// The generated pictures of the program folder: present, of the format their names promise, of
// the size their users expect, and actually drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "editor/AppDirectory.h"
#include "imagelib/PixImage.h"
#include "model/TransitionSettingCatalog.h"

namespace {

struct ProgramPicture {
    const char* file;
    DWORD format, width, height;
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

// Loads by content alone, so a file that only carries the right extension fails.
::testing::AssertionResult LoadAs(CPixImage& image, const std::string& path, DWORD format, DWORD width, DWORD height) {
    if (!image.Load(path.c_str(), PIXFORMAT_UNKNOWN))
        return ::testing::AssertionFailure() << "cannot load " << path << ": " << image.GetLastError();
    if (image.GetType() != format || image.GetWidth() != width || image.GetHeight() != height)
        return ::testing::AssertionFailure() << path << ": format " << image.GetType() << ", " << image.GetWidth()
                                             << "x" << image.GetHeight();
    return ::testing::AssertionSuccess();
}

// Grey levels over a coarse grid: their spread (a blank or broken picture has next to none),
// a fingerprint of the quantised levels, and the mean of each colour channel.
struct GreyStats {
    int spread = 0;
    uint64_t fingerprint = 1469598103934665603ull;
    double mean[3] = {};
};

GreyStats Stats(CPixImage& image, DWORD step) {
    GreyStats s;
    int lo = 255, hi = 0, n = 0;
    for (DWORD y = 0; y < image.GetHeight(); y += step)
        for (DWORD x = 0; x < image.GetWidth(); x += step, ++n) {
            const int g = image.GetPixelGray(static_cast<long>(x), static_cast<long>(y));
            lo = std::min(lo, g);
            hi = std::max(hi, g);
            const RGBQUAD c = image.GetPixelColor(static_cast<long>(x), static_cast<long>(y));
            s.mean[0] += c.rgbRed;
            s.mean[1] += c.rgbGreen;
            s.mean[2] += c.rgbBlue;
            s.fingerprint = (s.fingerprint ^ static_cast<uint64_t>(g / 16)) * 1099511628211ull;
        }
    s.spread = hi - lo;
    for (double& m : s.mean) m /= n;
    return s;
}

} // namespace

TEST(ProgramDataTest, PicturesHaveTheirFormatSizeAndContent) {
    std::vector<GreyStats> stats;
    for (const ProgramPicture& p : kPictures) {
        CPixImage image;
        ASSERT_TRUE(LoadAs(image, std::string(PICREEL_PROGRAM_DIR) + p.file, p.format, p.width, p.height));
        stats.push_back(Stats(image, 7));
        EXPECT_GT(stats.back().spread, 40) << p.file << " looks blank";
    }
    // The effects page shows a transition between the two previews: alike pictures would hide it.
    double distance = 0;
    for (int c = 0; c < 3; ++c) distance += std::abs(stats[0].mean[c] - stats[1].mean[c]);
    EXPECT_GT(distance, 60.0);
}

TEST(ProgramDataTest, EveryCatalogueEntryHasItsOwnCover) {
    SetAppDirectoryOverride(PICREEL_PROGRAM_DIR);
    const TransitionSettingCatalog catalog;
    SetAppDirectoryOverride("");
    std::set<uint64_t> fingerprints;
    for (int32_t i = 0; i < catalog.GetCount(); ++i) {
        CPixImage image;
        ASSERT_TRUE(LoadAs(image, catalog.GetCoverPath(i), PIXFORMAT_JPG, 120, 90)) << "catalogue index " << i;
        fingerprints.insert(Stats(image, 5).fingerprint);
    }
    EXPECT_EQ(fingerprints.size(), static_cast<size_t>(catalog.GetCount())) << "two kinds share a cover picture";
}
