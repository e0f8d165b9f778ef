// Whether a file is a picture the slides can show.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

// TRUE only when the file exists and decodes as a picture with pixels; no message.
BOOL IsLoadableImage(const std::string& path);
