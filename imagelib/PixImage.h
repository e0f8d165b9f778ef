// The image object: one picture held as a packed device-independent bitmap in memory, with an
// optional alpha plane, an optional selection mask, its information block and its layers.
// Every codec derives from it and adds only its own Decode and Encode (see codecs/CodecTable.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/win/WinTypes.h"

class CPixFile;
struct PixCodecEntry;

// Format ids: the value of GetType(), the format arguments of Load/Save/Decode/Encode and the
// index of the codec option words.
enum : DWORD {
    PIXFORMAT_UNKNOWN = 0,
    PIXFORMAT_BMP = 1,
    PIXFORMAT_GIF = 2,
    PIXFORMAT_JPG = 3,
    PIXFORMAT_PNG = 4,
    PIXFORMAT_ICO = 5,
    PIXFORMAT_TIF = 6,
    PIXFORMAT_TGA = 7,
    PIXFORMAT_PCX = 8,
    PIXFORMAT_WBMP = 9,
    PIXFORMAT_WMF = 10,
    PIXFORMAT_JP2 = 11,
    PIXFORMAT_JPC = 12,
    PIXFORMAT_PGX = 13,
    PIXFORMAT_PNM = 14,
    PIXFORMAT_RAS = 15,
    PIXMAX_FORMATS = 16, // the count, and the first id refused
};

// Largest picture Create accepts: pixel rows of at most 2^31 bytes, sides of at most 30000.
constexpr uint64_t PIXIMAGE_MAX_PIXEL_BYTES = uint64_t{1} << 31;
constexpr DWORD PIXIMAGE_MAX_SIDE = 30000;

class CPixImage {
public:
    // Sampling of points between pixel centres.
    enum InterpolationMethod {
        IM_NEAREST_NEIGHBOUR = 1,
        IM_BILINEAR = 2,
        IM_BSPLINE = 3,
        IM_BICUBIC = 4,
        IM_BICUBIC2 = 5,
        IM_LANCZOS = 6,
        IM_BOX = 7,
        IM_HERMITE = 8,
        IM_HAMMING = 9,
        IM_SINC = 10,
        IM_BLACKMAN = 11,
        IM_BESSEL = 12,
        IM_GAUSSIAN = 13,
        IM_QUADRATIC = 14,
        IM_MITCHELL = 15,
        IM_CATROM = 16,
    };
    // What a read outside the picture returns.
    enum OverflowMethod {
        OM_COLOR = 1,
        OM_BACKGROUND = 2,
        OM_TRANSPARENT = 3,
        OM_WRAP = 4,
        OM_REPEAT = 5,
        OM_MIRROR = 6,
    };

    struct rgb_color {
        BYTE r, g, b;
    };

    // Everything about the image but its blocks; copied as one by Copy, CopyInfo, Transfer, Ghost.
    struct PixInfo {
        DWORD effWidth{};          // bytes per pixel row, a multiple of 4
        BYTE* bits{};              // the bottom pixel row inside the DIB block
        CPixImage* ghostOf{};      // the image whose blocks this one shares, or null
        DWORD type{};              // format id
        char lastError[256]{};     // text of the last error
        int32_t progress{};        // 0..100 while a long operation runs
        int32_t escape{};          // non-zero asks a long operation to stop; -1 asks a decoder for the size only
        int32_t transIndex{};      // transparent palette index, -1 for none
        RGBQUAD transColor{};      // transparent colour of images without palette
        BYTE jpegQuality{};
        BYTE jpegScale{};
        int32_t frame{};           // frame or page to decode next
        int32_t numFrames{};       // frames or pages found by the last decode
        DWORD frameDelay{};
        int32_t xDpi{}, yDpi{};
        RECT selectionBox{};
        BYTE alphaMax{};
        bool alphaPaletteEnabled{};
        bool enabled{};
        int32_t xOffset{}, yOffset{};
        DWORD codecOptions[PIXMAX_FORMATS]{};
        RGBQUAD lastColor{};       // one-entry cache of GetNearestIndex
        BYTE lastIndex{};
        bool lastValid{};
        int32_t numLayers{};
        DWORD flags{};
    };

