// Wireless bitmap codec (type 0): black-and-white pictures, 1 = white, rows top-down.
#pragma once

#include "imagelib/PixImage.h"

class CPixImageWBMP : public CPixImage {
public:
    CPixImageWBMP() : CPixImage(PIXFORMAT_WBMP) {}
    ~CPixImageWBMP() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);

private:
    bool Fail(const char* text);
};
