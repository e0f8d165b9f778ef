#include "editor/CPictureLayer.h"
#include "editor/CTextItem.h"
#include "model/CCropData.h"
#include "model/CImageOverlayData.h"
#include "model/CTextOverlayData.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/ImageProbe.h"
#include "tests/model/ProjectTestEnv.h"

using SlideItemTest = ProjectTestEnv;

namespace {
// Colour of a pixel counted from the top row.
RGBQUAD TopDown(CPixImage& picture, long x, long y) {
    return picture.GetPixelColor(x, static_cast<long>(picture.GetHeight()) - 1 - y);
}

RGBQUAD At(const Gdiplus::Bitmap& bitmap, int x, int y) {
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    RGBQUAD q{};
    q.rgbRed = c.GetR();
    q.rgbGreen = c.GetG();
    q.rgbBlue = c.GetB();
    return q;
}

bool IsReddish(RGBQUAD c) { return c.rgbRed > 180 && c.rgbBlue < 80; }
bool IsBluish(RGBQUAD c) { return c.rgbBlue > 180 && c.rgbRed < 80; }
} // namespace

TEST_F(SlideItemTest, FileFactsStartTimeAndEditRecords) {
    EXPECT_EQ(CSlideItem::FromFile(File("missing.jpg")), nullptr);
    WriteFileBytes(File("holiday.jpeg"), std::string(2048, 'x'));
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(File("holiday.jpeg"));
    ASSERT_NE(slide, nullptr);
    EXPECT_EQ(slide->m_strFileName, "holiday.jpeg");
    EXPECT_EQ(slide->m_strTempFile, slide->m_strOriginalFile);
    EXPECT_EQ(slide->m_nFileSize, 2048);
    EXPECT_EQ(slide->m_strFileSize, "2KB");
    EXPECT_EQ(slide->m_strTypeName, "JPEG File");
    EXPECT_EQ(slide->m_nThumbSize, 5);
    EXPECT_GT(slide->m_tFileTime, 0);

    slide->SetStart(3725);
    EXPECT_EQ(slide->m_nStartSeconds, 3725);
    EXPECT_EQ(slide->GetTimeText(), "01:02:05");

    CTextItem text;
    text.m_x = 1;
    text.m_y = 2;
    text.m_cx = 30;
    text.m_cy = 40;
    text.m_strText = "hello";
    text.m_crText = RGB(1, 2, 3);
    text.m_LogFont.lfHeight = -24;
    text.m_LogFont.lfWeight = FW_BOLD;
    text.m_LogFont.lfItalic = 1;
    std::fill(std::begin(text.m_LogFont.lfFaceName), std::end(text.m_LogFont.lfFaceName), 'F'); // no terminator
    CPictureLayer layer;
    layer.m_strPicturePath = "/clip/star.png";
    layer.m_cx = 9;
    CTextItem stranger;
    stranger.m_nKind = 2;
    slide->AddOverlayFromItem(text);
    slide->AddOverlayFromItem(layer);
    slide->AddOverlayFromItem(stranger);
    slide->AddEdit(std::make_unique<CCropData>(), COverlayData::KIND_CROP);
    slide->AddEdit(std::make_unique<COverlayData>(), COverlayData::KIND_MIRROR_LEFT_RIGHT);
    ASSERT_EQ(slide->m_lstEdits.size(), 4u);

    const auto& textRecord = dynamic_cast<const CTextOverlayData&>(*slide->m_lstEdits[0]);
    EXPECT_EQ(textRecord.kind, COverlayData::KIND_TEXT);
    EXPECT_EQ(textRecord.text, "hello");
    EXPECT_EQ(textRecord.cx, 30);
    EXPECT_EQ(textRecord.fontHeight, -24);
    EXPECT_EQ(textRecord.fontWeight, FW_BOLD);
    EXPECT_EQ(textRecord.italic, 1);
    EXPECT_EQ(textRecord.color, RGB(1, 2, 3));
    EXPECT_EQ(std::string(textRecord.faceName), std::string(31, 'F'));
    EXPECT_EQ(dynamic_cast<const CImageOverlayData&>(*slide->m_lstEdits[1]).path, "/clip/star.png");
    EXPECT_EQ(slide->m_lstEdits[3]->kind, COverlayData::KIND_MIRROR_LEFT_RIGHT);
    EXPECT_STREQ(COverlayData::GetElementName(slide->m_lstEdits[3]->kind), "FlipVertically");
    EXPECT_EQ(COverlayData::FindKindByElement("RotateRight90"), COverlayData::KIND_ROTATE_RIGHT_90);

    // SetFont keeps the size when given none.
    CTextOverlayData copy(textRecord);
    copy.SetFont(LOGFONT{}, 0, 0);
    EXPECT_EQ(copy.cx, 30);
    EXPECT_EQ(copy.fontWeight, 400);
    slide->RemoveAllEdits();
    EXPECT_TRUE(slide->m_lstEdits.empty());
}

