// Plays enhanced metafile records into a metafile canvas. The header's bounds (in the reference
// device's units) fill the canvas; EMF+ comments are skipped, so dual files draw their EMF records.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win/WinTypes.h"

class MetafileCanvas;

class EmfPlayer {
public:
    struct Header {
        RECT bounds;  // reference-device units, inclusive
        RECT frame;   // hundredths of a millimetre
        uint32_t bytes = 0;
        uint32_t handles = 0;
        uint32_t palEntries = 0;
        int32_t device[2] = {0, 0};      // reference device in pixels
        int32_t millimetres[2] = {0, 0}; // and in millimetres
    };
    // False when the data does not start with an enhanced metafile header (record type 1, the
    // " EMF" signature, a byte count within the data).
    static bool ReadHeader(const uint8_t* data, size_t size, Header& header);
    static bool Play(const uint8_t* data, size_t size, MetafileCanvas& canvas);
};
