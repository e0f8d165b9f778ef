// Plays Windows metafile records (from the 18-byte metafile header on) into a metafile canvas.
#pragma once

#include <cstddef>
#include <cstdint>

class MetafileCanvas;

class WmfPlayer {
public:
    // False when the header is not a metafile header; records it cannot use are skipped, and a
    // record that runs past the data ends the playing.
    static bool Play(const uint8_t* data, size_t size, MetafileCanvas& canvas);
};
