// Millisecond clock and sleeping.
#pragma once

#include "platform/win/WinTypes.h"

// Milliseconds from a fixed point, never going backwards; wraps around after about 49.7 days, so
// compare ticks by unsigned difference (now - start), never by order.
DWORD GetTickCount();

void Sleep(DWORD ms);
