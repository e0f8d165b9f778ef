// GIF codec: reads GIF87a/89a pictures one frame at a time, composed onto the logical screen
// (or, for pictures cut into tiles, all tiles onto one true-colour canvas); writes GIF89a single
// pictures of 1 to 8 bits, true-colour pictures as tiles with their own colour tables, and
// animations.
#pragma once

#include <vector>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"
#include "imagelib/codecs/CodecBytes.h"

class CPixImageGIF : public CPixImage {
public:
    CPixImageGIF() : CPixImage(PIXFORMAT_GIF) {}
    ~CPixImageGIF() override { Destroy(); }

    bool Decode(CPixFile* hFile);
    bool Encode(CPixFile* hFile);
    // Frames of an animation; localColorTables gives every frame after the first its own table.
    bool Encode(CPixFile* hFile, CPixImage** pImages, int pagecount, bool localColorTables = false);
    bool Decode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Decode(f); }); }
    bool Encode(FILE* hFile) { return PixOnFile(hFile, [this](CPixFile* f) { return Encode(f); }); }
    bool Encode(FILE* hFile, CPixImage** pImages, int pagecount, bool localColorTables = false) {
        return PixOnFile(hFile, [&](CPixFile* f) { return Encode(f, pImages, pagecount, localColorTables); });
    }

    void SetDisposalMethod(int dm) { m_DisposalMethod = dm; }
    int GetDisposalMethod() const { return m_DisposalMethod; }
    void SetLoops(int loops) { m_LoopCount = loops; }
    int GetLoops() const { return m_LoopCount; }
    void SetComment(const char* text);
    void GetComment(char* text) const;

protected:
    // What the last graphic control extension said.
    struct Control {
        int transIndex = -1;
        DWORD delay = 0;
        int disposal = 0;
    };
    // The picture being composed while frames are read.
    struct Canvas;

    // Reads one extension after its introducer; false when it is broken.
    bool DecodeExtension(CPixFile* hFile);
    // Walks the blocks after the header: counts the frames (target < 0) or composes frames
    // 0..target onto the canvas. Returns the frames found; -1 when the decode must fail.
    int Walk(CPixFile* hFile, int target, Canvas* canvas);
    // The picture of a file without an image on its screen: the screen in the background colour.
    bool DecodeEmptyScreen(BYTE background);

    void EncodeHeader(codecbytes::ByteOut& out, CPixImage& img);
    void EncodeExtension(codecbytes::ByteOut& out, CPixImage& img, int disposal);
    void EncodeLoopExtension(codecbytes::ByteOut& out);
    void EncodeComment(codecbytes::ByteOut& out);
    void EncodeBody(codecbytes::ByteOut& out, CPixImage& img, bool localTable, long left, long top);
    void EncodeRGB(codecbytes::ByteOut& out);

private:
    bool Fail(const char* text);
    bool WriteOut(CPixFile* hFile, const codecbytes::ByteOut& out);

    Control m_control;
    char m_CommentText[256] = {};
    int m_LoopCount = 0;
    int m_DisposalMethod = 0;
    // Screen and global table of the file being read.
    DWORD m_screenWidth = 0, m_screenHeight = 0;
    std::vector<RGBQUAD> m_globalTable;
    int m_globalColors = 2;
    bool m_firstCoversScreen = true;
    bool m_sawImage = false; // the walk met an image descriptor, on the screen or not
};
