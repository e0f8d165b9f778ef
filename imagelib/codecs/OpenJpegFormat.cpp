#include "imagelib/codecs/OpenJpegFormat.h"

#include <openjpeg.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "imagelib/PixFile.h"

namespace {

constexpr const char* kCorrupt = "error: cannot load image data";

// The stream as OpenJPEG sees it: offsets count from where the stream stood when it was opened.
struct Client {
    CPixFile* file;
    int64_t base;
};

OPJ_SIZE_T ReadFn(void* buffer, OPJ_SIZE_T n, void* user) {
    const size_t got = static_cast<Client*>(user)->file->Read(buffer, 1, n);
    return got == 0 ? static_cast<OPJ_SIZE_T>(-1) : got;
}

OPJ_SIZE_T WriteFn(void* buffer, OPJ_SIZE_T n, void* user) {
    return static_cast<Client*>(user)->file->Write(buffer, 1, n);
}

OPJ_BOOL SeekFn(OPJ_OFF_T offset, void* user) {
    Client& c = *static_cast<Client*>(user);
    if (offset < 0 || offset > LONG_MAX - c.base) return OPJ_FALSE;
    return c.file->Seek(static_cast<long>(c.base + offset), SEEK_SET) ? OPJ_TRUE : OPJ_FALSE;
}

OPJ_OFF_T SkipFn(OPJ_OFF_T n, void* user) {
    Client& c = *static_cast<Client*>(user);
    const int64_t pos = c.file->Tell();
    if (pos < 0 || (n > 0 && pos > LONG_MAX - n) || pos + n < c.base) return -1;
    return c.file->Seek(static_cast<long>(pos + n), SEEK_SET) ? n : -1;
}

void Quiet(const char*, void*) {}

struct CodecDeleter {
    void operator()(opj_codec_t* c) const { opj_destroy_codec(c); }
};
struct StreamDeleter {
    void operator()(opj_stream_t* s) const { opj_stream_destroy(s); }
};
struct ImageDeleter {
    void operator()(opj_image_t* i) const { opj_image_destroy(i); }
};
using CodecPtr = std::unique_ptr<opj_codec_t, CodecDeleter>;
using StreamPtr = std::unique_ptr<opj_stream_t, StreamDeleter>;
using ImagePtr = std::unique_ptr<opj_image_t, ImageDeleter>;

StreamPtr MakeStream(Client& client, bool input) {
    StreamPtr s(opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE));
    if (!s) return s;
    opj_stream_set_user_data(s.get(), &client, nullptr);
    if (input) {
        const int64_t size = client.file->Size();
        opj_stream_set_user_data_length(s.get(), static_cast<OPJ_UINT64>(size > client.base ? size - client.base : 0));
        opj_stream_set_read_function(s.get(), ReadFn);
    } else {
        opj_stream_set_write_function(s.get(), WriteFn);
    }
    opj_stream_set_skip_function(s.get(), SkipFn);
    opj_stream_set_seek_function(s.get(), SeekFn);
    return s;
}

void Silence(opj_codec_t* codec) {
    opj_set_info_handler(codec, Quiet, nullptr);
    opj_set_warning_handler(codec, Quiet, nullptr);
    opj_set_error_handler(codec, Quiet, nullptr);
}

} // namespace

