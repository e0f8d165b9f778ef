// The handle functions of the layer: DCs, objects, bitmaps, regions, fonts and global memory.
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/gdi/GdiDC.h"
#include "platform/gdi/GdiGlobal.h"

namespace {

template <class T> T* Release(std::unique_ptr<T> p) { return p.release(); }

GdiFont* StockGuiFont()
{
    static GdiFont* font = [] {
        LOGFONT lf;
        lf.lfHeight = -11;
        std::strcpy(lf.lfFaceName, "MS Shell Dlg");
        GdiFont* f = GdiFont::Make(lf).release();
        f->stock = true;
        return f;
    }();
    return font;
}

int Complexity(const HDC hdc)
{
    return hdc->clip ? hdc->clip->Complexity() : (hdc->bitmap ? SIMPLEREGION : NULLREGION);
}

} // namespace

// --- device contexts -------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC)
{
    auto dc = std::make_unique<GdiDC>();
    if (!dc->bitmap)
        return nullptr;
    return dc.release();
}

BOOL DeleteDC(HDC hdc)
{
    if (!hdc)
        return FALSE;
    delete hdc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj)
{
    if (!hdc || !obj)
        return nullptr;
    if (obj->kind == GdiObject::Kind::Bitmap) {
        auto* bmp = static_cast<GdiBitmap*>(obj);
        if (bmp == hdc->bitmap)
            return bmp;
        if (bmp->selected) // a bitmap lives in one DC at a time
            return nullptr;
        GdiBitmap* old = hdc->bitmap;
        old->selected--;
        bmp->selected++;
        hdc->bitmap = bmp;
        return old;
    }
    if (obj->kind == GdiObject::Kind::Font) {
        GdiFont* old = hdc->font;
        old->selected--;
        hdc->font = static_cast<GdiFont*>(obj);
        hdc->font->selected++;
        return old;
    }
    SelectClipRgn(hdc, static_cast<HRGN>(obj));
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ obj)
{
    if (!obj || obj->stock || obj->selected)
        return FALSE;
    delete obj;
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HBITMAP bmp) { return SelectObject(hdc, static_cast<HGDIOBJ>(bmp)); }
HGDIOBJ SelectObject(HDC hdc, HFONT font) { return SelectObject(hdc, static_cast<HGDIOBJ>(font)); }
BOOL DeleteObject(HBITMAP bmp) { return DeleteObject(static_cast<HGDIOBJ>(bmp)); }
BOOL DeleteObject(HRGN rgn) { return DeleteObject(static_cast<HGDIOBJ>(rgn)); }
BOOL DeleteObject(HFONT font) { return DeleteObject(static_cast<HGDIOBJ>(font)); }

HGDIOBJ GetStockObject(int which)
{
    return which == DEFAULT_GUI_FONT ? StockGuiFont() : nullptr;
}

COLORREF SetTextColor(HDC hdc, COLORREF c)
{
    if (!hdc)
        return CLR_INVALID;
    std::swap(hdc->textColor, c);
    return c;
}
COLORREF GetTextColor(HDC hdc) { return hdc ? hdc->textColor : CLR_INVALID; }

COLORREF SetBkColor(HDC hdc, COLORREF c)
{
    if (!hdc)
        return CLR_INVALID;
    std::swap(hdc->bkColor, c);
    return c;
}
COLORREF GetBkColor(HDC hdc) { return hdc ? hdc->bkColor : CLR_INVALID; }

