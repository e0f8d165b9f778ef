// Numbers as the XML files of the system hold them: decimal text, read like atoi (leading
// blanks, an optional sign, digits; anything else ends the number; no digits give 0).
#pragma once

#include <cstdint>
#include <string>

// The leading decimal number of a text; values beyond 32 bits are clamped instead of wrapping.
int32_t XmlToInt(const std::string& text);

// "%d" of a value.
std::string IntToXml(int32_t value);
