#include "imagelib/codecs/PixJpgStream.h"

#include <cstring>
#include <new>

#include <jerror.h>

// These callbacks may leave through libjpeg's error exit (a long jump): they hold no object with a
// destructor.

CPixJpgStream::CPixJpgStream(CPixFile* file)
    : m_src{}, m_dest{}, m_file(file), m_buffer(new (std::nothrow) JOCTET[kBufferSize]), m_startOfFile(false) {}

void CPixJpgStream::AttachSource(j_decompress_ptr cinfo) {
    m_src.init_source = InitSource;
    m_src.fill_input_buffer = FillInputBuffer;
    m_src.skip_input_data = SkipInputData;
    m_src.resync_to_restart = jpeg_resync_to_restart;
    m_src.term_source = TermSource;
    m_src.bytes_in_buffer = 0;
    m_src.next_input_byte = nullptr;
    cinfo->client_data = this;
    cinfo->src = &m_src;
}

void CPixJpgStream::AttachDestination(j_compress_ptr cinfo) {
    m_dest.init_destination = InitDestination;
    m_dest.empty_output_buffer = EmptyOutputBuffer;
    m_dest.term_destination = TermDestination;
    cinfo->client_data = this;
    cinfo->dest = &m_dest;
}

void CPixJpgStream::InitSource(j_decompress_ptr cinfo) {
    static_cast<CPixJpgStream*>(cinfo->client_data)->m_startOfFile = true;
}

boolean CPixJpgStream::FillInputBuffer(j_decompress_ptr cinfo) {
    auto* self = static_cast<CPixJpgStream*>(cinfo->client_data);
    size_t n = self->m_file->Read(self->m_buffer.get(), 1, kBufferSize);
    if (n == 0) {
        if (self->m_startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // A truncated file ends with an inserted end-of-image marker.
        self->m_buffer[0] = 0xFF;
        self->m_buffer[1] = JPEG_EOI;
        n = 2;
    }
    self->m_src.next_input_byte = self->m_buffer.get();
    self->m_src.bytes_in_buffer = n;
    self->m_startOfFile = false;
    return TRUE;
}

void CPixJpgStream::SkipInputData(j_decompress_ptr cinfo, long count) {
    auto* self = static_cast<CPixJpgStream*>(cinfo->client_data);
    if (count <= 0) return;
    while (static_cast<size_t>(count) > self->m_src.bytes_in_buffer) {
        count -= static_cast<long>(self->m_src.bytes_in_buffer);
        FillInputBuffer(cinfo);
    }
    self->m_src.next_input_byte += count;
    self->m_src.bytes_in_buffer -= static_cast<size_t>(count);
}

void CPixJpgStream::TermSource(j_decompress_ptr) {}

void CPixJpgStream::InitDestination(j_compress_ptr cinfo) {
    auto* self = static_cast<CPixJpgStream*>(cinfo->client_data);
    self->m_dest.next_output_byte = self->m_buffer.get();
    self->m_dest.free_in_buffer = kBufferSize;
}

boolean CPixJpgStream::EmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* self = static_cast<CPixJpgStream*>(cinfo->client_data);
    if (self->m_file->Write(self->m_buffer.get(), 1, kBufferSize) != kBufferSize) ERREXIT(cinfo, JERR_FILE_WRITE);
    self->m_dest.next_output_byte = self->m_buffer.get();
    self->m_dest.free_in_buffer = kBufferSize;
    return TRUE;
}

void CPixJpgStream::TermDestination(j_compress_ptr cinfo) {
    auto* self = static_cast<CPixJpgStream*>(cinfo->client_data);
    const size_t count = kBufferSize - self->m_dest.free_in_buffer;
    if (count > 0 && self->m_file->Write(self->m_buffer.get(), 1, count) != count) ERREXIT(cinfo, JERR_FILE_WRITE);
    self->m_file->Flush();
    if (self->m_file->Error()) ERREXIT(cinfo, JERR_FILE_WRITE);
}
