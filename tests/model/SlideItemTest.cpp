#include <cstring>

#include "editor/CPictureLayer.h"
#include "editor/CTextItem.h"
#include "model/CCropData.h"
#include "model/CImageOverlayData.h"
#include "model/CTextOverlayData.h"
#include "platform/gdiplus/Bitmap.h"
#include "tests/imagelib/ImageTestUtil.h"
#include "tests/model/ProjectTestEnv.h"

using SlideItemTest = ProjectTestEnv;

namespace {
using imgtest::Shown;

COLORREF At(const Gdiplus::Bitmap& bitmap, int x, int y) {
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    return RGB(c.GetR(), c.GetG(), c.GetB());
}

bool IsReddish(COLORREF c) { return GetRValue(c) > 180 && GetBValue(c) < 80; }
bool IsBluish(COLORREF c) { return GetBValue(c) > 180 && GetRValue(c) < 80; }
} // namespace

TEST_F(SlideItemTest, FileFactsStartTimeAndEditRecords) {
    EXPECT_EQ(CSlideItem::FromFile(UserFile("missing.jpg")), nullptr);
    WriteFileBytes(UserFile("holiday.jpeg"), std::string(2048, 'x'));
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(UserFile("holiday.jpeg"));
    ASSERT_NE(slide, nullptr);
    EXPECT_EQ(slide->m_strFileName, "holiday.jpeg");
    EXPECT_EQ(slide->m_strTempFile, slide->m_strOriginalFile);
    EXPECT_EQ(slide->m_strFileSize, "2KB");
    EXPECT_EQ(slide->m_strTypeName, "JPEG File");
    slide->SetStart(3725);
    EXPECT_EQ(slide->GetTimeText(), "01:02:05");

    // Editor items become edit records; a face name without its terminator is cut.
    CTextItem text;
    text.m_strText = "hello";
    text.m_crText = RGB(1, 2, 3);
    text.m_LogFont.lfWeight = FW_BOLD;
    std::fill(std::begin(text.m_LogFont.lfFaceName), std::end(text.m_LogFont.lfFaceName), 'F');
    CPictureLayer layer;
    layer.m_strPicturePath = "/clip/star.png";
    CTextItem stranger;
    stranger.m_nKind = 2;
    for (const CTextItem* item : {&text, &stranger}) slide->AddOverlayFromItem(*item);
    slide->AddOverlayFromItem(layer);
    ASSERT_EQ(slide->m_lstEdits.size(), 2u);
    const auto& record = dynamic_cast<const CTextOverlayData&>(*slide->m_lstEdits[0]);
    EXPECT_EQ(record.text, "hello");
    EXPECT_EQ(record.fontWeight, FW_BOLD);
    EXPECT_EQ(record.color, RGB(1, 2, 3));
    EXPECT_EQ(std::string(record.faceName), std::string(31, 'F'));
    EXPECT_EQ(dynamic_cast<const CImageOverlayData&>(*slide->m_lstEdits[1]).path, "/clip/star.png");
}

TEST(TextOverlayDataTest, SetFontCutsTheFaceNameBetweenCharacters) {
    const std::string e2 = "\xC3\xA9", e3 = "\xE2\x82\xAC", e4 = "\xF0\x9F\x98\x80";
    auto times = [](const std::string& s, int n) {
        std::string out;
        for (int k = 0; k < n; ++k) out += s;
        return out;
    };
    // The field as given (up to 32 bytes, no terminator when full), the face name kept.
    const struct {
        std::string field;
        std::string kept;
    } cases[] = {
        {times(e2, 16), times(e2, 15)},
        {"ab" + times(e3, 10), "ab" + times(e3, 9)},
        {"a" + times(e3, 10) + "b", "a" + times(e3, 10)},
        {times(e4, 8), times(e4, 7)},
        {"a" + times(e2, 15), "a" + times(e2, 15)},
        {std::string(32, 'F'), std::string(31, 'F')},
        {"Serif", "Serif"},
    };
    for (const auto& c : cases) {
        LOGFONT font{};
        std::memcpy(font.lfFaceName, c.field.data(), c.field.size());
        CTextOverlayData text;
        text.SetFont(font, 0, 0);
        EXPECT_EQ(std::string(text.faceName), c.kept);
        EXPECT_EQ(std::string(text.logFont.lfFaceName), c.kept);
    }
    // The rectangle's size changes only where a non-zero one is given.
    CTextOverlayData text;
    text.cx = 5;
    text.cy = 6;
    text.SetFont(LOGFONT{}, 0, 9);
    EXPECT_EQ(text.cx, 5);
    EXPECT_EQ(text.cy, 9);
    text.SetFont(LOGFONT{}, 7, 0);
    EXPECT_EQ(text.cx, 7);
    EXPECT_EQ(text.cy, 9);
}