    // --- construction -------------------------------------------------------------------------
    explicit CPixImage(DWORD imagetype = 0);
    CPixImage(DWORD width, DWORD height, DWORD bpp, DWORD imagetype = 0);
    CPixImage(const CPixImage& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);
    CPixImage(const char* filename, DWORD imagetype);
    CPixImage(FILE* stream, DWORD imagetype);
    CPixImage(CPixFile* stream, DWORD imagetype);
    CPixImage(BYTE* buffer, DWORD size, DWORD imagetype);
    virtual ~CPixImage();
    CPixImage& operator=(const CPixImage& src);

    // --- creation and contents ----------------------------------------------------------------
    // bpp is normalised to 1, 4, 8 or 24; returns the DIB block or null (reason in GetLastError).
    void* Create(DWORD dwWidth, DWORD dwHeight, DWORD wBpp, DWORD imagetype = 0);
    // Frees what the image owns; false (nothing freed) for a ghost.
    bool Destroy();
    void Clear(BYTE bval = 0);
    void Copy(const CPixImage& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);
    // Moves from's contents into this image and leaves from empty.
    bool Transfer(CPixImage& from);
    bool CreateFromArray(BYTE* pArray, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                         DWORD dwBytesperline, bool bFlipImage);
    bool CreateFromMatrix(BYTE** ppMatrix, DWORD dwWidth, DWORD dwHeight, DWORD dwBitsperpixel,
                          DWORD dwBytesperline, bool bFlipImage);
    void FreeMemory(void* memblock);
    // Start of the pixel rows (row 0 is the bottom row); null for a row past the top or no DIB.
    BYTE* GetBits(DWORD row = 0);
    // Size of the DIB block in bytes (header, palette, rows).
    int64_t GetSize() const;
    bool IsInside(long x, long y) const;
    static int CompareColors(const void* elem1, const void* elem2);
    static const char* GetVersion();
    static float GetVersionNumber();

    // --- load and save ------------------------------------------------------------------------
    // imagetype 0 detects the format; a named format that fails falls back to detection.
    bool Load(const char* filename, DWORD imagetype = 0);
    bool Decode(CPixFile* hFile, DWORD imagetype);
    bool Decode(FILE* hFile, DWORD imagetype);
    bool Decode(BYTE* buffer, DWORD size, DWORD imagetype);
    // Writes a temporary file beside the target and renames it over the target only on success.
    bool Save(const char* filename, DWORD imagetype);
    bool Encode(CPixFile* hFile, DWORD imagetype);
    bool Encode(FILE* hFile, DWORD imagetype);
    // buffer must be null; on success it is a new block for the caller (FreeMemory) of size bytes.
    bool Encode(BYTE*& buffer, long& size, DWORD imagetype);
    bool Encode(CPixFile* hFile, CPixImage** pImages, int pagecount, DWORD imagetype);
    bool Encode(FILE* hFile, CPixImage** pImages, int pagecount, DWORD imagetype);
    bool Encode2RGBA(CPixFile* hFile);
    bool Encode2RGBA(BYTE*& buffer, long& size);

    // --- info accessors -----------------------------------------------------------------------
    DWORD GetWidth() const { return static_cast<DWORD>(header.biWidth); }
    DWORD GetHeight() const { return static_cast<DWORD>(header.biHeight); }
    WORD GetBpp() const { return header.biBitCount; }
    DWORD GetNumColors() const { return header.biClrUsed; }
    DWORD GetEffWidth() const { return info.effWidth; }
    void* GetDIB() const { return dib; }
    DWORD GetType() const { return info.type; }
    bool IsValid() const { return dib != nullptr; }
    bool IsIndexed() const { return header.biClrUsed != 0; }
    bool IsTransparent() const { return info.transIndex >= 0; }
    long GetTransIndex() const { return info.transIndex; }
    void SetTransIndex(long idx) { info.transIndex = static_cast<int32_t>(idx); }
    RGBQUAD GetTransColor();
    void SetTransColor(RGBQUAD rgb);
    long GetXDPI() const { return info.xDpi; }
    long GetYDPI() const { return info.yDpi; }
    void SetXDPI(long dpi);
    void SetYDPI(long dpi);
    DWORD GetFlags() const { return info.flags; }
    void SetFlags(DWORD flags, bool bLockReservedFlags = true);
    DWORD GetFrameDelay() const { return info.frameDelay; }
    void SetFrameDelay(DWORD d) { info.frameDelay = d; }
    void GetOffset(long* x, long* y);
    void SetOffset(long x, long y);
    BYTE GetJpegQuality() const { return info.jpegQuality; }
    void SetJpegQuality(BYTE q) { info.jpegQuality = q; }
    BYTE GetJpegScale() const { return info.jpegScale; }
    void SetJpegScale(BYTE s) { info.jpegScale = s; }
    long GetProgress() const { return info.progress; }
    void SetProgress(long p) { info.progress = static_cast<int32_t>(p); }
    long GetEscape() const { return info.escape; }
    void SetEscape(long e) { info.escape = static_cast<int32_t>(e); }
    bool IsEnabled() const { return info.enabled; }
    void Enable(bool enable = true) { info.enabled = enable; }
    long GetNumFrames() const { return info.numFrames; }
    long GetFrame() const { return info.frame; }
    void SetFrame(long nFrame) { info.frame = static_cast<int32_t>(nFrame); }
    const char* GetLastError() { return info.lastError; }
    DWORD GetCodecOption(DWORD imagetype = 0);
    bool SetCodecOption(DWORD opt, DWORD imagetype = 0);
    // 4 with an alpha plane, else 1 for palette images and 2 for 24 bits.
    BYTE GetColorType();

