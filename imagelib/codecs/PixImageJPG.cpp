#include "imagelib/codecs/PixImageJPG.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "imagelib/PixIOFile.h"
#include "imagelib/codecs/CodecBytes.h"
#include "imagelib/codecs/PixExifInfo.h"
#include "imagelib/codecs/PixJpgStream.h"

namespace {

// Option bits of the JPEG codec option word.
constexpr DWORD kEncBaseline = 0x01;
constexpr DWORD kEncArithmetic = 0x02;
constexpr DWORD kEncGrey = 0x04;
constexpr DWORD kEncOptimize = 0x08;
constexpr DWORD kEncProgressive = 0x10;
constexpr DWORD kEncSmoothing = 0x40;
constexpr DWORD kDecGrey = 0x80;
constexpr DWORD kDecQuantize = 0x100;
constexpr DWORD kDecDither = 0x200;
constexpr DWORD kDecOnePass = 0x400;
constexpr DWORD kDecNoFancy = 0x800;

// libjpeg's error manager, followed by where to jump and where to put the message.
struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char* text;
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    char buffer[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, buffer);
    std::strncpy(err->text, buffer, 255);
    err->text[255] = '\0';
    std::longjmp(err->jump, 1);
}

// Warnings and traces are counted by libjpeg but never printed.
void OutputMessage(j_common_ptr) {}

void InstallErrorManager(ErrorManager& err, char* text) {
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.output_message = OutputMessage;
    err.text = text;
}

// Resolutions beyond this have no meaning and would overflow pixels per metre.
long DpiFromDouble(double v) {
    if (!(v > 0)) return 0;
    return v >= 50000000.0 ? 50000000L : static_cast<long>(v);
}

} // namespace

// Everything that lives across the jump points: plain data only, owned by the calling frame.
struct CPixImageJPG::DecodeJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    CPixJpgStream* stream;
    bool exif;
};

struct CPixImageJPG::EncodeJob {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    CPixJpgStream* stream;
    bool grey;
};

CPixImageJPG::CPixImageJPG() : CPixImage(3), m_pExif(nullptr), m_nSmoothing(0), m_nDither(0) {
    std::memset(&m_ExifRecord, 0, sizeof(m_ExifRecord));
}

CPixImageJPG::CPixImageJPG(const CPixImageJPG& src)
    : CPixImage(src, true, true, true), m_pExif(nullptr), m_nSmoothing(src.m_nSmoothing), m_nDither(src.m_nDither) {
    std::memset(&m_ExifRecord, 0, sizeof(m_ExifRecord));
    if (src.m_pExif) {
        m_pExif = new CPixExifInfo(&m_ExifRecord);
        *m_pExif = *src.m_pExif;
    } else {
        m_ExifRecord = src.m_ExifRecord;
        m_ExifRecord.ThumbnailPointer = nullptr;
    }
}

CPixImageJPG& CPixImageJPG::operator=(const CPixImageJPG& src) {
    if (this == &src) return *this;
    CPixImage::operator=(src);
    DropExif();
    m_nSmoothing = src.m_nSmoothing;
    m_nDither = src.m_nDither;
    if (src.m_pExif) {
        m_pExif = new CPixExifInfo(&m_ExifRecord);
        *m_pExif = *src.m_pExif;
    } else {
        m_ExifRecord = src.m_ExifRecord;
        m_ExifRecord.ThumbnailPointer = nullptr;
    }
    return *this;
}

CPixImageJPG::~CPixImageJPG() {
    delete m_pExif;
    Destroy();
}

void CPixImageJPG::DropExif() {
    delete m_pExif;
    m_pExif = nullptr;
    std::memset(&m_ExifRecord, 0, sizeof(m_ExifRecord));
}

bool CPixImageJPG::DecodeExif(CPixFile* hFile) {
    // Whatever an earlier file left is dropped first, found or not.
    DropExif();
    if (!hFile) return false;
    m_pExif = new (std::nothrow) CPixExifInfo(&m_ExifRecord);
    if (!m_pExif) return false;
    const long pos = hFile->Tell();
    m_pExif->DecodeExif(hFile, CPixExifInfo::kReadExif);
    hFile->Seek(pos, 0);
    return m_ExifRecord.IsExif;
}

