// Text conversions. Strings hold UTF-8 throughout the program (the "ANSI code page" is UTF-8);
// files may still arrive as UTF-16LE with the FF FE mark.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// UTF-16LE bytes to UTF-8. Surrogate pairs are joined; an unpaired surrogate becomes U+FFFD;
// an odd trailing byte is ignored.
std::string Utf16LeToUtf8(const uint8_t* data, size_t size);

// The rule every file reader applies: bytes beginning with FF FE are UTF-16LE text and are
// converted to UTF-8 without the mark; any other bytes are returned unchanged.
std::string DecodeTextBytes(const std::string& bytes);

// At most maxChars characters, cut at a character boundary.
std::string TruncateUtf8(const std::string& s, size_t maxChars);

// At most maxBytes bytes, without splitting a character.
std::string TruncateUtf8Bytes(const std::string& s, size_t maxBytes);
