#include "platform/gdiplus/BitmapLoader.h"

#include <filesystem>

#include "platform/gdiplus/Bitmap.h"

namespace Gdiplus {

Status BitmapLoader::Load(const std::string& path, Bitmap& target) {
    (void)target;
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return FileNotFound;
    return UnknownImageFormat;
}

} // namespace Gdiplus