int SetBkMode(HDC hdc, int mode)
{
    if (!hdc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    std::swap(hdc->bkMode, mode);
    return mode;
}
int GetBkMode(HDC hdc) { return hdc ? hdc->bkMode : 0; }

int SetStretchBltMode(HDC hdc, int mode)
{
    if (!hdc || mode < BLACKONWHITE || mode > HALFTONE)
        return 0;
    std::swap(hdc->stretchMode, mode);
    return mode;
}
int GetStretchBltMode(HDC hdc) { return hdc ? hdc->stretchMode : 0; }

COLORREF GetPixel(HDC hdc, int x, int y)
{
    if (!hdc || !hdc->Visible().Contains(x, y))
        return CLR_INVALID;
    const PixelView v = hdc->bitmap->View();
    uint32_t p = 0;
    ReadPixelRow(v, v.DeviceRow(y), x, 1, &p);
    return ColorrefOfPixel(v.Indexed() ? v.ColorOf(p) : p);
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF c)
{
    if (!hdc || !hdc->Visible().Contains(x, y))
        return CLR_INVALID;
    GdiBitmap& b = *hdc->bitmap;
    uint32_t p = PixelOfColorref(c);
    if (b.bpp <= 8)
        p = NearestIndex(b.colors, b.numColors, p);
    WritePixelRow(b.DeviceRow(y), b.bpp, x, 1, &p);
    return GetPixel(hdc, x, y);
}

// --- clipping ---------------------------------------------------------------------------------

int SelectClipRgn(HDC hdc, HRGN rgn)
{
    if (!hdc)
        return RGN_ERROR;
    if (!rgn)
        hdc->clip.reset();
    else {
        hdc->clip = std::make_unique<GdiRegion>();
        hdc->clip->bands = rgn->bands;
    }
    return Complexity(hdc);
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode)
{
    if (!hdc || mode < RGN_AND || mode > RGN_COPY)
        return RGN_ERROR;
    if (mode == RGN_COPY)
        return SelectClipRgn(hdc, rgn);
    if (!rgn)
        return RGN_ERROR;
    if (!hdc->clip) { // no clip region yet: the whole bitmap is the current one
        hdc->clip = std::make_unique<GdiRegion>();
        hdc->clip->SetRect(0, 0, hdc->bitmap->width, hdc->bitmap->height);
    }
    hdc->clip->Combine(*hdc->clip, *rgn, mode);
    return Complexity(hdc);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    GdiRegion r;
    r.SetRect(left, top, right, bottom);
    return ExtSelectClipRgn(hdc, &r, RGN_AND);
}

int GetClipRgn(HDC hdc, HRGN rgn)
{
    if (!hdc || !rgn)
        return -1;
    if (!hdc->clip)
        return 0;
    rgn->bands = hdc->clip->bands;
    return 1;
}

int GetClipBox(HDC hdc, RECT* rc)
{
    if (!hdc || !rc)
        return RGN_ERROR;
    const GdiRegion v = hdc->Visible();
    *rc = v.Box();
    return v.Complexity();
}

BOOL RectVisible(HDC hdc, const RECT* rc)
{
    if (!hdc || !rc)
        return FALSE;
    GdiRegion r;
    r.SetRect(rc->left, rc->top, rc->right, rc->bottom);
    r.Combine(r, hdc->Visible(), RGN_AND);
    return r.bands.empty() ? FALSE : TRUE;
}

// --- bitmaps ----------------------------------------------------------------------------------

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits)
{
    if (planes != 1 || (bitCount != 1 && bitCount != 32))
        return nullptr;
    auto bmp = GdiBitmap::Make(width, height, static_cast<int>(bitCount), false, true);
    if (!bmp)
        return nullptr;
    if (bits) { // rows of the caller's data are padded to 2 bytes
        const size_t in = ((static_cast<size_t>(width) * bitCount + 15) >> 4) << 1;
        const size_t n = std::min(in, bmp->stride);
        for (int y = 0; y < height; ++y)
            std::memcpy(bmp->MemoryRow(y), static_cast<const BYTE*>(bits) + in * static_cast<size_t>(y), n);
    }
    return Release(std::move(bmp));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    const bool mono = hdc && hdc->bitmap && hdc->bitmap->IsMonoDevice();
    return CreateBitmap(width, height, 1, mono ? 1 : 32, nullptr);
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, UINT usage, void** bits, void* section, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!bmi || usage != DIB_RGB_COLORS || section)
        return nullptr;
    const BITMAPINFOHEADER& h = bmi->bmiHeader;
    if (h.biCompression != BI_RGB || h.biHeight == INT32_MIN)
        return nullptr;
    auto bmp = GdiBitmap::Make(h.biWidth, h.biHeight < 0 ? -h.biHeight : h.biHeight, h.biBitCount, true, h.biHeight < 0);
    if (!bmp)
        return nullptr;
    if (bmp->bpp <= 8) {
        const DWORD table = 1u << bmp->bpp;
        bmp->numColors = static_cast<int>(h.biClrUsed && h.biClrUsed < table ? h.biClrUsed : table);
        std::copy(bmi->bmiColors, bmi->bmiColors + bmp->numColors, bmp->colors);
    }
    if (bits)
        *bits = bmp->pixels.data();
    return Release(std::move(bmp));
}

HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                       const BITMAPINFO* bmi, UINT usage)
{
    if (!header || header->biHeight == INT32_MIN)
        return nullptr;
    const int h = header->biHeight < 0 ? -header->biHeight : header->biHeight;
    HBITMAP bmp = CreateCompatibleBitmap(hdc, header->biWidth, h);
    if (bmp && (init & CBM_INIT) && SetDIBits(hdc, bmp, 0, static_cast<UINT>(h), bits, bmi, usage) == 0) {
        DeleteObject(bmp);
        return nullptr;
    }
    return bmp;
}