    // --- palette and pixel access (y counts from the bottom row) -------------------------------
    BYTE GetPixelIndex(long x, long y);
    void SetPixelIndex(long x, long y, BYTE i);
    RGBQUAD GetPixelColor(long x, long y, bool bGetAlpha = true);
    BYTE GetPixelGray(long x, long y);
    void SetPixelColor(long x, long y, RGBQUAD c, bool bSetAlpha = false);
    void SetPixelColor(long x, long y, COLORREF cr);
    void BlendPixelColor(long x, long y, RGBQUAD c, float blend, bool bSetAlpha = false);
    bool IsTransparent(long x, long y);

    DWORD GetPaletteSize() const { return header.biClrUsed * 4; }
    RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColor(BYTE idx);
    bool GetPaletteColor(BYTE i, BYTE* r, BYTE* g, BYTE* b);
    void SetPaletteColor(BYTE idx, BYTE r, BYTE g, BYTE b, BYTE alpha = 0);
    void SetPaletteColor(BYTE idx, RGBQUAD c);
    void SetPaletteColor(BYTE idx, COLORREF cr);
    void SetPalette(DWORD n, BYTE* r, BYTE* g, BYTE* b);
    void SetPalette(rgb_color* rgb, DWORD nColors = 256);
    void SetPalette(RGBQUAD* pPal, DWORD nColors = 256);
    void SetGrayPalette();
    void BlendPalette(COLORREF cr, long perc);
    void SetStdPalette();
    bool IsGrayScale();
    bool IsSamePalette(CPixImage& img, bool bCheckAlpha = true);
    void SwapIndex(BYTE idx1, BYTE idx2);
    DWORD GetClrImportant() const { return header.biClrImportant; }
    void SetClrImportant(DWORD ncolors = 0);
    BYTE GetNearestIndex(RGBQUAD c);

    static RGBQUAD RGBtoRGBQUAD(COLORREF cr);
    static COLORREF RGBQUADtoRGB(RGBQUAD c);
    void DrawLine(int StartX, int EndX, int StartY, int EndY, RGBQUAD color, bool bSetAlpha = false);
    void DrawLine(int StartX, int EndX, int StartY, int EndY, COLORREF cr);

    // --- alpha channel -------------------------------------------------------------------------
    bool AlphaIsValid() const { return alpha != nullptr; }
    void AlphaCreate();
    void AlphaDelete();
    void AlphaClear();
    void AlphaSet(BYTE level);
    void AlphaSet(long x, long y, BYTE level);
    bool AlphaSet(CPixImage& from);
    BYTE AlphaGet(long x, long y);
    BYTE* AlphaGetPointer(long x = 0, long y = 0);
    void AlphaInvert();
    bool AlphaCopy(CPixImage& from);
    bool AlphaFlip();
    bool AlphaMirror();
    bool AlphaSplit(CPixImage* dest);
    bool AlphaPaletteSplit(CPixImage* dest);
    void AlphaStrip();
    BYTE AlphaGetMax() const { return info.alphaMax; }
    void AlphaSetMax(BYTE nAlphaMax) { info.alphaMax = nAlphaMax; }
    void AlphaPaletteEnable(bool enable = true) { info.alphaPaletteEnabled = enable; }
    bool AlphaPaletteIsEnabled() const { return info.alphaPaletteEnabled; }
    bool AlphaPaletteIsValid();
    void AlphaPaletteClear();

