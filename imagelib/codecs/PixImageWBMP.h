// Wireless bitmap codec (type 0): black-and-white pictures, 1 = white, rows top-down.
#pragma once

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImageWBMP : public CPixImage {
public:
    CPixImageWBMP() : CPixImage(PIXFORMAT_WBMP) {}
    ~CPixImageWBMP() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }

private:
    bool Fail(const char* text);
};
