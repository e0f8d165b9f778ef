// PNG codec over libpng: every colour type and depth on reading (16-bit samples are cut to 8,
// transparency kept as palette alpha or an alpha channel, or composited); grey, palette, RGB and
// RGBA on writing, interlaced when the PNG option asks for it.
#pragma once

#include <cstdio>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImagePNG : public CPixImage {
public:
    CPixImagePNG() : CPixImage(4) {}
    ~CPixImagePNG() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }

protected:
    // Widens one row of 2-bit samples in place to 4-bit samples.
    void expand2to4bpp(BYTE* prow);

private:
    struct ReadJob;
    struct WriteJob;
    bool RunRead(ReadJob& job);
    bool RunWrite(WriteJob& job);
};
