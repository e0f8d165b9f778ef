// Image object: the selection queries the processing operations read.
#include <cstdlib>
#include <cstring>

#include "imagelib/PixImage.h"

bool CPixImage::SelectionIsValid()
{
    return selection != nullptr;
}

void CPixImage::SelectionGetBox(RECT& r)
{
    r = info.selectionBox;
}

bool CPixImage::SelectionIsInside(long x, long y)
{
    if (!IsInside(x, y))
        return false;
    if (!selection)
        return true;
    return selection[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()] != 0;
}

bool CPixImage::SelectionCopy(CPixImage& from)
{
    if (!from.selection || from.GetWidth() != GetWidth() || from.GetHeight() != GetHeight())
        return false;
    if (&from == this)
        return true;
    if (!selection) {
        selection = static_cast<BYTE*>(std::malloc(PlaneSize()));
        if (!selection)
            return false;
    }
    std::memcpy(selection, from.selection, PlaneSize());
    info.selectionBox = from.info.selectionBox;
    return true;
}
