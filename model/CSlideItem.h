// One picture of a slideshow: the file the user chose, the picture the slide shows (the
// original or a turned copy in the temp folder), facts about the file for the lists, the
// slide's own settings, its start time, the picture editor's adjustment values and its ordered
// edit records.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/COverlayData.h"
#include "model/CProjectSettings.h"

class CSelectFrame;
namespace Gdiplus {
class Bitmap;
}

struct ThumbSize {
    int32_t cx;
    int32_t cy;
};
constexpr int32_t THUMB_SIZE_COUNT = 10;
// Row of g_ThumbSize used for cover pictures (80 x 60).
constexpr int32_t THUMB_SIZE_COVER = 1;
extern const ThumbSize g_ThumbSize[THUMB_SIZE_COUNT];

class CSlideItem {
public:
    // A slide for a picture file; null when the file cannot be opened for reading. Its settings
    // are the defaults until the slideshow assigns its own.
    static std::unique_ptr<CSlideItem> FromFile(const std::string& path);
    ~CSlideItem();
    CSlideItem(const CSlideItem&) = delete;
    CSlideItem& operator=(const CSlideItem&) = delete;

    // Start in whole seconds with its "hh:mm:ss" text.
    void SetStart(int32_t seconds);
    const std::string& GetTimeText() const { return m_strStartTime; }

    // Appends a record, giving it the kind.
    void AddEdit(std::unique_ptr<COverlayData> record, int32_t kind);
    void RemoveAllEdits() { m_lstEdits.clear(); }
    // Appends a record made from a picture-editor item: a text item (kind 0) or a picture layer
    // (kind 1); other items add nothing.
    void AddOverlayFromItem(const CSelectFrame& item);

    // Turns the picture the slide shows by 90 degrees into a copy in "<workingFolder>/temp",
    // which the slide shows from then on. 0 when done, -1 when nothing changed.
    int32_t RotateLeft(const std::string& workingFolder);
    int32_t RotateRight(const std::string& workingFolder);

    // Makes the thumbnail of a g_ThumbSize row (kept unless force). Returns 1; a picture that
    // cannot be drawn leaves no thumbnail.
    int32_t CreateThumbnail(int32_t sizeIndex, bool force);
    bool HasImage() const { return m_pThumbnail != nullptr; }
    // The thumbnail as a 24-bit bitmap of its g_ThumbSize row, or null.
    const Gdiplus::Bitmap* GetThumbnail() const { return m_pThumbnail.get(); }

    // Writes the 80 x 60 cover picture of what the slide shows as a BMP file; false when the
    // picture cannot be drawn or the file written.
    bool SaveCoverBitmap(const std::string& path);

    // A slide that shows a copy finds it in the new temp folder under the copy's own name.
    void SetTempFolder(const std::string& folder);

    int32_t m_nIndex = 0;
    std::string m_strOriginalFile;
    std::string m_strTempFile;
    std::string m_strFileName;
    int64_t m_tFileTime = 0; // modification time of the original, seconds since 1970
    CProjectSettings m_Settings;
    int32_t m_nStartSeconds = 0;
    std::string m_strStartTime = "00:00:00";
    std::vector<std::unique_ptr<COverlayData>> m_lstEdits;
    int32_t BrightnessPos = 0;
    int32_t ContrastPos = 0;
    int32_t SharpenTimes = 0;
    int32_t SoftenTimes = 0;
    int64_t m_nFileSize = 0;
    std::string m_strFileSize;
    std::string m_strTypeName;
    int32_t m_nIconIndex = 0;
    int32_t m_nThumbSize = 5;

private:
    CSlideItem() = default;
    int32_t Rotate(const std::string& workingFolder, bool left);
    std::string PickRotationTarget(const std::string& tempFolder) const;

    std::unique_ptr<Gdiplus::Bitmap> m_pThumbnail;
};