bool CPixImageJPG::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    const bool exif = DecodeExif(hFile);
    CPixJpgStream stream(hFile);
    if (!stream.IsValid()) {
        SetLastError("Can't allocate memory");
        return false;
    }
    DecodeJob job;
    std::memset(&job, 0, sizeof(job));
    job.stream = &stream;
    job.exif = exif;
    return RunDecompress(job);
}

// libjpeg leaves through a long jump on errors: this frame and every frame it may skip hold no
// object with a destructor; the stream and the job belong to the caller.
bool CPixImageJPG::RunDecompress(DecodeJob& job) {
    jpeg_decompress_struct* cinfo = &job.cinfo;
    InstallErrorManager(job.err, info.lastError);
    cinfo->err = &job.err.pub;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    job.stream->AttachSource(cinfo);
    jpeg_read_header(cinfo, TRUE);

    const DWORD options = GetCodecOption(3);
    if (options & kDecGrey) cinfo->out_color_space = JCS_GRAYSCALE;
    if (options & kDecQuantize) {
        cinfo->quantize_colors = TRUE;
        cinfo->desired_number_of_colors = info.jpegQuality;
    }
    if (options & kDecDither) cinfo->dither_mode = static_cast<J_DITHER_MODE>(m_nDither);
    if (options & kDecOnePass) cinfo->two_pass_quantize = FALSE;
    if (options & kDecNoFancy) cinfo->do_fancy_upsampling = FALSE;
    // Colour rows come straight out in the DIB's blue-green-red order.
    if (cinfo->out_color_space == JCS_RGB && !cinfo->quantize_colors) cinfo->out_color_space = JCS_EXT_BGR;
    cinfo->scale_num = 1;
    cinfo->scale_denom = info.jpegScale ? info.jpegScale : 1; // 0 means full size

    if (info.escape == -1) {
        jpeg_calc_output_dimensions(cinfo);
        header.biWidth = static_cast<LONG>(cinfo->output_width);
        header.biHeight = static_cast<LONG>(cinfo->output_height);
        jpeg_destroy_decompress(cinfo);
        return true;
    }

    jpeg_start_decompress(cinfo);
    const int components = cinfo->output_components;
    if (!Create(cinfo->output_width, cinfo->output_height, 8 * static_cast<DWORD>(components), 3)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }

    if (job.exif) {
        const double unit = m_ExifRecord.ResolutionUnit;
        if (m_ExifRecord.Xresolution != 0 && unit != 0) SetXDPI(DpiFromDouble(m_ExifRecord.Xresolution / unit));
        if (m_ExifRecord.Yresolution != 0 && unit != 0) SetYDPI(DpiFromDouble(m_ExifRecord.Yresolution / unit));
    } else {
        if (cinfo->density_unit == 2) {
            SetXDPI(static_cast<long>(std::floor(cinfo->X_density * 2.54 + 0.5)));
            SetYDPI(static_cast<long>(std::floor(cinfo->Y_density * 2.54 + 0.5)));
        } else {
            SetXDPI(cinfo->X_density);
            SetYDPI(cinfo->Y_density);
        }
    }

    if (cinfo->out_color_space == JCS_GRAYSCALE && !cinfo->quantize_colors) {
        SetGrayPalette();
    } else if (cinfo->quantize_colors) {
        const int n = std::min(cinfo->actual_number_of_colors, 256);
        RGBQUAD pal[256]{};
        for (int i = 0; i < n; ++i) {
            if (cinfo->out_color_components >= 3) {
                pal[i].rgbRed = cinfo->colormap[0][i];
                pal[i].rgbGreen = cinfo->colormap[1][i];
                pal[i].rgbBlue = cinfo->colormap[2][i];
            } else {
                pal[i].rgbRed = pal[i].rgbGreen = pal[i].rgbBlue = cinfo->colormap[0][i];
            }
        }
        SetPalette(pal, static_cast<DWORD>(n));
        // The palette keeps its 256 entries; only the colours made count for nearest-colour lookups.
        SetClrImportant(static_cast<DWORD>(n));
    }

    const DWORD height = cinfo->output_height;
    const DWORD width = cinfo->output_width;
    const bool cmyk = components == 4 && !cinfo->quantize_colors;
    if (cmyk) {
        // Adobe writes CMYK inverted: the samples are already 255 - ink.
        JSAMPARRAY line = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                      width * 4, 1);
        while (cinfo->output_scanline < height) {
            if (info.escape) {
                jpeg_destroy_decompress(cinfo);
                return false;
            }
            BYTE* dst = GetBits(height - 1 - cinfo->output_scanline);
            jpeg_read_scanlines(cinfo, line, 1);
            const JSAMPLE* s = line[0];
            for (DWORD x = 0; x < width; ++x, s += 4) {
                const unsigned k = s[3];
                dst[x * 3 + 0] = static_cast<BYTE>(s[2] * k / 255);
                dst[x * 3 + 1] = static_cast<BYTE>(s[1] * k / 255);
                dst[x * 3 + 2] = static_cast<BYTE>(s[0] * k / 255);
            }
        }
    } else {
        // Rows arrive top first and go straight into the DIB, from its last row down.
        JSAMPROW rows[16];
        while (cinfo->output_scanline < height) {
            if (info.escape) {
                jpeg_destroy_decompress(cinfo);
                return false;
            }
            const DWORD first = cinfo->output_scanline;
            const DWORD n = std::min<DWORD>(16, height - first);
            for (DWORD i = 0; i < n; ++i) rows[i] = GetBits(height - 1 - (first + i));
            jpeg_read_scanlines(cinfo, rows, n);
        }
    }

    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return info.escape == 0;
}

