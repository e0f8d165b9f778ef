// The device-context layer: memory device contexts over cairo image surfaces, bitmaps and DIB
// sections, block transfers with the binary raster operations, regions, fonts and text, and
// global-memory blocks. Only what the image library draws with; no screen or window contexts.
#pragma once

#include "platform/win/WinTypes.h"

// Raster operations served by the block transfers; any other code fails.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

constexpr UINT DIB_RGB_COLORS = 0;
constexpr DWORD CBM_INIT = 4;

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Region kinds and combination modes.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// DrawText formats served.
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;

constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;

constexpr int DEFAULT_GUI_FONT = 17;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Largest bitmap or global block the layer makes, and the largest font size in pixels.
constexpr uint64_t GDI_MAX_BYTES = uint64_t{1} << 31;
constexpr int GDI_MAX_FONT_PIXELS = 2000;

// --- device contexts -------------------------------------------------------------------------
// A memory DC; its first bitmap is 1 x 1 monochrome, as compatible bitmaps of it are.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// Returns the object of the same kind selected before; a bitmap is selected in one DC at a time.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
HGDIOBJ SelectObject(HDC hdc, HBITMAP bmp);
HGDIOBJ SelectObject(HDC hdc, HFONT font);
// Stock objects and objects still selected in a DC are not deleted (FALSE).
BOOL DeleteObject(HGDIOBJ obj);
BOOL DeleteObject(HBITMAP bmp);
BOOL DeleteObject(HRGN rgn);
BOOL DeleteObject(HFONT font);
HGDIOBJ GetStockObject(int which);
COLORREF SetTextColor(HDC hdc, COLORREF c);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF c);
COLORREF GetBkColor(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c);

// Clipping, in device pixels; a DC without a clip region clips to its bitmap.
int SelectClipRgn(HDC hdc, HRGN rgn);
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
// 1 and a copy in rgn when the DC has a clip region, 0 when it has none, -1 on error.
int GetClipRgn(HDC hdc, HRGN rgn);
int GetClipBox(HDC hdc, RECT* rc);
BOOL RectVisible(HDC hdc, const RECT* rc);

// --- bitmaps ----------------------------------------------------------------------------------
// 1 or 32 bits per pixel (32-bit ones are the DC's own cairo surface); others fail.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// Rows in the layout bmi describes (1, 4, 8, 24 or 32 bits, BI_RGB); bits receives them.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* bmi, UINT usage, void** bits, void* section, DWORD offset);
HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* bmi, UINT usage);
// A BITMAP record for bitmaps, the LOGFONT for fonts; returns the bytes written.
int GetObject(HGDIOBJ obj, int size, void* out);
int GetObject(HBITMAP bmp, int size, void* out);
// Copies rows start..start+lines-1 (bottom-up) into bits as bmi asks (1, 24 or 32 bits);
// with null bits fills bmi's header only. Returns the lines copied, 0 on failure.
int GetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage);

// --- block transfers --------------------------------------------------------------------------
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, int cxSrc, int cySrc, DWORD rop);
// Source rectangles count rows from the DIB's bottom (bottom-up DIBs), as the rows lie in memory.
int StretchDIBits(HDC dst, int x, int y, int cx, int cy, int xSrc, int ySrc, int cxSrc, int cySrc,
                  const void* bits, const BITMAPINFO* bmi, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC dst, int x, int y, DWORD cx, DWORD cy, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* bmi, UINT usage);

// --- regions ----------------------------------------------------------------------------------
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rc);
// The union of rectangles; rows of unit height given top-down (a mask's runs) are built directly.
HRGN CreateRgnFromRects(const RECT* rects, size_t count);
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
int GetRgnBox(HRGN rgn, RECT* rc);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL EqualRgn(HRGN a, HRGN b);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);

// --- fonts and text ---------------------------------------------------------------------------
// Windows faces map to Liberation, anything fontconfig cannot find to DejaVu.
HFONT CreateFontIndirect(const LOGFONT* lf);
// Lines break at CR, LF and CR LF; returns the text height, 0 on failure.
int DrawText(HDC hdc, const char* text, int len, RECT* rc, UINT format);

// --- global memory ----------------------------------------------------------------------------
HGLOBAL GlobalAlloc(UINT flags, size_t bytes);
void* GlobalLock(HGLOBAL mem);
BOOL GlobalUnlock(HGLOBAL mem);
size_t GlobalSize(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);
