// CPixFile over a C runtime FILE stream.
#pragma once

#include <cstdio>

#include "imagelib/PixFile.h"

class CPixIOFile : public CPixFile {
public:
    // A stream given here belongs to the caller and is never closed by this object.
    explicit CPixIOFile(FILE* fp = nullptr);
    ~CPixIOFile() override;
    CPixIOFile(const CPixIOFile&) = default;
    CPixIOFile& operator=(const CPixIOFile&) = default;

    // Opens a file of its own (closed by Close and the destructor); false when one is held.
    bool Open(const char* filename, const char* mode);

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

    FILE* GetStream() const { return m_fp; }

protected:
    FILE* m_fp;
    bool m_bCloseFile;
};

// Runs call(CPixFile*) on a FILE stream of the caller, which stays open: the FILE form of every
// codec call. A null FILE reaches the call as a null stream, which every codec refuses.
template <class Call>
bool PixOnFile(FILE* fp, Call&& call)
{
    if (!fp)
        return call(static_cast<CPixFile*>(nullptr));
    CPixIOFile file(fp);
    return call(&file);
}