    // --- drawing on device contexts, text, Windows handles --------------------------------------
    // A block of text for DrawStringEx; InitTextInfo fills the defaults.
    struct tagPixTextInfo {
        char text[4096];       // a carriage return starts a new line
        LOGFONT font;
        COLORREF textColor;
        long align;            // 0 left, 1 centre, 2 right of x
        bool box;              // a box behind the text
        COLORREF boxColor;
        float boxOpacity;      // 0 solid; between 0 and 1 the weight of the picture's own pixel
        BYTE spare;
        BYTE roundness;        // corner radius in percent of one line's height, 0..50
    };
    // Returns 1 when drawn, 0 when refused.
    long Draw(HDC hdc, long x = 0, long y = 0, long cx = -1, long cy = -1, RECT* pClipRect = nullptr, bool bSmooth = false);
    long Draw(HDC hdc, const RECT& rect, RECT* pClipRect = nullptr, bool bSmooth = false);
    long Draw2(HDC hdc, long x = 0, long y = 0, long cx = -1, long cy = -1);
    long Draw2(HDC hdc, const RECT& rect);
    long Stretch(HDC hdc, long xoffset, long yoffset, long xsize, long ysize, DWORD dwRop = 0x00CC0020);
    long Stretch(HDC hdc, const RECT& rect, DWORD dwRop = 0x00CC0020);
    long Tile(HDC hdc, RECT* rc);
    // (x, y) is the top-down position of the text's bottom-left corner.
    long DrawString(HDC hdc, long x, long y, const char* text, RGBQUAD color, const char* font, long lSize = 0,
                    long lWeight = 400, BYTE bItalic = 0, BYTE bUnderline = 0, bool bSetAlpha = false);
    long DrawStringEx(HDC hdc, long x, long y, tagPixTextInfo* pTextType, bool bSetAlpha = false);
    void InitTextInfo(tagPixTextInfo* txt);
    HBITMAP MakeBitmap(HDC hdc = nullptr);
    // A packed DIB in global memory for the caller, or null.
    HANDLE CopyToHandle();
    bool CreateFromHANDLE(HANDLE hMem);
    bool CreateFromHBITMAP(HBITMAP hbmp, HPALETTE hpal = nullptr);
    // The colour bitmap, with alpha 0 where the mask is set.
    bool CreateFromHICON(HICON hicon);

    // --- selection: a plane of width x height bytes (non-zero = selected) and its box ----------
    bool SelectionIsValid() const { return selection != nullptr; }
    void SelectionGetBox(RECT& r) const { r = info.selectionBox; }
    bool SelectionCreate();
    bool SelectionDelete();
    bool SelectionClear();
    bool SelectionIsInside(long x, long y);
    bool SelectionInvert();
    bool SelectionCopy(CPixImage& from);
    bool SelectionAddRect(RECT r);
    bool SelectionAddEllipse(RECT r);
    // Points of one or more closed outlines, separated by entries whose x is -1.
    bool SelectionAddPolygon(POINT* points, long npoints);
    bool SelectionAddColor(RGBQUAD c);
    bool SelectionAddPixel(int x, int y);
    bool SelectionSplit(CPixImage* dest);
    // ORs the selected runs into region, in top-down device rows.
    bool SelectionToHRGN(HRGN& region);

    // --- flips, mirror, right-angle rotations ---------------------------------------------------
    bool Flip();
    bool Mirror();
    bool RotateLeft(CPixImage* iDst = nullptr);
    bool RotateRight(CPixImage* iDst = nullptr);
    bool Rotate180(CPixImage* iDst = nullptr);

    // --- resampling and interpolation ----------------------------------------------------------
    bool Resample(long newx, long newy, int mode = 0, CPixImage* iDst = nullptr);
    bool Resample2(long newx, long newy, InterpolationMethod inMethod = IM_BICUBIC2,
                   OverflowMethod ofMethod = OM_REPEAT, CPixImage* iDst = nullptr, bool disableAveraging = false);
    bool QIShrink(long newx, long newy, CPixImage* iDst = nullptr);

