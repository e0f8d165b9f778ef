// Whole seconds as the "hh:mm:ss" text the lists show.
#pragma once

#include <cstdint>
#include <string>

// "%02d:%02d:%02d" of hours, minutes and seconds; a negative value counts as 0.
std::string FormatHms(int32_t seconds);
