// PCX codec: reads run-length encoded files of 1 to 4 planes of 1, 2, 4 or 8 bits with the
// header's 16 colours or the 256-colour palette after the data; writes 1, 4, 8 and 24 bits.
#pragma once

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"

class CPixImagePCX : public CPixImage {
public:
    CPixImagePCX() : CPixImage(PIXFORMAT_PCX) {}
    ~CPixImagePCX() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }

private:
    bool Fail(const char* text);
    // Decodes bytes-per-line x planes x height bytes of run-length data; false (reason set) on failure.
    bool ReadRuns(CPixFile* hFile, BYTE* out, uint64_t total);
    bool ReadPalette(CPixFile* hFile, const BYTE* hdr, int bits, int planes);
};