TEST_F(SlideItemTest, ThumbnailsLetterboxOnWhite) {
    REQUIRE_PICTURE(WritePicture(File("wide.bmp"), 1000, 500, PIXFORMAT_BMP, RGB(255, 0, 0), RGB(255, 0, 0)));
    EXPECT_TRUE(IsLoadableImage(File("wide.bmp")));
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(File("wide.bmp"));
    EXPECT_FALSE(slide->HasImage());
    EXPECT_EQ(slide->CreateThumbnail(0, false), 1);
    ASSERT_TRUE(slide->HasImage());
    const Gdiplus::Bitmap& thumb = *slide->GetThumbnail();
    ASSERT_EQ(thumb.GetWidth(), 60u);
    ASSERT_EQ(thumb.GetHeight(), 45u);
    // 60 x 30 centred: white bands of 7 or 8 rows above and below.
    for (int x : {0, 30, 59}) {
        EXPECT_EQ(At(thumb, x, 0).rgbBlue, 255);
        EXPECT_EQ(At(thumb, x, 44).rgbGreen, 255);
        EXPECT_TRUE(IsReddish(At(thumb, x, 9)));
        EXPECT_TRUE(IsReddish(At(thumb, x, 36)));
    }
    int redRows = 0;
    for (int y = 0; y < 45; ++y) redRows += IsReddish(At(thumb, 30, y)) ? 1 : 0;
    EXPECT_GE(redRows, 29);
    EXPECT_LE(redRows, 31);

    // Kept unless forced; a bad size row leaves it as it is.
    slide->CreateThumbnail(3, false);
    EXPECT_EQ(slide->GetThumbnail()->GetWidth(), 60u);
    slide->CreateThumbnail(3, true);
    EXPECT_EQ(slide->GetThumbnail()->GetWidth(), 320u);
    slide->CreateThumbnail(10, true);
    EXPECT_EQ(slide->m_nThumbSize, 3);
}

TEST_F(SlideItemTest, PicturesThatDoNotDecodeMakeNothing) {
    WriteFileBytes(File("empty.bmp"), "");
    WriteFileBytes(File("junk.jpg"), std::string(100, '\xFF'));
    EXPECT_FALSE(IsLoadableImage(File("empty.bmp")));
    EXPECT_FALSE(IsLoadableImage(File("junk.jpg")));
    EXPECT_FALSE(IsLoadableImage(File("absent.png")));
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(File("junk.jpg"));
    EXPECT_EQ(slide->CreateThumbnail(1, true), 1);
    EXPECT_FALSE(slide->HasImage());
    EXPECT_FALSE(slide->SaveCoverBitmap(File("cover.bmp")));
    EXPECT_FALSE(FileExists(File("cover.bmp")));
    EXPECT_EQ(slide->RotateLeft(g_Project.m_Config.m_strWorkingFolder), -1);
    EXPECT_EQ(slide->m_strTempFile, File("junk.jpg"));
}