    void OverflowCoordinates(long& x, long& y, OverflowMethod ofMethod);
    void OverflowCoordinates(float& x, float& y, OverflowMethod ofMethod);
    RGBQUAD GetPixelColorWithOverflow(long x, long y, OverflowMethod ofMethod = OM_BACKGROUND,
                                      RGBQUAD* rplColor = nullptr);
    RGBQUAD GetPixelColorInterpolated(float x, float y, InterpolationMethod inMethod = IM_BILINEAR,
                                      OverflowMethod ofMethod = OM_BACKGROUND, RGBQUAD* rplColor = nullptr);
    RGBQUAD GetAreaColorInterpolated(float xc, float yc, float w, float h, InterpolationMethod inMethod,
                                     OverflowMethod ofMethod = OM_BACKGROUND, RGBQUAD* rplColor = nullptr);

    static float KernelBSpline(float x);
    static float KernelLinear(float t);
    static float KernelCubic(float t);
    static float KernelGeneralizedCubic(float t, float a = -0.5f);
    static float KernelLanczosSinc(float t, float r = 6);
    static float KernelBox(float x);
    static float KernelHermite(float x);
    static float KernelHamming(float x);
    static float KernelSinc(float x);
    static float KernelBlackman(float x);
    static float KernelBessel_J1(float x);
    static float KernelBessel_P1(float x);
    static float KernelBessel_Q1(float x);
    static float KernelBessel_Order1(float x);
    static float KernelBessel(float x);
    static float KernelGaussian(float x);
    static float KernelQuadratic(float x);
    static float KernelMitchell(float x);
    static float KernelCatrom(float x);

    // --- colour depth, crop and expand, warps, free rotation -----------------------------------
    // Those that build a new image replace this one (or fill iDst) only when it could be made;
    // Negative and the grey scale of an 8-bit image work in place.
    bool GrayScale();
    bool Negative();
    bool IncreaseBpp(DWORD nbit);
    bool DecreaseBpp(DWORD nbit, bool errordiffusion, RGBQUAD* ppal = nullptr, DWORD clrimportant = 0);
    bool Dither(long method = 0);

    // Rectangles are top-down: top and bottom count rows from the top, right and bottom exclusive.
    bool Crop(long left, long top, long right, long bottom, CPixImage* iDst = nullptr);
    bool Crop(const RECT& rect, CPixImage* iDst = nullptr);
    bool CropRotatedRectangle(long topx, long topy, long width, long height, float angle, CPixImage* iDst = nullptr);
    bool Expand(long left, long top, long right, long bottom, RGBQUAD canvascolor, CPixImage* iDst = nullptr);
    bool Expand(long newx, long newy, RGBQUAD canvascolor, CPixImage* iDst = nullptr);
    bool Thumbnail(long newx, long newy, RGBQUAD canvascolor, CPixImage* iDst = nullptr);
    bool Skew(float xgain, float ygain, long xpivot = 0, long ypivot = 0, bool bEnableInterpolation = false);
    bool CircleTransform(int type, long rmax = 0, float Koeff = 1.0f);

    // Angles in degrees, positive clockwise on the screen.
    bool Rotate(float angle, CPixImage* iDst = nullptr);
    bool Rotate2(float angle, CPixImage* iDst = nullptr, InterpolationMethod inMethod = IM_BILINEAR,
                 OverflowMethod ofMethod = OM_BACKGROUND, RGBQUAD* replColor = nullptr,
                 bool optimizeRightAngles = true, bool bKeepSize = false);


    // --- tone, filters, mixing, colour spaces, point operations, Fourier transform, sharpening ---
    // Look-up tables: 256 entries indexed by the old channel value.
    bool Light(long brightness, long contrast = 0);
    bool Gamma(float gamma);
    bool Lut(BYTE* pLut);
    bool Lut(BYTE* pLutR, BYTE* pLutG, BYTE* pLutB, BYTE* pLutAlpha = nullptr);

    // Square neighbourhoods of size n (offsets -n/2 .. n - n/2 - 1), at most kMaxNeighbourhood.
    static constexpr long kMaxNeighbourhood = 255;
    // kernel: size x size entries, row-major, its first row over the lowest row of the neighbourhood.
    bool Filter(long* kernel, long Ksize, long Kfactor, long Koffset);
    bool Erode(long Ksize = 2);
    bool Dilate(long Ksize = 2);
    bool Edge(long Ksize = 2);
    bool Median(long Ksize = 3);
    bool Contour();
    bool Jitter(long radius = 2);
    float Mean();