bool CPixImageJPG::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;
    // Grey output needs one 8-bit sample per pixel: only an 8-bit grey palette image gives that.
    const bool grey = header.biBitCount == 8 && IsGrayScale();
    if (IsIndexed() && !grey) {
        SetLastError("JPEG can save only RGB or GreyScale images");
        return false;
    }
    const long pos = hFile->Tell();
    CPixJpgStream stream(hFile);
    if (!stream.IsValid()) {
        SetLastError("Can't allocate memory");
        return false;
    }
    EncodeJob job;
    std::memset(&job, 0, sizeof(job));
    job.stream = &stream;
    job.grey = grey;
    if (!RunCompress(job)) return false;

    // Put the EXIF block of the decoded file back in front of the new data.
    if (m_pExif && m_ExifRecord.IsExif) {
        m_pExif->DiscardAllButExif();
        hFile->Seek(pos, 0);
        if (m_pExif->DecodeExif(hFile, CPixExifInfo::kReadAll)) {
            hFile->Seek(pos, 0);
            if (!m_pExif->EncodeExif(hFile)) {
                SetLastError(m_pExif->GetLastError());
                return false;
            }
        } else {
            hFile->Seek(0, 2);
        }
    }
    return true;
}

bool CPixImageJPG::RunCompress(EncodeJob& job) {
    jpeg_compress_struct* cinfo = &job.cinfo;
    InstallErrorManager(job.err, info.lastError);
    cinfo->err = &job.err.pub;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_compress(cinfo);
        return false;
    }
    jpeg_create_compress(cinfo);
    job.stream->AttachDestination(cinfo);
    cinfo->image_width = static_cast<JDIMENSION>(GetWidth());
    cinfo->image_height = static_cast<JDIMENSION>(GetHeight());
    if (job.grey) {
        cinfo->input_components = 1;
        cinfo->in_color_space = JCS_GRAYSCALE;
    } else {
        // DIB rows are blue-green-red: hand them over as they are.
        cinfo->input_components = 3;
        cinfo->in_color_space = JCS_EXT_BGR;
    }
    jpeg_set_defaults(cinfo);

    const DWORD options = GetCodecOption(3);
    if (options & kEncArithmetic) cinfo->arith_code = TRUE;
    if (options & kEncOptimize) cinfo->optimize_coding = TRUE;
    if (options & kEncGrey) jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
    if (options & kEncSmoothing) cinfo->smoothing_factor = std::clamp(m_nSmoothing, 0, 100);
    jpeg_set_quality(cinfo, info.jpegQuality, (options & kEncBaseline) ? TRUE : FALSE);
    if (options & kEncProgressive) jpeg_simple_progression(cinfo);

    cinfo->density_unit = 1;
    cinfo->X_density = static_cast<UINT16>(GetXDPI());
    cinfo->Y_density = static_cast<UINT16>(GetYDPI());
    jpeg_start_compress(cinfo, TRUE);

    const DWORD height = GetHeight();
    while (cinfo->next_scanline < height) {
        JSAMPROW row = GetBits(height - 1 - cinfo->next_scanline);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}
