#include "imagelib/codecs/PixTiffStream.h"

#include <climits>
#include <cstdarg>
#include <fcntl.h>

#include "imagelib/PixFile.h"

namespace {

// libtiff's messages are not ours to print: returning 1 keeps the process-wide handlers silent too.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

CPixTiffStream* Client(thandle_t h) { return static_cast<CPixTiffStream*>(static_cast<void*>(h)); }

int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* o) const { TIFFOpenOptionsFree(o); }
};

} // namespace

CPixTiffStream::CPixTiffStream(CPixFile* file) : m_file(file), m_base(file ? file->Tell() : 0) {
    if (m_base < 0) m_base = 0;
}

CPixTiffStream::~CPixTiffStream() { Close(); }

std::unique_ptr<CPixTiffStream> CPixTiffStream::Open(CPixFile* file, const char* mode, const char* name) {
    if (!file) return nullptr;
    std::unique_ptr<CPixTiffStream> stream(new CPixTiffStream(file));
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxSingleAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
    stream->m_tif = TIFFClientOpenExt(name, mode, static_cast<thandle_t>(static_cast<void*>(stream.get())), ReadProc,
                                      WriteProc, SeekProc, CloseProc, SizeProc, MapProc, UnmapProc, options.get());
    if (!stream->m_tif) return nullptr;
    return stream;
}

bool CPixTiffStream::Close() {
    if (!m_tif) return true;
    TIFF* tif = m_tif;
    m_tif = nullptr;
    // A writer flushes its last directory here; a failed write shows up as a stream error.
    const bool writing = TIFFGetMode(tif) != O_RDONLY;
    const int flushed = writing ? TIFFFlush(tif) : 1;
    TIFFClose(tif);
    return flushed == 1;
}

tmsize_t CPixTiffStream::ReadProc(thandle_t h, void* buf, tmsize_t size) {
    CPixTiffStream* s = Client(h);
    if (!s || !s->m_file || size < 0) return 0;
    return static_cast<tmsize_t>(s->m_file->Read(buf, 1, static_cast<size_t>(size)));
}

tmsize_t CPixTiffStream::WriteProc(thandle_t h, void* buf, tmsize_t size) {
    CPixTiffStream* s = Client(h);
    if (!s || !s->m_file || size < 0) return 0;
    return static_cast<tmsize_t>(s->m_file->Write(buf, 1, static_cast<size_t>(size)));
}

// Offsets are relative to the TIFF's first byte. Offset -1 and positions a stream cannot hold are
// refused without moving; the result is the position actually reached.
toff_t CPixTiffStream::SeekProc(thandle_t h, toff_t off, int whence) {
    const toff_t fail = static_cast<toff_t>(-1);
    CPixTiffStream* s = Client(h);
    if (!s || !s->m_file || off == fail || off == 0xFFFFFFFFu) return fail;
    CPixFile& f = *s->m_file;
    // Offsets of whence 1 and 2 come from signed values.
    const int64_t delta = static_cast<int64_t>(off);
    int64_t from = 0;
    switch (whence) {
    case SEEK_SET:
        if (off > static_cast<toff_t>(LONG_MAX)) return fail;
        from = s->m_base;
        break;
    case SEEK_CUR: from = f.Tell(); break;
    case SEEK_END: from = f.Size(); break;
    default: return fail;
    }
    if (from < 0) return fail;
    if ((delta > 0 && from > LONG_MAX - delta) || (delta < 0 && from + delta < s->m_base)) return fail;
    const int64_t target = from + delta;
    if (target > LONG_MAX || !f.Seek(static_cast<long>(target), SEEK_SET)) return fail;
    const int64_t now = f.Tell();
    return now < s->m_base ? fail : static_cast<toff_t>(now - s->m_base);
}

// The stream belongs to whoever made it.
int CPixTiffStream::CloseProc(thandle_t) { return 0; }

toff_t CPixTiffStream::SizeProc(thandle_t h) {
    CPixTiffStream* s = Client(h);
    if (!s || !s->m_file) return 0;
    const int64_t size = s->m_file->Size();
    return size > s->m_base ? static_cast<toff_t>(size - s->m_base) : 0;
}
