// Icon and cursor codec: reads one image of an icon or cursor file (1, 4, 8, 24 and 32 bits, or
// PNG-compressed), its AND mask becoming transparency; writes single-image icon files.
#pragma once

#include <vector>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImageICO : public CPixImage {
public:
    CPixImageICO() : CPixImage(PIXFORMAT_ICO) {}
    ~CPixImageICO() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }

private:
    bool Fail(const char* text);
    // Decodes an entry stored as a PNG file of size bytes.
    bool DecodePng(CPixFile* hFile, uint32_t size);
    // Turns the AND mask (rows bottom-up, 1 = transparent) into transparency.
    void ApplyMask(const std::vector<BYTE>& mask, WORD bitCount, bool hadAlpha);
};
