// Abstract byte stream through which every codec reads and writes, so that one decoder and one
// encoder serve disk files and memory blocks alike.
#pragma once

#include <cstddef>

class CPixFile {
public:
    CPixFile() = default;
    virtual ~CPixFile() = default;
    // Copying a stream object copies no state of the base.
    CPixFile(const CPixFile&) {}
    CPixFile& operator=(const CPixFile&) { return *this; }

    virtual bool Close() = 0;
    // Element-wise read and write; the result is the number of whole elements moved.
    virtual size_t Read(void* buffer, size_t size, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t size, size_t count) = 0;
    // origin: 0 from the start, 1 from the current position, 2 from the end.
    virtual bool Seek(long offset, int origin) = 0;
    virtual long Tell() = 0;
    virtual long Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual long Error() = 0;
    virtual bool PutC(unsigned char c) { return Write(&c, 1, 1) == 1; }
    // The byte 0-255, or -1 at the end or on error.
    virtual long GetC() = 0;
};