// Turns a picture of the given format left, right and right again; red on its left half, blue
// on its right.
void CheckTurnedCopies(const std::string& folder, const std::string& name, DWORD type) {
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    const std::string temp = working + "/temp/";
    std::unique_ptr<CSlideItem> slide = CSlideItem::FromFile(folder + "/" + name);
    ASSERT_NE(slide, nullptr);

    ASSERT_EQ(slide->RotateLeft(working), 0);
    EXPECT_EQ(slide->m_strTempFile, temp + name);
    CPixImage left;
    ASSERT_TRUE(left.Load(slide->m_strTempFile.c_str(), type));
    EXPECT_EQ(left.GetType(), type);
    ASSERT_EQ(left.GetWidth(), 32u);
    ASSERT_EQ(left.GetHeight(), 64u);
    // Turned left, the left half lies at the bottom.
    EXPECT_TRUE(IsBluish(TopDown(left, 16, 8)));
    EXPECT_TRUE(IsReddish(TopDown(left, 16, 56)));

    // Turning right again works on the copy and gives the upright picture.
    ASSERT_EQ(slide->RotateRight(working), 0);
    EXPECT_EQ(slide->m_strTempFile, temp + name);
    CPixImage upright;
    ASSERT_TRUE(upright.Load(slide->m_strTempFile.c_str(), 0));
    ASSERT_EQ(upright.GetWidth(), 64u);
    EXPECT_TRUE(IsReddish(TopDown(upright, 8, 16)));
    EXPECT_TRUE(IsBluish(TopDown(upright, 56, 16)));

    ASSERT_EQ(slide->RotateRight(working), 0);
    CPixImage right;
    ASSERT_TRUE(right.Load(slide->m_strTempFile.c_str(), 0));
    EXPECT_TRUE(IsReddish(TopDown(right, 16, 8)));
    EXPECT_TRUE(IsBluish(TopDown(right, 16, 56)));

    // The original is untouched; the copy follows the temp folder under its own name.
    CPixImage original;
    ASSERT_TRUE(original.Load(slide->m_strOriginalFile.c_str(), 0));
    EXPECT_EQ(original.GetWidth(), 64u);
    slide->SetTempFolder("/elsewhere");
    EXPECT_EQ(slide->m_strTempFile, "/elsewhere/" + name);
}

TEST_F(SlideItemTest, RotationWritesATurnedJpegCopy) {
    // The extension is lower-cased before it names the format.
    REQUIRE_PICTURE(WritePicture(File("a/Pic.JPG"), 64, 32, PIXFORMAT_JPG));
    CheckTurnedCopies(File("a"), "Pic.JPG", PIXFORMAT_JPG);
}

TEST_F(SlideItemTest, RotationWritesATurnedBmpCopy) {
    REQUIRE_PICTURE(WritePicture(File("a/Pic.bmp"), 64, 32, PIXFORMAT_BMP));
    CheckTurnedCopies(File("a"), "Pic.bmp", PIXFORMAT_BMP);
}

TEST_F(SlideItemTest, RotatedCopiesOfSameNamedPicturesDoNotCollide) {
    REQUIRE_PICTURE(WritePicture(File("a/photo.bmp"), 64, 32, PIXFORMAT_BMP));
    ASSERT_TRUE(WritePicture(File("b/photo.bmp"), 48, 16, PIXFORMAT_BMP));
    WriteFileBytes(File("c/photo"), "no extension");
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    std::unique_ptr<CSlideItem> first = CSlideItem::FromFile(File("a/photo.bmp"));
    std::unique_ptr<CSlideItem> second = CSlideItem::FromFile(File("b/photo.bmp"));
    ASSERT_EQ(first->RotateLeft(working), 0);
    ASSERT_EQ(second->RotateLeft(working), 0);
    ASSERT_NE(first->m_strTempFile, second->m_strTempFile);
    CPixImage one, two;
    ASSERT_TRUE(one.Load(first->m_strTempFile.c_str(), 0));
    ASSERT_TRUE(two.Load(second->m_strTempFile.c_str(), 0));
    EXPECT_EQ(one.GetHeight(), 64u);
    EXPECT_EQ(two.GetHeight(), 48u);

    // Turning the second again keeps to its own copy.
    const std::string secondCopy = second->m_strTempFile;
    ASSERT_EQ(second->RotateLeft(working), 0);
    EXPECT_EQ(second->m_strTempFile, secondCopy);

    std::unique_ptr<CSlideItem> bare = CSlideItem::FromFile(File("c/photo"));
    EXPECT_EQ(bare->RotateRight(working), -1);
}
