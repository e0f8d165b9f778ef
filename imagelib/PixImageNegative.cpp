// Image object: the negative of a picture.
#include "imagelib/PixImage.h"

bool CPixImage::Negative()
{
    if (!dib)
        return false;
    const long w = static_cast<long>(GetWidth()), h = static_cast<long>(GetHeight());
    auto selected = [&](long x, long y) { return selection[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()] != 0; };
    if (header.biBitCount == 24) {
        if (selection) {
            for (long y = info.selectionBox.bottom; y < info.selectionBox.top; ++y)
                for (long x = info.selectionBox.left; x < info.selectionBox.right; ++x) {
                    if (!IsInside(x, y) || !selected(x, y))
                        continue;
                    RGBQUAD c = GetPixelColor(x, y);
                    c.rgbBlue = static_cast<BYTE>(255 - c.rgbBlue);
                    c.rgbGreen = static_cast<BYTE>(255 - c.rgbGreen);
                    c.rgbRed = static_cast<BYTE>(255 - c.rgbRed);
                    SetPixelColor(x, y, c, false);
                }
        } else {
            BYTE* p = GetBits();
            for (DWORD i = 0; i < header.biSizeImage; ++i)
                p[i] = static_cast<BYTE>(255 - p[i]);
        }
        info.transColor.rgbBlue = static_cast<BYTE>(255 - info.transColor.rgbBlue);
        info.transColor.rgbGreen = static_cast<BYTE>(255 - info.transColor.rgbGreen);
        info.transColor.rgbRed = static_cast<BYTE>(255 - info.transColor.rgbRed);
        return true;
    }
    if (!IsGrayScale()) {
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; pal && i < header.biClrUsed; ++i) {
            pal[i].rgbBlue = static_cast<BYTE>(255 - pal[i].rgbBlue);
            pal[i].rgbGreen = static_cast<BYTE>(255 - pal[i].rgbGreen);
            pal[i].rgbRed = static_cast<BYTE>(255 - pal[i].rgbRed);
        }
        info.lastValid = false;
        return true;
    }
    const BYTE top = static_cast<BYTE>((1u << header.biBitCount) - 1);
    for (long y = 0; y < h; ++y)
        for (long x = 0; x < w; ++x)
            if (!selection || selected(x, y))
                SetPixelIndex(x, y, static_cast<BYTE>(top - BlindGetPixelIndex(x, y)));
    return true;
}
