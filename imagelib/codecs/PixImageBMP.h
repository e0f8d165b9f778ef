// Windows bitmap codec: reads 1/4/8/16/24/32-bit files (uncompressed, RLE8, RLE4, bit fields),
// bare DIBs without file header and OS/2 headers; writes the image in its own depth, uncompressed.
#pragma once

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImageBMP : public CPixImage {
public:
    CPixImageBMP() : CPixImage(1) {}
    ~CPixImageBMP() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }

protected:
    // What the information header says beyond BITMAPINFOHEADER.
    struct HeaderExtras {
        bool coreHeader = false;   // 12-byte OS/2 header: 3-byte palette entries
        bool hasMasks = false;     // the three bit-field masks lay inside the header
        uint32_t masks[3] = {0, 0, 0}; // red, green, blue
    };
    // Reads and normalises an information header; false when it cannot be read or is refused.
    bool ReadInfoHeader(CPixFile* hFile, BITMAPINFOHEADER& bih, HeaderExtras& extras);
    // Expands an RLE8 (bits 8) or RLE4 (bits 4) pixel stream into the rows, within the image and
    // the stream.
    void ExpandRle(CPixFile* hFile, int bits);

private:
    bool Fail(const char* text);
};