namespace openjpeg {

bool Read(CPixFile& file, bool jp2, J2kImage& image, std::string& error, bool headerOnly) {
    error = kCorrupt;
    Client client{&file, std::max<int64_t>(file.Tell(), 0)};
    CodecPtr codec(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    StreamPtr stream = MakeStream(client, true);
    if (!codec || !stream) return false;
    Silence(codec.get());
    opj_dparameters_t params;
    opj_set_default_decoder_parameters(&params);
    if (!opj_setup_decoder(codec.get(), &params)) return false;
    opj_image_t* raw = nullptr;
    if (!opj_read_header(stream.get(), codec.get(), &raw)) return false;
    ImagePtr img(raw);
    if (!img) return false;
    // Sizes come from the header: check them before anything is decoded.
    const uint64_t w = img->x1 > img->x0 ? img->x1 - img->x0 : 0, h = img->y1 > img->y0 ? img->y1 - img->y0 : 0;
    if (img->numcomps == 0 || w == 0 || h == 0) return false;
    if (img->numcomps > 64) {
        error = "error: too much components";
        return false;
    }
    uint64_t samples = 0;
    for (OPJ_UINT32 i = 0; i < img->numcomps; ++i) {
        const opj_image_comp_t& c = img->comps[i];
        if (c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > 31) return false;
        samples += ((w + c.dx - 1) / c.dx) * ((h + c.dy - 1) / c.dy);
    }
    if (samples > kJ2kMaxSamples) {
        error = "Can't allocate memory";
        return false;
    }
    image = J2kImage();
    image.width = static_cast<uint32_t>(w);
    image.height = static_cast<uint32_t>(h);
    if (headerOnly) return true;
    if (!opj_decode(codec.get(), stream.get(), img.get()) || !opj_end_decompress(codec.get(), stream.get())) return false;

    switch (img->color_space) {
    case OPJ_CLRSPC_SRGB: image.colour = J2kColour::Rgb; break;
    case OPJ_CLRSPC_GRAY: image.colour = J2kColour::Grey; break;
    case OPJ_CLRSPC_SYCC: case OPJ_CLRSPC_EYCC: image.colour = J2kColour::Ycc; break;
    default: image.colour = J2kColour::Unknown; break;
    }
    image.comps.resize(img->numcomps);
    for (OPJ_UINT32 i = 0; i < img->numcomps; ++i) {
        const opj_image_comp_t& src = img->comps[i];
        J2kComponent& dst = image.comps[i];
        if (!src.data || src.w == 0 || src.h == 0) return false;
        dst.dx = src.dx;
        dst.dy = src.dy;
        dst.prec = src.prec;
        dst.sgnd = src.sgnd != 0;
        dst.maxval = static_cast<uint32_t>((uint64_t{1} << src.prec) - 1);
        dst.alpha = src.alpha != 0;
        if (!J2kAllocate(dst, src.w, src.h, error)) return false;
        std::copy(src.data, src.data + dst.data.size(), dst.data.begin());
    }
    return true;
}

bool Write(CPixFile& file, bool jp2, const J2kImage& image, int quality, std::string& error) {
    error = "error: cannot encode image\n";
    const OPJ_UINT32 n = static_cast<OPJ_UINT32>(image.comps.size());
    if (n != 1 && n != 3) return false;
    std::vector<opj_image_cmptparm_t> parms(n);
    for (opj_image_cmptparm_t& p : parms) {
        p = opj_image_cmptparm_t();
        p.dx = p.dy = 1;
        p.w = image.width;
        p.h = image.height;
        p.prec = 8;
        p.sgnd = 0;
    }
    ImagePtr img(opj_image_create(n, parms.data(), n == 1 ? OPJ_CLRSPC_GRAY : OPJ_CLRSPC_SRGB));
    if (!img) return false;
    img->x0 = img->y0 = 0;
    img->x1 = image.width;
    img->y1 = image.height;
    for (OPJ_UINT32 i = 0; i < n; ++i)
        std::copy(image.comps[i].data.begin(), image.comps[i].data.end(), img->comps[i].data);

    opj_cparameters_t params;
    opj_set_default_encoder_parameters(&params);
    params.tcp_numlayers = 1;
    params.cp_disto_alloc = 1;
    quality = std::clamp(quality, 1, 100);
    if (quality >= 100) {
        // Everything kept: the reversible transform and no rate limit.
        params.irreversible = 0;
        params.tcp_rates[0] = 0;
    } else {
        // The kept share of the uncompressed size is quality / 100, a compression ratio of 100 / quality.
        params.irreversible = 1;
        params.tcp_rates[0] = 100.0f / static_cast<float>(quality);
    }
    params.tcp_mct = n == 3 ? 1 : 0;
    // Small pictures take fewer resolution levels than the default.
    uint32_t side = std::min(image.width, image.height);
    int levels = 1;
    while (levels < 6 && (side >> levels) >= 1) ++levels;
    params.numresolution = std::max(1, levels - 1);

    CodecPtr codec(opj_create_compress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K));
    Client client{&file, std::max<int64_t>(file.Tell(), 0)};
    StreamPtr stream = MakeStream(client, false);
    if (!codec || !stream) return false;
    Silence(codec.get());
    if (!opj_setup_encoder(codec.get(), &params, img.get())) return false;
    return opj_start_compress(codec.get(), img.get(), stream.get()) && opj_encode(codec.get(), stream.get()) &&
           opj_end_compress(codec.get(), stream.get());
}

} // namespace openjpeg
