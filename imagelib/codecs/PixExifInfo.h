// Splits a JPEG file into its sections, reads the camera data of an EXIF APP1 section and the
// comment into a record, and rewrites a JPEG file with the kept EXIF section in front of new data.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imagelib/PixFile.h"
#include "imagelib/codecs/PixImageJPG.h"

class CPixImageJPG::CPixExifInfo {
public:
    static constexpr int kMaxSections = 20;
    // Type of the section that holds everything after the start-of-scan header.
    static constexpr int kImageData = 291;
    // Reading modes (bit flags).
    static constexpr int kReadExif = 1;
    static constexpr int kReadAll = 2;

    struct Section {
        std::vector<uint8_t> data; // begins with the section's two length bytes
        int type = 0;
        uint32_t size = 0;
    };

    // With a record the reader fills it (not owned); without one it keeps a zeroed record of its own.
    explicit CPixExifInfo(tag_ExifInfo* info = nullptr);
    CPixExifInfo(const CPixExifInfo& src);
    CPixExifInfo& operator=(const CPixExifInfo& src);
    ~CPixExifInfo();

    bool DecodeExif(CPixFile* hFile, int nReadMode = kReadExif);
    bool EncodeExif(CPixFile* hFile);
    void DiscardAllButExif();

    const char* GetLastError() const { return m_szLastError; }
    int GetSectionCount() const { return static_cast<int>(m_Sections.size()); }
    const Section& GetSection(int i) const { return m_Sections[static_cast<size_t>(i)]; }
    const tag_ExifInfo* GetRecord() const { return m_pExifInfo; }

protected:
    bool process_EXIF(const uint8_t* data, uint32_t length);
    bool ProcessExifDir(uint32_t dirOffset, const uint8_t* offsetBase, uint32_t exifLength,
                        tag_ExifInfo* pInfo, uint32_t* lastExifRefd, int depth);
    void process_COM(const uint8_t* data, uint32_t length);
    void process_SOFn(const uint8_t* data, uint32_t length, int marker);
    double ConvertAnyFormat(const uint8_t* valuePtr, int format) const;
    const uint8_t* FindSection(int sectionType) const;
    int Get16m(const uint8_t* p) const;
    int Get16u(const uint8_t* p) const;
    int32_t Get32s(const uint8_t* p) const;
    uint32_t Get32u(const uint8_t* p) const;

private:
    bool Fail(const char* text);
    void CopyFrom(const CPixExifInfo& src);

    tag_ExifInfo* m_pExifInfo;
    char m_szLastError[256];
    int32_t m_ExifImageWidth;
    bool m_MotorolaOrder;
    std::vector<Section> m_Sections;
    std::unique_ptr<tag_ExifInfo> m_OwnedRecord;
    // Directories already read in the current EXIF block, so that looping links end.
    std::vector<uint32_t> m_VisitedDirs;
    // Reading a directory of the chain after the main one (the thumbnail's), and whether the
    // main image gave its own resolution, which the thumbnail's must not replace.
    bool m_InThumbnailDir = false;
    bool m_MainHasResolution = false;
};
