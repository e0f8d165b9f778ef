// A block of global memory that knows its size.
#pragma once

#include <vector>

#include "platform/win/WinTypes.h"

struct GdiGlobal {
    std::vector<BYTE> bytes;
    int locks = 0;
};
