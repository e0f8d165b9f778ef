#include "model/IsLoadableImage.h"

#include "imagelib/PixImage.h"

BOOL IsLoadableImage(const std::string& path) {
    if (path.empty()) return FALSE;
    CPixImage picture;
    if (!picture.Load(path.c_str(), 0)) return FALSE;
    return picture.IsValid() && picture.GetWidth() > 0 && picture.GetHeight() > 0 ? TRUE : FALSE;
}
