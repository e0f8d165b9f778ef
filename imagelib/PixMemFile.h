// CPixFile over a growable block of memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/PixFile.h"
#include "platform/win/WinTypes.h"

class CPixMemFile : public CPixFile {
public:
    // A block given here is read and written in place and never freed nor resized by the
    // stream; when a write needs more room the stream moves the data to a block of its own.
    explicit CPixMemFile(BYTE* pBuffer = nullptr, DWORD size = 0);
    ~CPixMemFile() override;
    // Copies share the block; the caller sees to it that only one of them owns it.
    CPixMemFile(const CPixMemFile&) = default;
    CPixMemFile& operator=(const CPixMemFile&) = default;

    // Starts an empty block of the stream's own; false when a block is already held.
    bool Open();
    // The block; by default the caller takes it over (free it with CPixImage::FreeMemory). Left to
    // the stream (false), a block the stream does not own is first copied into one it does.
    BYTE* GetBuffer(bool bDetachBuffer = true);

    bool Close() override;
    size_t Read(void* buffer, size_t size, size_t count) override;
    size_t Write(const void* buffer, size_t size, size_t count) override;
    bool Seek(long offset, int origin) override;
    long Tell() override;
    long Size() override;
    bool Flush() override;
    bool Eof() override;
    long Error() override;
    bool PutC(unsigned char c) override;
    long GetC() override;

protected:
    // Makes room for at least newLen bytes; false (and nothing changed) when it cannot.
    bool Alloc(uint64_t newLen);
    void Free();
    // Writes n bytes at the position, growing the block and zero-filling a gap left by Seek.
    bool Put(const void* src, uint64_t n);

    BYTE* m_pBuffer;
    uint64_t m_Size;
    bool m_bFreeOnClose;
    long m_Position;
    uint64_t m_Edge; // allocated length of m_pBuffer
};
