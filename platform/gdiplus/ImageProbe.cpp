#include "platform/gdiplus/ImageProbe.h"

#include "platform/gdiplus/Bitmap.h"

BOOL IsLoadableImage(const std::string& path) {
    const Gdiplus::Bitmap bitmap(path);
    return (bitmap.GetLastStatus() == Gdiplus::Ok && bitmap.GetFlags() != 0) ? TRUE : FALSE;
}
