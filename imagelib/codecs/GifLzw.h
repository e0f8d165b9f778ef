// The variable-length LZW code streams of GIF pictures: reading one image's stream into pixel
// values, and writing pixel values as a stream of three kinds (hashed LZW, uncompressed codes
// only, run-length codes) that every decoder reads alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CPixFile;

class CGifLzw {
public:
    enum Mode { kLzw = 0, kUncompressed = 1, kRunLength = 2 };
    enum Result { kDecoded, kCutShort, kBadCodeSize };

    // Reads a code stream (minimum code size byte, sub-blocks up to the empty one) and writes up
    // to pixels.size() values, surplus ignored. Codes above the next free code end the picture
    // early and count in badCodes. kCutShort when the data ends before the empty sub-block;
    // kBadCodeSize, with nothing decoded, for a minimum code size outside 2..11. The stream is
    // left after the blocks read.
    static Result Decode(CPixFile* hFile, std::vector<uint8_t>& pixels, int& badCodes);
    // Skips a code stream without decoding it; false when the data ends first.
    static bool Skip(CPixFile* hFile);
    // Appends the minimum code size, the codes in sub-blocks and the empty terminator.
    static void Encode(const uint8_t* pixels, size_t count, int minCodeSize, Mode mode, std::vector<uint8_t>& out);
};