    enum ImageOpType {
        MixAdd = 0,
        MixAnd = 1,
        MixXor = 2,
        MixOr = 3,
        MixMask = 4,
        MixUnderKey = 5,
        MixOverKey = 6,
        MixSubtract = 7,
        MixKeyBlend = 8,
        MixAlphaBlend = 9,
    };
    // This image's pixel (x, y) meets the source's (x + lXOffset, y + lYOffset).
    void Mix(CPixImage& imgsrc2, ImageOpType op, long lXOffset = 0, long lYOffset = 0, bool bMixAlpha = false);
    void MixFrom(CPixImage& imagesrc2, long lXOffset, long lYOffset);

    // Colours in other spaces travel as (red, green, blue) = first, second, third component.
    static RGBQUAD RGBtoHSL(RGBQUAD lRGBColor);
    static RGBQUAD HSLtoRGB(RGBQUAD lHSLColor);
    static RGBQUAD HSLtoRGB(COLORREF cHSLColor);
    static RGBQUAD RGBtoYUV(RGBQUAD lRGBColor);
    static RGBQUAD YUVtoRGB(RGBQUAD lYUVColor);
    static RGBQUAD RGBtoYIQ(RGBQUAD lRGBColor);
    static RGBQUAD YIQtoRGB(RGBQUAD lYIQColor);
    static RGBQUAD RGBtoXYZ(RGBQUAD lRGBColor);
    static RGBQUAD XYZtoRGB(RGBQUAD lXYZColor);
    // Colour spaces of Combine and Repair.
    enum : long { CS_RGB = 0, CS_HSL = 1, CS_YUV = 2, CS_YIQ = 3, CS_XYZ = 4 };
    bool SplitRGB(CPixImage* r, CPixImage* g, CPixImage* b);
    bool SplitYUV(CPixImage* y, CPixImage* u, CPixImage* v);
    bool SplitYIQ(CPixImage* y, CPixImage* i, CPixImage* q);
    bool SplitXYZ(CPixImage* x, CPixImage* y, CPixImage* z);
    bool SplitHSL(CPixImage* h, CPixImage* s, CPixImage* l);
    bool SplitCMYK(CPixImage* c, CPixImage* m, CPixImage* y, CPixImage* k);
    bool Combine(CPixImage* r, CPixImage* g, CPixImage* b, CPixImage* a, long colorspace = CS_RGB);
    bool Repair(float radius = 0.25f, long niterations = 1, long colorspace = CS_RGB);

    bool Threshold(BYTE level);
    bool Colorize(BYTE hue, BYTE sat, float blend = 1.0f);
    void HuePalette(float correction = 1);
    bool ShiftRGB(long r, long g, long b);
    bool Noise(long level);
    bool RedEyeRemove();

    // direction 1 forward (divided by the length), -1 inverse; any image may be null.
    bool FFT2(CPixImage* srcReal, CPixImage* srcImag, CPixImage* dstReal, CPixImage* dstImag, long direction = 1,
              bool bForceFFT = true, bool bMagnitude = true);

    bool UnsharpMask(float radius = 5.0f, float amount = 0.5f, int threshold = 0);

protected:
    void Startup(DWORD imagetype);
    // Takes src's information block; only while this image has no DIB.
    void CopyInfo(const CPixImage& src);
    // Makes this image share from's blocks without owning them.
    void Ghost(const CPixImage* from);
    // True (with the reason in lastError) when encoding must not start.
    bool EncodeSafeCheck(CPixFile* hFile);
    // True when all that was written has reached the file; else false with the write error in
    // lastError. A stream may only report a full disk on flushing, so every encode ends here.
    bool EncodeFlushed(CPixFile* hFile);
    // Writes the header into the start of the DIB block, field by field (a packed DIB).
    void StoreHeader();
    // Writes one pixels-per-metre field (at byte 24 or 28) into the DIB block's header.
    void StorePelsPerMeter(size_t offset, LONG ppm);
    // Stores an error text, cut to the field.
    void SetLastError(const char* text);
    // Forgets the transparent index, colour and palette alpha: a decode takes them from its file.
    void ResetTransparency();
    // Fills a created 24-bit image from 16- or 32-bit bit-field pixels (src may be the own rows).
    void Bitfield2RGB(BYTE* src, WORD redmask, WORD greenmask, WORD bluemask, BYTE bpp);
    void RGBtoBGR(BYTE* buffer, int length);

