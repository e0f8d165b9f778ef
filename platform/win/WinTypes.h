// Windows-style fixed-width types and records, laid out as the file formats and callers expect.
// Never fread/fwrite these as whole structs: read and write file data field by field.
#pragma once

#include <cstddef>
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using SHORT = int16_t;
using USHORT = uint16_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using BOOL = int32_t;
using COLORREF = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using INT_PTR = intptr_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr int MAX_PATH = 260;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

struct RGBTRIPLE {
    BYTE rgbtBlue = 0;
    BYTE rgbtGreen = 0;
    BYTE rgbtRed = 0;
};

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

// BITMAPINFOHEADER as it lies in a BMP file and in a packed DIB (40 bytes).
struct BITMAPINFOHEADER {
    DWORD biSize = 40;
    LONG biWidth = 0;
    LONG biHeight = 0;
    WORD biPlanes = 1;
    WORD biBitCount = 0;
    DWORD biCompression = 0;
    DWORD biSizeImage = 0;
    LONG biXPelsPerMeter = 0;
    LONG biYPelsPerMeter = 0;
    DWORD biClrUsed = 0;
    DWORD biClrImportant = 0;
};

struct BITMAPFILEHEADER {
    WORD bfType = 0x4D42; // "BM"
    DWORD bfSize = 0;
    WORD bfReserved1 = 0;
    WORD bfReserved2 = 0;
    DWORD bfOffBits = 0;
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

// Handles of the device-context layer (platform/gdi): pointers to its own objects.
struct GdiObject;
struct GdiBitmap;
struct GdiRegion;
struct GdiFont;
struct GdiDC;
struct GdiGlobal;
using HGDIOBJ = GdiObject*;
using HBITMAP = GdiBitmap*;
using HRGN = GdiRegion*;
using HFONT = GdiFont*;
using HDC = GdiDC*;
using HGLOBAL = GdiGlobal*;
using HANDLE = GdiGlobal*; // the only handles passed around as plain HANDLEs are global memory
using HPALETTE = void*;    // palettes are never realised: accepted and ignored

struct BITMAP {
    LONG bmType = 0;
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    LONG bmWidthBytes = 0;
    WORD bmPlanes = 1;
    WORD bmBitsPixel = 0;
    void* bmBits = nullptr;
};

// A header and a full colour table, so that any palette index read from it is defined.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

constexpr int LF_FACESIZE = 32;

// Font description; face names are UTF-8, cut at 31 bytes on a character boundary.
struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = 400;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = 0;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// Messages of the system, numbered from WM_USER as the windows expect them.
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ENABLE_PROJECT_BUTTONS = WM_USER + 107;
constexpr UINT WM_SHOW_ADD_HINT = WM_USER + 108;
constexpr UINT WM_ENABLE_MAIN_CONTROLS = WM_USER + 109;
constexpr UINT WM_SHOW_TIP_AT_START = WM_USER + 110;
constexpr UINT WM_SAVE_PROJECT = WM_USER + 111;
constexpr UINT WM_LOAD_PROJECT = WM_USER + 112;
constexpr UINT WM_ADD_SLIDESHOW = WM_USER + 113;
constexpr UINT WM_DELETE_SLIDESHOW = WM_USER + 114;
constexpr UINT WM_DELETE_ALL_SLIDESHOWS = WM_USER + 115;
constexpr UINT WM_PROJECT_SIZE_CHANGED = WM_USER + 116;
constexpr UINT WM_REFRESH_SLIDESHOW_NODE = WM_USER + 117;
constexpr UINT WM_PREVIEW_COMPLETE = WM_USER + 118;
constexpr UINT WM_SHOW_CURRENT_SLIDESHOW = WM_USER + 119;
constexpr UINT WM_REFRESH_PROJECT_TREE = WM_USER + 121;
constexpr UINT WM_THUMBNAILS_LOADED = WM_USER + 122;
constexpr UINT WM_SELECT_SLIDESHOW_NODE = WM_USER + 123;
constexpr UINT WM_LOAD_PREVIEW_PICTURE = WM_USER + 124;
constexpr UINT WM_REBUILD_PAGE_TREE = WM_USER + 128;
constexpr UINT WM_DELETE_SELECTED_PICTURES = WM_USER + 130;
constexpr UINT WM_IMAGELINE_EDITED = WM_USER + 131;
constexpr UINT WM_SETTINGS_APPLIED = WM_USER + 132;
constexpr UINT WM_PREVIEW_ENDED = WM_USER + 133;
constexpr UINT WM_PREVIEW_SELECTED_TRANSITION = WM_USER + 134;
constexpr UINT WM_REFRESH_THUMBNAIL = WM_USER + 135;
