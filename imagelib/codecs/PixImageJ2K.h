// The JPEG 2000 family: JPEG 2000 files (JP2) and code streams (J2K) through OpenJPEG, and our own
// PGX, PNM and Sun raster readers and writers. Formats are found by their signatures; a decoded
// picture takes the format it was found to be as its type. Components become a 24-bit picture
// (with alpha when a fourth component is alpha), or grey frames, one per component.
#pragma once

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

struct J2kImage;

class CPixImageJ2K : public CPixImage {
public:
    CPixImageJ2K() : CPixImage(PIXFORMAT_UNKNOWN) {}
    ~CPixImageJ2K() override { Destroy(); }

    // imagetype only names what the caller expects; the data decides.
    bool Decode(CPixFile* hFile, DWORD imagetype = PIXFORMAT_UNKNOWN);
    bool Encode(CPixFile* hFile, DWORD imagetype);
    bool Decode(FILE* hFile, DWORD imagetype = PIXFORMAT_UNKNOWN) {
        return PixOnFile(hFile, [&](CPixFile* f) { return Decode(f, imagetype); });
    }
    bool Encode(FILE* hFile, DWORD imagetype) {
        return PixOnFile(hFile, [&](CPixFile* f) { return Encode(f, imagetype); });
    }

    // The family member whose signature starts the stream at its position, or 0.
    static DWORD Detect(CPixFile* hFile);

private:
    bool Fail(const char* text);
    bool FromComponents(const J2kImage& image, DWORD type);
};
