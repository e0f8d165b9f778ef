#include "model/CSlideItem.h"

#include <cctype>
#include <cstdio>

#include "editor/CPictureLayer.h"
#include "editor/CTextItem.h"
#include "imagelib/PixImage.h"
#include "model/CImageOverlayData.h"
#include "model/CTextOverlayData.h"
#include "model/GlobalUtils.h"
#include "model/PictureLetterbox.h"
#include "model/TimeText.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/win/FileSystem.h"

const ThumbSize g_ThumbSize[THUMB_SIZE_COUNT] = {
    {60, 45}, {80, 60}, {160, 120}, {320, 240}, {80, 60}, {76, 95}, {96, 110}, {176, 170}, {336, 290}, {200, 100},
};

namespace {
std::string ToUpper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// What the file lists show as the type of a file: "<EXT> File", as the shell names a type it
// has no description for.
std::string TypeNameOf(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || dot + 1 == fileName.size()) return "File";
    return ToUpper(fileName.substr(dot + 1)) + " File";
}
} // namespace

std::unique_ptr<CSlideItem> CSlideItem::FromFile(const std::string& path) {
    FILE* probe = std::fopen(path.c_str(), "rb");
    if (!probe) return nullptr;
    std::fclose(probe);
    uint64_t size = 0;
    std::time_t mtime = 0;
    if (!GetFileStatus(path, size, mtime)) return nullptr;

    std::unique_ptr<CSlideItem> slide(new CSlideItem());
    slide->m_strOriginalFile = path;
    slide->m_strTempFile = path;
    slide->m_strFileName = GetFileName(path);
    slide->m_tFileTime = static_cast<int64_t>(mtime);
    slide->m_nFileSize = static_cast<int64_t>(size);
    slide->m_strFileSize = FormatFileSize(slide->m_nFileSize);
    slide->m_strTypeName = TypeNameOf(slide->m_strFileName);
    return slide;
}

CSlideItem::~CSlideItem() = default;

void CSlideItem::SetStart(int32_t seconds) {
    m_nStartSeconds = seconds;
    m_strStartTime = FormatHms(seconds);
}

void CSlideItem::AddEdit(std::unique_ptr<COverlayData> record, int32_t kind) {
    if (!record) return;
    record->kind = kind;
    m_lstEdits.push_back(std::move(record));
}

void CSlideItem::AddOverlayFromItem(const CSelectFrame& item) {
    if (item.m_nKind == CSelectFrame::KIND_TEXT) {
        const auto* text = dynamic_cast<const CTextItem*>(&item);
        if (!text) return;
        auto record = std::make_unique<CTextOverlayData>();
        record->x = item.m_x;
        record->y = item.m_y;
        record->cx = item.m_cx;
        record->cy = item.m_cy;
        record->SetFont(text->m_LogFont, item.m_cx, item.m_cy);
        record->SetColor(text->m_crText);
        record->SetText(text->m_strText);
        m_lstEdits.push_back(std::move(record));
    } else if (item.m_nKind == CSelectFrame::KIND_PICTURE) {
        const auto* layer = dynamic_cast<const CPictureLayer*>(&item);
        if (!layer) return;
        auto record = std::make_unique<CImageOverlayData>();
        record->path = layer->m_strPicturePath;
        record->x = item.m_x;
        record->y = item.m_y;
        record->cx = item.m_cx;
        record->cy = item.m_cy;
        m_lstEdits.push_back(std::move(record));
    }
}

int32_t CSlideItem::RotateLeft(const std::string& workingFolder) { return Rotate(workingFolder, true); }

int32_t CSlideItem::RotateRight(const std::string& workingFolder) { return Rotate(workingFolder, false); }

std::string CSlideItem::PickRotationTarget(const std::string& tempFolder) const {
    // A copy this slide already shows from that folder is turned in place.
    if (m_strTempFile != m_strOriginalFile && GetFolderPart(m_strTempFile) == tempFolder) return m_strTempFile;
    // Otherwise the first name that is nobody's file: another slide's copy of a picture with the
    // same file name (or the original itself, when it lies in the temp folder) must survive.
    const std::string wanted = tempFolder + "/" + m_strFileName;
    if (!FileExists(wanted) && !FolderExists(wanted)) return wanted;
    const size_t dot = m_strFileName.find_last_of('.');
    const std::string stem = dot == std::string::npos ? m_strFileName : m_strFileName.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : m_strFileName.substr(dot);
    for (int n = 1;; ++n) {
        const std::string candidate = tempFolder + "/" + stem + "_" + std::to_string(n) + ext;
        if (!FileExists(candidate) && !FolderExists(candidate)) return candidate;
    }
}

int32_t CSlideItem::Rotate(const std::string& workingFolder, bool left) {
    const int type = GetImageTypeFromExt(ToLowerAscii(GetFileExt(m_strTempFile)));
    if (type == 0) return -1;
    CPixImage picture;
    if (!picture.Load(m_strTempFile.c_str(), static_cast<DWORD>(type)) || !picture.IsValid()) return -1;
    if (!(left ? picture.RotateLeft() : picture.RotateRight())) return -1;
    const std::string tempFolder = workingFolder + "/temp";
    CreateFolder(tempFolder);
    const std::string target = PickRotationTarget(tempFolder);
    // The image library writes beside the target and renames, so a failed save leaves the old
    // copy whole.
    if (!picture.Save(target.c_str(), picture.GetType())) return -1;
    m_strTempFile = target;
    return 0;
}

int32_t CSlideItem::CreateThumbnail(int32_t sizeIndex, bool force) {
    if (m_pThumbnail && !force) return 1;
    if (sizeIndex < 0 || sizeIndex >= THUMB_SIZE_COUNT) return 1;
    m_nThumbSize = sizeIndex;
    m_pThumbnail = DrawLetterboxed(m_strTempFile, g_ThumbSize[sizeIndex].cx, g_ThumbSize[sizeIndex].cy);
    return 1;
}

bool CSlideItem::SaveCoverBitmap(const std::string& path) {
    const ThumbSize& size = g_ThumbSize[THUMB_SIZE_COVER];
    m_nThumbSize = THUMB_SIZE_COVER;
    std::unique_ptr<Gdiplus::Bitmap> cover = DrawLetterboxed(m_strTempFile, size.cx, size.cy);
    return cover && cover->Save(path, "image/bmp") == Gdiplus::Ok;
}

void CSlideItem::SetTempFolder(const std::string& folder) {
    if (m_strTempFile != m_strOriginalFile) m_strTempFile = folder + "/" + GetFileName(m_strTempFile);
}
