// Image object: the negative of a picture.
#include "imagelib/PixImage.h"

bool CPixImage::Negative()
{
    if (!dib)
        return false;
    const RECT area = ProcessingArea();
    if (header.biBitCount == 24) {
        if (selection) {
            for (long y = area.bottom; y < area.top; ++y) {
                BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
                for (long x = area.left; x < area.right; ++x) {
                    if (!selection[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()])
                        continue;
                    BYTE* p = row + static_cast<size_t>(x) * 3;
                    p[0] = static_cast<BYTE>(255 - p[0]);
                    p[1] = static_cast<BYTE>(255 - p[1]);
                    p[2] = static_cast<BYTE>(255 - p[2]);
                }
            }
        } else {
            BYTE* p = info.bits;
            BYTE* end = p + header.biSizeImage;
            for (; p < end; ++p)
                *p = static_cast<BYTE>(~*p);
        }
        info.transColor.rgbBlue = static_cast<BYTE>(255 - info.transColor.rgbBlue);
        info.transColor.rgbGreen = static_cast<BYTE>(255 - info.transColor.rgbGreen);
        info.transColor.rgbRed = static_cast<BYTE>(255 - info.transColor.rgbRed);
        return true;
    }

    if (!IsGrayScale()) {
        RGBQUAD* pal = GetPalette();
        for (DWORD i = 0; i < header.biClrUsed; ++i) {
            pal[i].rgbBlue = static_cast<BYTE>(255 - pal[i].rgbBlue);
            pal[i].rgbGreen = static_cast<BYTE>(255 - pal[i].rgbGreen);
            pal[i].rgbRed = static_cast<BYTE>(255 - pal[i].rgbRed);
        }
        info.lastValid = false;
        return true;
    }

    // A grey palette keeps its order, so the indices turn over within the depth instead.
    const BYTE top = static_cast<BYTE>((1u << header.biBitCount) - 1);
    if (!selection && header.biBitCount == 8) {
        for (DWORD y = 0; y < GetHeight(); ++y) {
            BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
            for (DWORD x = 0; x < GetWidth(); ++x)
                row[x] = static_cast<BYTE>(255 - row[x]);
        }
        return true;
    }
    for (long y = area.bottom; y < area.top; ++y)
        for (long x = area.left; x < area.right; ++x)
            if (SelectionIsInside(x, y))
                SetPixelIndex(x, y, static_cast<BYTE>(top - BlindGetPixelIndex(x, y)));
    return true;
}