int GetObject(HGDIOBJ obj, int size, void* out)
{
    if (!obj || !out)
        return 0;
    if (obj->kind == GdiObject::Kind::Bitmap && size >= static_cast<int>(sizeof(BITMAP))) {
        const auto* b = static_cast<const GdiBitmap*>(obj);
        BITMAP bm;
        bm.bmWidth = b->width;
        bm.bmHeight = b->height;
        bm.bmWidthBytes = static_cast<LONG>(b->stride);
        bm.bmBitsPixel = static_cast<WORD>(b->bpp);
        bm.bmBits = b->dib ? const_cast<BYTE*>(b->pixels.data()) : nullptr;
        *static_cast<BITMAP*>(out) = bm;
        return sizeof(BITMAP);
    }
    if (obj->kind == GdiObject::Kind::Font && size >= static_cast<int>(sizeof(LOGFONT))) {
        *static_cast<LOGFONT*>(out) = static_cast<const GdiFont*>(obj)->lf;
        return sizeof(LOGFONT);
    }
    return 0;
}

int GetObject(HBITMAP bmp, int size, void* out) { return GetObject(static_cast<HGDIOBJ>(bmp), size, out); }

// --- regions ----------------------------------------------------------------------------------

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto r = std::make_unique<GdiRegion>();
    r->SetRect(left, top, right, bottom);
    return r.release();
}

HRGN CreateRectRgnIndirect(const RECT* rc)
{
    return rc ? CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom) : nullptr;
}

HRGN CreateRgnFromRects(const RECT* rects, size_t count)
{
    if (!rects && count)
        return nullptr;
    auto r = std::make_unique<GdiRegion>();
    // Runs of rectangles sharing one row pair form a band; out-of-order ones are combined.
    size_t i = 0;
    while (i < count) {
        const RECT& first = rects[i];
        std::vector<GdiRegion::Span> spans;
        size_t j = i;
        bool ordered = true;
        for (; j < count && rects[j].top == first.top && rects[j].bottom == first.bottom; ++j) {
            if (rects[j].left >= rects[j].right)
                continue;
            if (!spans.empty() && rects[j].left <= spans.back().second)
                ordered = false;
            spans.emplace_back(rects[j].left, rects[j].right);
        }
        if (!ordered || !r->AppendBand(first.top, first.bottom, spans)) {
            for (size_t k = i; k < j; ++k) {
                GdiRegion one;
                one.SetRect(rects[k].left, rects[k].top, rects[k].right, rects[k].bottom);
                r->Combine(*r, one, RGN_OR);
            }
        }
        i = j;
    }
    return r.release();
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode)
{
    if (!dst || !a || (!b && mode != RGN_COPY))
        return RGN_ERROR;
    if (!dst->Combine(*a, b ? *b : *a, mode))
        return RGN_ERROR;
    return dst->Complexity();
}

int GetRgnBox(HRGN rgn, RECT* rc)
{
    if (!rgn || !rc)
        return RGN_ERROR;
    *rc = rgn->Box();
    return rgn->Complexity();
}

BOOL PtInRegion(HRGN rgn, int x, int y) { return rgn && rgn->Contains(x, y) ? TRUE : FALSE; }

BOOL EqualRgn(HRGN a, HRGN b)
{
    if (!a || !b)
        return FALSE;
    GdiRegion x;
    x.Combine(*a, *b, RGN_XOR);
    return x.bands.empty() ? TRUE : FALSE;
}

int OffsetRgn(HRGN rgn, int dx, int dy)
{
    if (!rgn)
        return RGN_ERROR;
    rgn->Offset(dx, dy);
    return rgn->Complexity();
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom)
{
    if (!rgn)
        return FALSE;
    rgn->SetRect(left, top, right, bottom);
    return TRUE;
}

// --- fonts ------------------------------------------------------------------------------------

HFONT CreateFontIndirect(const LOGFONT* lf)
{
    return lf ? GdiFont::Make(*lf).release() : nullptr;
}

// --- global memory ----------------------------------------------------------------------------

HGLOBAL GlobalAlloc(UINT, size_t bytes)
{
    if (bytes > GDI_MAX_BYTES)
        return nullptr;
    auto g = std::make_unique<GdiGlobal>();
    try {
        g->bytes.assign(bytes, 0); // always zeroed
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return g.release();
}

void* GlobalLock(HGLOBAL mem)
{
    if (!mem || mem->bytes.empty())
        return nullptr;
    mem->locks++;
    return mem->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL mem)
{
    if (!mem || mem->locks == 0)
        return FALSE;
    return --mem->locks > 0 ? TRUE : FALSE;
}

size_t GlobalSize(HGLOBAL mem) { return mem ? mem->bytes.size() : 0; }

HGLOBAL GlobalFree(HGLOBAL mem)
{
    delete mem;
    return nullptr;
}
