// TIFF codec over libtiff: reads one page (strips or tiles; bilevel, grey, palette, RGB, YCbCr,
// CMYK, CIELab and 16-bit samples; every orientation) and writes single-page, appended and
// multi-page files. The TIFF codec option holds a compression number: decoding stores the file's,
// encoding uses it (0 chooses by depth).
#pragma once

#include <memory>
#include <vector>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"

class CPixTiffStream;
typedef struct tiff TIFF;

class CPixImageTIF : public CPixImage {
public:
    CPixImageTIF();
    // Copies the picture with its selection, alpha and information; a page writer that either
    // object holds open stays where it is (an assigned page is still appended to the open file).
    CPixImageTIF(const CPixImageTIF& src);
    CPixImageTIF& operator=(const CPixImageTIF& src);
    ~CPixImageTIF() override;

    // Decodes the page chosen by SetFrame; GetNumFrames tells how many the file has.
    bool Decode(CPixFile* hFile);
    // Writes this image as one page. With bAppend the file stays open for further pages: the
    // stream holds a complete TIFF after every page, and the next call adds to it.
    bool Encode(CPixFile* hFile, bool bAppend = false);
    // Writes every image as one page of a multi-page file.
    bool Encode(CPixFile* hFile, CPixImage** pImages, int pagecount);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    // Each appended page may come through a new FILE wrapper: every page is written out whole.
    bool Encode(FILE* hFile, bool bAppend = false) {
        return PixOnFile(hFile, [&](CPixFile* f) { return Encode(f, bAppend); });
    }
    bool Encode(FILE* hFile, CPixImage** pImages, int pagecount) {
        return PixOnFile(hFile, [&](CPixFile* f) { return Encode(f, pImages, pagecount); });
    }

    // Copies rows of cols bytes, moving the output by cols + outskew and the input by
    // cols + inskew after each row.
    static void TileToStrip(BYTE* out, const BYTE* in, uint32_t rows, uint32_t cols, int32_t outskew, int32_t inskew);

protected:
    // Tags and pixels of one page of image `img` (this image when null).
    bool EncodeBody(TIFF* tif, bool multipage, int page, int pagecount, CPixImage* img = nullptr);

private:
    bool Fail(const char* text);
    bool DecodePage(TIFF* tif);
    bool DecodeRgba(TIFF* tif, uint32_t width, uint32_t height, bool alpha, bool associated);
    bool DecodeRows(TIFF* tif, uint32_t width, uint32_t height, uint16_t samples, uint16_t bits, uint16_t photometric,
                    uint32_t rowsPerStrip, bool associated);
    bool SetTiffPalette(TIFF* tif, uint16_t photometric, uint16_t bits, bool bilevel);
    bool Orient(uint16_t orientation);
    // Opens the in-memory writer the pages go to, when none is open.
    bool StartOutput(CPixFile* hFile);
    // Copies what the writer made to the caller's stream, over what an earlier page put there:
    // every call names the stream again, so an appending caller may wrap its FILE anew each time.
    bool PublishOutput(CPixFile* hFile);
    void EndOutput();

    // Pages are made in memory (libtiff reads back what it wrote) and copied to the caller's stream.
    std::unique_ptr<CPixMemFile> m_pOutMem;
    std::unique_ptr<CPixTiffStream> m_pTiffOut;
    long m_nOutStart = 0;
    bool m_bMultiPage = false;
    int32_t m_nPagesWritten = 0;
};