    BYTE BlindGetPixelIndex(long x, long y);
    RGBQUAD BlindGetPixelColor(long x, long y);
    BYTE* BlindGetPixelPointer(long x, long y);
    BYTE BlindAlphaGet(long x, long y) { return alpha[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()]; }
    void AddAveragingCont(RGBQUAD const& color, float surf, float& rr, float& gg, float& bb, float& aa);

    // Number of pixels (alpha and selection planes), 64-bit.
    size_t PlaneSize() const { return static_cast<size_t>(GetWidth()) * GetHeight(); }


    // --- helpers of the tone, filter, colour space, Fourier and sharpening operations -----------
    static float HueToRGB(float n1, float n2, float hue);
    bool RepairChannel(CPixImage* ch, float radius);
    static bool IsPowerof2(long x);
    int gen_convolve_matrix(float radius, float** cmatrix_p);
    float* gen_lookup_table(float* cmatrix, int cmatrix_length);
    void blur_line(float* ctable, float* cmatrix, int cmatrix_length, BYTE* cur_col, BYTE* dest_col, int y, long bytes);

    void* dib;
    BITMAPINFOHEADER header;
    PixInfo info;
    BYTE* selection;
    BYTE* alpha;
    CPixImage** layers;

private:
    bool DecodeWith(const PixCodecEntry& entry, CPixFile* hFile, DWORD decodeType);
    // Runs an encoder (run(codec)) on a codec object sharing this image; its failure text comes
    // here, and a file that did not take every byte fails too.
    template <class Run> bool EncodeWith(const PixCodecEntry& entry, CPixFile* hFile, Run run);
    // Runs an encoder (run(file)) into a new memory block handed over as buffer and size; the
    // buffer must come in empty.
    template <class Run> bool EncodeToMemory(BYTE*& buffer, long& size, Run run);
    bool ProbeDecode(CPixFile* hFile);
    // An empty width x height image of this one's depth, type, info and palette, for an
    // operation to build its result in; false (reason set here) when it cannot be created.
    bool NewLike(CPixImage& out, DWORD width, DWORD height);
    // NewLike with an alpha plane when this image has one; false when either cannot be made.
    bool NewTurned(CPixImage& turned, DWORD width, DWORD height);
    bool RotateQuarter(bool right, CPixImage* iDst);

    // --- helpers of the tone, filter and point operations ---------------------------------------
    // The copy an operation writes into, with this image's selection and alpha; false when any
    // part of it cannot be made.
    bool WorkCopy(CPixImage& work, bool copypixels);
    // Calls f(bgr) for every selected pixel of a 24-bit image inside area, row by row, with
    // progress when asked.
    template <class F> void EachSelected24(const RECT& area, bool progress, F f);
    // Takes every selected pixel of any image inside area through f(RGBQUAD&), written back without alpha.
    template <class F> void EachSelectedColour(const RECT& area, F f);
    template <class Convert> bool SplitWith(CPixImage* const* targets, int count, Convert convert);
    bool PaletteLut(const BYTE* r, const BYTE* g, const BYTE* b);
    // Stores this image's pixel (sx, sy), its alpha included, at (x, y) of work (same depth and palette).
    void TakePixel(CPixImage& work, long x, long y, long sx, long sy);


    // --- helpers of the colour depth, crop and rotation operations ------------------------------
    // Copies this image's selection and alpha plane into out (same size); false when one cannot be made.
    bool CarryPlanes(CPixImage& out);
    // An empty image of this size and info at another depth; false (reason set here) when it cannot be made.
    bool NewDepth(CPixImage& out, DWORD bpp);
    // The 8-bit grey image of this one (index = grey level), with its selection and alpha.
    bool GrayInto(CPixImage& out);
    // The palette entry of the transparent index; false when there is none or it lies past the palette.
    bool TransparentEntry(RGBQUAD& c);
    // An empty image for Crop and Expand: depth, type, palette and transparency of this one only.
    bool NewCanvas(CPixImage& out, uint64_t width, uint64_t height);
    // The area a warp visits: the selection box within the image, or the whole image.
    RECT ProcessingArea();
};
