// Whether a picture file can be used as a slide: it opens as a bitmap through the drawing layer
// and the bitmap reports non-zero image flags. False for a missing or undecodable file; shows no
// message.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

BOOL IsLoadableImage(const std::string& path);
