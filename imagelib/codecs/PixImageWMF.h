// Placeable Windows metafiles and enhanced metafiles, turned into a 24-bit picture by our own
// metafile player. Reading only: saving is refused.
#pragma once

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImageWMF : public CPixImage {
public:
    CPixImageWMF() : CPixImage(PIXFORMAT_WMF) {}
    ~CPixImageWMF() override { Destroy(); }

    // A forced width or height of 0 keeps the metafile's own.
    bool Decode(CPixFile* hFile, long nForceWidth = 0, long nForceHeight = 0);
    bool Encode(CPixFile* hFile);
    bool Decode(FILE* hFile, long nForceWidth = 0, long nForceHeight = 0) {
        return PixOnFile(hFile, [&](CPixFile* f) { return Decode(f, nForceWidth, nForceHeight); });
    }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }

    // Sides above this are scaled down, keeping the proportions.
    static constexpr int64_t kMaxSide = 4000;
    // Pixels per inch the metafile's units are measured against.
    static constexpr int64_t kScreenDpi = 96;
    // The size kept after the 4000-pixel limit: each side at least 1.
    static void LimitSize(int64_t& width, int64_t& height);

private:
    bool Fail(const char* text);
};
