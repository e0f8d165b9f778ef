#include "imagelib/PixMemFile.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
// Positions are reported as long, so no stream may grow past what a long can address.
constexpr uint64_t kMaxStreamLength = static_cast<uint64_t>(LONG_MAX) - 8192;
}

CPixMemFile::CPixMemFile(BYTE* pBuffer, DWORD size)
    : m_pBuffer(pBuffer), m_Size(size), m_bFreeOnClose(pBuffer == nullptr), m_Position(0), m_Edge(size)
{
}

CPixMemFile::~CPixMemFile() { Close(); }

bool CPixMemFile::Open()
{
    if (m_pBuffer)
        return false;
    m_Position = 0;
    m_Size = 0;
    m_Edge = 0;
    m_pBuffer = static_cast<BYTE*>(std::malloc(1));
    m_bFreeOnClose = true;
    if (!m_pBuffer)
        return false;
    m_Edge = 1;
    return true;
}

BYTE* CPixMemFile::GetBuffer(bool bDetachBuffer)
{
    // A block that is not the stream's own cannot be left to it: the stream goes on in a copy.
    if (!bDetachBuffer && m_pBuffer && !m_bFreeOnClose) {
        const uint64_t keep = m_Size < m_Edge ? m_Size : m_Edge;
        BYTE* block = static_cast<BYTE*>(std::malloc(keep ? static_cast<size_t>(keep) : 1));
        if (!block)
            return m_pBuffer;
        std::memcpy(block, m_pBuffer, static_cast<size_t>(keep));
        m_pBuffer = block;
        m_Edge = keep ? keep : 1;
    }
    m_bFreeOnClose = !bDetachBuffer;
    return m_pBuffer;
}

bool CPixMemFile::Close()
{
    if (m_pBuffer && m_bFreeOnClose) {
        std::free(m_pBuffer);
        m_pBuffer = nullptr;
        m_Size = 0;
        m_Edge = 0;
        m_Position = 0;
    }
    return true;
}

void CPixMemFile::Free() { Close(); }

size_t CPixMemFile::Read(void* buffer, size_t size, size_t count)
{
    if (!buffer || !m_pBuffer || size == 0 || count == 0)
        return 0;
    if (m_Position < 0 || static_cast<uint64_t>(m_Position) >= m_Size)
        return 0;
    uint64_t n = 0;
    if (__builtin_mul_overflow(static_cast<uint64_t>(size), static_cast<uint64_t>(count), &n))
        n = UINT64_MAX;
    uint64_t left = m_Size - static_cast<uint64_t>(m_Position);
    if (n > left)
        n = left;
    std::memcpy(buffer, m_pBuffer + m_Position, static_cast<size_t>(n));
    m_Position += static_cast<long>(n);
    return static_cast<size_t>(n / size);
}

bool CPixMemFile::Alloc(uint64_t newLen)
{
    if (newLen <= m_Edge)
        return true;
    if (newLen > kMaxStreamLength)
        return false;
    uint64_t newEdge = (newLen & ~static_cast<uint64_t>(4095)) + 4096;
    BYTE* block = nullptr;
    if (m_pBuffer && m_bFreeOnClose) {
        block = static_cast<BYTE*>(std::realloc(m_pBuffer, static_cast<size_t>(newEdge)));
        if (!block)
            return false;
    } else {
        // The old block belongs to someone else: leave it where it is and continue in a copy.
        block = static_cast<BYTE*>(std::malloc(static_cast<size_t>(newEdge)));
        if (!block)
            return false;
        if (m_pBuffer) {
            uint64_t keep = m_Size < m_Edge ? m_Size : m_Edge;
            std::memcpy(block, m_pBuffer, static_cast<size_t>(keep));
        }
    }
    m_pBuffer = block;
    m_Edge = newEdge;
    m_bFreeOnClose = true;
    return true;
}

bool CPixMemFile::Put(const void* src, uint64_t n)
{
    if (m_Position < 0)
        return false;
    uint64_t pos = static_cast<uint64_t>(m_Position);
    if (n > kMaxStreamLength || pos > kMaxStreamLength - n)
        return false;
    uint64_t end = pos + n;
    if (end > m_Edge && !Alloc(end))
        return false;
    if (pos > m_Size)
        std::memset(m_pBuffer + m_Size, 0, static_cast<size_t>(pos - m_Size));
    std::memcpy(m_pBuffer + pos, src, static_cast<size_t>(n));
    m_Position = static_cast<long>(end);
    if (end > m_Size)
        m_Size = end;
    return true;
}

size_t CPixMemFile::Write(const void* buffer, size_t size, size_t count)
{
    if (!m_pBuffer || !buffer || size == 0 || count == 0)
        return 0;
    uint64_t n = 0;
    if (__builtin_mul_overflow(static_cast<uint64_t>(size), static_cast<uint64_t>(count), &n))
        return 0;
    return Put(buffer, n) ? count : 0;
}

bool CPixMemFile::Seek(long offset, int origin)
{
    if (!m_pBuffer)
        return false;
    long base = 0;
    switch (origin) {
    case 0: base = 0; break;
    case 1: base = m_Position; break;
    case 2: base = static_cast<long>(m_Size); break;
    default: return false;
    }
    long pos = 0;
    if (__builtin_add_overflow(base, offset, &pos))
        pos = offset < 0 ? 0 : LONG_MAX;
    if (pos < 0)
        pos = 0;
    m_Position = pos;
    return true;
}

long CPixMemFile::Tell()
{
    if (!m_pBuffer)
        return -1;
    return m_Position;
}

long CPixMemFile::Size()
{
    if (!m_pBuffer)
        return -1;
    return static_cast<long>(m_Size);
}

bool CPixMemFile::Flush() { return m_pBuffer != nullptr; }

bool CPixMemFile::Eof()
{
    if (!m_pBuffer)
        return true;
    return static_cast<uint64_t>(m_Position) >= m_Size;
}

long CPixMemFile::Error()
{
    if (!m_pBuffer)
        return -1;
    return static_cast<uint64_t>(m_Position) > m_Size ? 1 : 0;
}

bool CPixMemFile::PutC(unsigned char c)
{
    if (!m_pBuffer)
        return false;
    return Put(&c, 1);
}

long CPixMemFile::GetC()
{
    if (Eof())
        return -1;
    return m_pBuffer[m_Position++];
}
