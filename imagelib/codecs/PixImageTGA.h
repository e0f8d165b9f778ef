// Truevision TGA codec: reads colour-mapped, true-colour and grey files, plain and run-length
// encoded, at 8, 15, 16, 24 and 32 bits in any row order; writes uncompressed 8, 24 and 32 bits.
#pragma once

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImageTGA : public CPixImage {
public:
    CPixImageTGA() : CPixImage(PIXFORMAT_TGA) {}
    ~CPixImageTGA() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }

protected:
    // Run-length state carried from one row into the next: a packet may cross a row end.
    struct Packet {
        uint32_t left = 0;   // pixels of the current packet still to come
        bool run = false;    // a run repeats value; a raw packet reads each pixel
        BYTE value[4] = {};  // the run's pixel as stored
    };
    // Reads count stored pixels into row y from column x; false on a short read.
    bool ReadPixels(CPixFile* hFile, DWORD y, DWORD x, DWORD count);
    // Expands packets until the row is full; false on a short read.
    bool ReadPackedRow(CPixFile* hFile, DWORD y, Packet& packet);

private:
    bool Fail(const char* text);
    void PutPixel(DWORD x, DWORD y, const BYTE* stored);

    int m_depth = 0; // bits of one stored pixel
};
