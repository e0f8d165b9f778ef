// Countries and their TV standard, for the settings' nation choice.
#pragma once

#include <array>

struct CountryTvFormat {
    const char* name;
    int tvFormat;  // 1 PAL, 0 NTSC
};

inline constexpr int kCountryCount = 89;
// The row that gives the settings' default nation.
inline constexpr int kDefaultCountryIndex = 80;

extern const std::array<CountryTvFormat, kCountryCount> g_CountryTable;
