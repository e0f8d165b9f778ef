// libjpeg source and destination manager over a CPixFile, with a 4096-byte buffer.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

#include "imagelib/PixFile.h"

class CPixJpgStream {
public:
    static constexpr size_t kBufferSize = 4096;

    // The buffer is allocated here; check IsValid before use.
    explicit CPixJpgStream(CPixFile* file);
    CPixJpgStream(const CPixJpgStream&) = delete;
    CPixJpgStream& operator=(const CPixJpgStream&) = delete;

    bool IsValid() const { return m_buffer != nullptr; }
    // Installs this stream as the decompressor's source or the compressor's destination; the
    // callbacks find it again through client_data.
    void AttachSource(j_decompress_ptr cinfo);
    void AttachDestination(j_compress_ptr cinfo);

private:
    static void InitSource(j_decompress_ptr cinfo);
    static boolean FillInputBuffer(j_decompress_ptr cinfo);
    static void SkipInputData(j_decompress_ptr cinfo, long count);
    static void TermSource(j_decompress_ptr cinfo);
    static void InitDestination(j_compress_ptr cinfo);
    static boolean EmptyOutputBuffer(j_compress_ptr cinfo);
    static void TermDestination(j_compress_ptr cinfo);

    jpeg_source_mgr m_src;
    jpeg_destination_mgr m_dest;
    CPixFile* m_file;
    std::unique_ptr<JOCTET[]> m_buffer;
    bool m_startOfFile;
};
