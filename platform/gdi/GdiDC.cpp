#include "platform/gdi/GdiDC.h"

#include "platform/gdi/Gdi.h"

GdiDC::GdiDC() : ownBitmap(GdiBitmap::Make(1, 1, 1, false, true))
{
    bitmap = ownBitmap.get();
    if (bitmap)
        bitmap->selected++;
    font = static_cast<GdiFont*>(GetStockObject(DEFAULT_GUI_FONT));
    if (font)
        font->selected++;
}

GdiDC::~GdiDC()
{
    if (bitmap)
        bitmap->selected--;
    if (font)
        font->selected--;
}

GdiRegion GdiDC::Visible() const
{
    GdiRegion v;
    if (bitmap)
        v.SetRect(0, 0, bitmap->width, bitmap->height);
    if (clip)
        v.Combine(v, *clip, RGN_AND);
    return v;
}
