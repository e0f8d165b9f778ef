// JPEG codec over libjpeg, with the EXIF block of a decoded file kept and written back on encode.
#pragma once

#include <cstdint>
#include <cstdio>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImageJPG : public CPixImage {
public:
    // Camera data of one file: filled by the EXIF reader from the APP1, COM and SOFn sections.
    struct tag_ExifInfo {
        char Version[5];
        char CameraMake[32];
        char CameraModel[40];
        char DateTime[20];
        int32_t Height;
        int32_t Width;
        int32_t Orientation;
        int32_t IsColor;
        int32_t Process;
        int32_t FlashUsed;
        float FocalLength;
        float ExposureTime;
        float ApertureFNumber;
        float Distance;
        float CCDWidth;
        float ExposureBias;
        int32_t MeteringMode;
        int32_t LightSource;
        int32_t ExposureProgram;
        int32_t ISOequivalent;
        int32_t CompressionLevel;
        float FocalplaneXRes;
        float FocalplaneYRes;
        float FocalplaneUnits;
        float Xresolution;
        float Yresolution;
        float ResolutionUnit;
        float Brightness;
        char Comments[1000];
        const uint8_t* ThumbnailPointer;
        uint32_t ThumbnailSize;
        bool IsExif;
    };

    class CPixExifInfo;

    CPixImageJPG();
    CPixImageJPG(const CPixImageJPG& src);
    CPixImageJPG& operator=(const CPixImageJPG& src);
    ~CPixImageJPG() override;

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    bool DecodeExif(CPixFile* hFile);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }
    bool DecodeExif(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return DecodeExif(f); }); }

    // The EXIF reader of the last decode (null before one) and the record it filled.
    const CPixExifInfo* GetExifInfo() const { return m_pExif; }
    const tag_ExifInfo& GetExifRecord() const { return m_ExifRecord; }

    int32_t GetSmoothingFactor() const { return m_nSmoothing; }
    void SetSmoothingFactor(int32_t factor) { m_nSmoothing = factor; }
    int32_t GetDitherMode() const { return m_nDither; }
    void SetDitherMode(int32_t mode) { m_nDither = mode; }

protected:
    CPixExifInfo* m_pExif;
    tag_ExifInfo m_ExifRecord;
    int32_t m_nSmoothing;
    int32_t m_nDither;

private:
    struct DecodeJob;
    struct EncodeJob;
    void DropExif();
    bool RunDecompress(DecodeJob& job);
    bool RunCompress(EncodeJob& job);
};