TEST_F(SlideItemTest, ThumbnailsLetterboxOnWhite) {
    REQUIRE_PICTURE(WritePicture(UserFile("wide.bmp"), 1000, 500, PIXFORMAT_BMP, RGB(255, 0, 0), RGB(255, 0, 0)));
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(UserFile("wide.bmp"));
    EXPECT_FALSE(slide->HasImage());
    EXPECT_EQ(slide->CreateThumbnail(0, false), 1);
    ASSERT_TRUE(slide->HasImage());
    const Gdiplus::Bitmap& thumb = *slide->GetThumbnail();
    ASSERT_EQ(thumb.GetWidth(), 60u);
    ASSERT_EQ(thumb.GetHeight(), 45u);
    // 60 x 30 centred: white bands of 7 or 8 rows above and below.
    int redRows = 0;
    for (int y = 0; y < 45; ++y) redRows += IsReddish(At(thumb, 30, y)) ? 1 : 0;
    EXPECT_GE(redRows, 29);
    EXPECT_LE(redRows, 31);
    EXPECT_EQ(GetBValue(At(thumb, 0, 0)), 255);
    EXPECT_EQ(GetGValue(At(thumb, 59, 44)), 255);

    // Kept unless forced; a bad size row leaves it as it is.
    slide->CreateThumbnail(3, false);
    EXPECT_EQ(slide->GetThumbnail()->GetWidth(), 60u);
    slide->CreateThumbnail(3, true);
    EXPECT_EQ(slide->GetThumbnail()->GetWidth(), 320u);
    slide->CreateThumbnail(10, true);
    EXPECT_EQ(slide->m_nThumbSize, 3);
}

TEST_F(SlideItemTest, PicturesThatDoNotDecodeMakeNothing) {
    WriteFileBytes(UserFile("empty.bmp"), "");
    WriteFileBytes(UserFile("junk.jpg"), std::string(100, '\xFF'));
    for (const char* name : {"empty.bmp", "junk.jpg", "absent.png"}) EXPECT_FALSE(IsLoadableImage(UserFile(name)));
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(UserFile("junk.jpg"));
    EXPECT_EQ(slide->CreateThumbnail(1, true), 1);
    EXPECT_FALSE(slide->HasImage());
    EXPECT_FALSE(slide->SaveCoverBitmap(UserFile("cover.bmp")));
    EXPECT_FALSE(FileExists(UserFile("cover.bmp")));
    EXPECT_EQ(slide->RotateLeft(g_Project.m_Config.m_strWorkingFolder), -1);
    EXPECT_EQ(slide->m_strTempFile, UserFile("junk.jpg"));
}

TEST_F(SlideItemTest, RotationWritesTurnedCopiesInThePicturesFormat) {
    // Red on the left half, blue on the right; the extension is lower-cased before it names the format.
    const struct {
        const char* name;
        DWORD type;
    } formats[] = {{"Pic.JPG", PIXFORMAT_JPG}, {"Pic.bmp", PIXFORMAT_BMP}};
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        REQUIRE_PICTURE(WritePicture(UserFile(std::string("a/") + f.name), 64, 32, f.type));
        std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(UserFile(std::string("a/") + f.name));
        ASSERT_NE(slide, nullptr);
        ASSERT_EQ(slide->RotateLeft(working), 0);
        EXPECT_EQ(slide->m_strTempFile, working + "/temp/" + f.name);
        CPixImage left;
        ASSERT_TRUE(left.Load(slide->m_strTempFile.c_str(), f.type));
        ASSERT_EQ(left.GetWidth(), 32u);
        ASSERT_EQ(left.GetHeight(), 64u);
        // Turned left, the left half lies at the bottom.
        EXPECT_TRUE(IsBluish(Shown(left, 16, 8)));
        EXPECT_TRUE(IsReddish(Shown(left, 16, 56)));

        // Turning right twice works on the copy: the left half ends at the top.
        ASSERT_EQ(slide->RotateRight(working), 0);
        ASSERT_EQ(slide->RotateRight(working), 0);
        EXPECT_EQ(slide->m_strTempFile, working + "/temp/" + f.name);
        CPixImage right, original;
        ASSERT_TRUE(right.Load(slide->m_strTempFile.c_str(), 0));
        EXPECT_TRUE(IsReddish(Shown(right, 16, 8)));
        EXPECT_TRUE(IsBluish(Shown(right, 16, 56)));

        // The original is untouched; the copy follows the temp folder under its own name.
        ASSERT_TRUE(original.Load(slide->m_strOriginalFile.c_str(), 0));
        EXPECT_EQ(original.GetWidth(), 64u);
        slide->SetTempFolder("/elsewhere");
        EXPECT_EQ(slide->m_strTempFile, std::string("/elsewhere/") + f.name);
    }
}

TEST_F(SlideItemTest, RotatedCopiesOfSameNamedPicturesDoNotCollide) {
    REQUIRE_PICTURE(WritePicture(UserFile("a/photo.bmp"), 64, 32, PIXFORMAT_BMP));
    ASSERT_TRUE(WritePicture(UserFile("b/photo.bmp"), 48, 16, PIXFORMAT_BMP));
    WriteFileBytes(UserFile("c/photo"), "no extension");
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    std::unique_ptr<CSlideItem> first = CSlideItem::FromFile(UserFile("a/photo.bmp"));
    std::unique_ptr<CSlideItem> second = CSlideItem::FromFile(UserFile("b/photo.bmp"));
    ASSERT_EQ(first->RotateLeft(working), 0);
    ASSERT_EQ(second->RotateLeft(working), 0);
    ASSERT_NE(first->m_strTempFile, second->m_strTempFile);
    CPixImage one, two;
    ASSERT_TRUE(one.Load(first->m_strTempFile.c_str(), 0));
    ASSERT_TRUE(two.Load(second->m_strTempFile.c_str(), 0));
    EXPECT_EQ(one.GetHeight(), 64u);
    EXPECT_EQ(two.GetHeight(), 48u);
    std::unique_ptr<CSlideItem> bare = CSlideItem::FromFile(UserFile("c/photo"));
    EXPECT_EQ(bare->RotateRight(working), -1);
}
