// Reading the whole text of the program's own XML files (project and preference files).
#pragma once

#include <cstdint>
#include <string>

// Larger files are refused: no file of the program comes near this.
constexpr uint64_t MAX_DOCUMENT_BYTES = uint64_t{512} << 20;

// Reads a regular file of at most MAX_DOCUMENT_BYTES with the UTF-16LE rule applied; the text
// ends at its first NUL character, as the parser sees it. fileBytes receives the file's length.
bool ReadDocumentText(const std::string& path, std::string& text, uint64_t& fileBytes);
