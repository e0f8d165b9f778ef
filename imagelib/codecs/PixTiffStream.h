// A libtiff handle over one of the image library's streams. libtiff reads and writes only through
// the client procedures here, relative to where the stream stood when the handle was opened, so a
// TIFF embedded after other data is read and written in place. Messages are dropped per handle
// (the codec reports its own texts), and allocations are capped so a hostile file cannot ask for
// gigabytes. Closing the handle leaves the stream open: whoever made the stream closes it.
#pragma once

#include <cstdint>
#include <memory>

#include <tiffio.h>

class CPixFile;

class CPixTiffStream {
public:
    // Largest single allocation libtiff may make for one handle.
    static constexpr int64_t kMaxSingleAlloc = int64_t{1} << 31;

    // Null when the stream is null or libtiff refuses it (not a TIFF, bad header, ...).
    static std::unique_ptr<CPixTiffStream> Open(CPixFile* file, const char* mode, const char* name = "TIFF IMAGE");
    ~CPixTiffStream();
    CPixTiffStream(const CPixTiffStream&) = delete;
    CPixTiffStream& operator=(const CPixTiffStream&) = delete;

    TIFF* Handle() const { return m_tif; }
    // Closes the handle now (flushing what a writer holds); false when libtiff could not finish.
    bool Close();

    // Client procedures, public for tests: the client handle is a CPixTiffStream.
    static tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t size);
    static tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t size);
    static toff_t SeekProc(thandle_t h, toff_t off, int whence);
    static int CloseProc(thandle_t h);
    static toff_t SizeProc(thandle_t h);

    // A handle-less client over a stream, for driving the procedures directly.
    explicit CPixTiffStream(CPixFile* file);

private:
    CPixFile* m_file;
    int64_t m_base; // stream position of the TIFF's first byte
    TIFF* m_tif = nullptr;
};
