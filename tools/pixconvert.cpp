// pixconvert: converts a picture between the formats of the image library, or describes it.
//   pixconvert IN OUT [--frame N] [--type ID] [--quality Q] [--op NAME [ARG...]]...
//   pixconvert --info IN [--frame N]
//   pixconvert --ops
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <strings.h>
#include <vector>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"
#include "imagelib/codecs/PixImageJ2K.h"
#include "tools/ops/PixOps.h"

namespace {

struct ExtensionType {
    const char* ext;
    DWORD type;
};

const ExtensionType kExtensions[] = {
    {"bmp", PIXFORMAT_BMP}, {"dib", PIXFORMAT_BMP},  {"gif", PIXFORMAT_GIF},  {"jpg", PIXFORMAT_JPG},
    {"jpeg", PIXFORMAT_JPG}, {"jpe", PIXFORMAT_JPG}, {"png", PIXFORMAT_PNG},  {"ico", PIXFORMAT_ICO},
    {"cur", PIXFORMAT_ICO}, {"tif", PIXFORMAT_TIF},  {"tiff", PIXFORMAT_TIF}, {"tga", PIXFORMAT_TGA},
    {"pcx", PIXFORMAT_PCX}, {"wbmp", PIXFORMAT_WBMP}, {"wmf", PIXFORMAT_WMF}, {"emf", PIXFORMAT_WMF},
    {"jp2", PIXFORMAT_JP2}, {"jpc", PIXFORMAT_JPC},  {"j2k", PIXFORMAT_JPC},  {"pgx", PIXFORMAT_PGX},
    {"pnm", PIXFORMAT_PNM}, {"pbm", PIXFORMAT_PNM},  {"pgm", PIXFORMAT_PNM},  {"ppm", PIXFORMAT_PNM},
    {"ras", PIXFORMAT_RAS},
};

DWORD TypeFromExtension(const std::string& path)
{
    std::string::size_type dot = path.rfind('.');
    std::string::size_type slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return PIXFORMAT_UNKNOWN;
    const char* ext = path.c_str() + dot + 1;
    for (const ExtensionType& e : kExtensions)
        if (strcasecmp(e.ext, ext) == 0)
            return e.type;
    return PIXFORMAT_UNKNOWN;
}

// The format whose signature starts the file, or 0.
DWORD TypeFromSignature(const char* path)
{
    CPixIOFile file;
    if (!file.Open(path, "rb"))
        return PIXFORMAT_UNKNOWN;
    if (DWORD family = CPixImageJ2K::Detect(&file))
        return family;
    uint8_t s[44] = {};
    const size_t got = file.Read(s, 1, sizeof(s));
    auto starts = [&](std::initializer_list<uint8_t> sig) {
        return got >= sig.size() && std::equal(sig.begin(), sig.end(), s);
    };
    if (starts({'B', 'M'}))
        return PIXFORMAT_BMP;
    if (starts({0xFF, 0xD8, 0xFF}))
        return PIXFORMAT_JPG;
    if (starts({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}))
        return PIXFORMAT_PNG;
    if (starts({'G', 'I', 'F', '8'}))
        return PIXFORMAT_GIF;
    if (starts({'I', 'I', 42, 0}) || starts({'M', 'M', 0, 42}))
        return PIXFORMAT_TIF;
    // An uncompressed TGA without colour map starts 0 0 2 0 as well, but counts no icons.
    if ((starts({0, 0, 1, 0}) || starts({0, 0, 2, 0})) && got >= 6 && (s[4] | s[5]) != 0)
        return PIXFORMAT_ICO;
    if (got >= 3 && s[0] == 10 && s[1] <= 5 && s[2] == 1)
        return PIXFORMAT_PCX;
    if (starts({0xD7, 0xCD, 0xC6, 0x9A}) || starts({1, 0, 9, 0}) || starts({2, 0, 9, 0}) ||
        (starts({1, 0, 0, 0}) && got >= 44 && std::memcmp(s + 40, " EMF", 4) == 0))
        return PIXFORMAT_WMF;
    return PIXFORMAT_UNKNOWN;
}

// The format to load a file as: the one its signature names, or for formats that have none the
// one its name names; 0 leaves it to the library's probing. A named format that fails keeps the
// codec's own reason, which tells more than that no format fits.
DWORD LoadType(const char* path)
{
    if (DWORD type = TypeFromSignature(path))
        return type;
    const DWORD named = TypeFromExtension(path);
    return named == PIXFORMAT_TGA || named == PIXFORMAT_WBMP ? named : PIXFORMAT_UNKNOWN;
}

bool ParseNumber(const char* text, long low, long high, long& out)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high)
        return false;
    out = v;
    return true;
}

struct OpCall {
    std::string name;
    std::vector<std::string> args;
};

int Usage()
{
    std::fprintf(stderr, "usage: pixconvert IN OUT [--frame N] [--type ID] [--quality Q] [--op NAME [ARG...]]...\n"
                         "       pixconvert --info IN [--frame N]\n"
                         "       pixconvert --ops\n");
    return 2;
}

// Decoders of single pictures leave the count at 0; a user counts 1.
long FrameCount(const CPixImage& img)
{
    return std::max(1L, img.GetNumFrames());
}

// Loads frame, page or icon entry `frame` of the file; false after saying why on stderr.
bool LoadFrame(CPixImage& img, const char* path, long frame)
{
    const DWORD type = LoadType(path);
    img.SetFrame(frame);
    const bool loaded = img.Load(path, type);
    // A failed decode still tells the frames it found, when it got that far.
    long count = loaded ? FrameCount(img) : img.GetNumFrames();
    std::string why = img.GetLastError();
    if (!loaded && count == 0 && frame > 0) {
        // A frame past the end fails the decoders alike; the first frame tells the count, or
        // why the file cannot be read at all.
        CPixImage first;
        if (first.Load(path, type))
            count = FrameCount(first);
        else if (why.empty())
            why = first.GetLastError();
    }
    if (count > 0 && frame >= count) {
        std::fprintf(stderr, "pixconvert: %s: no frame %ld; frames run from 0 to %ld\n", path, frame, count - 1);
        return false;
    }
    if (!loaded)
        std::fprintf(stderr, "pixconvert: %s: %s\n", path, why.empty() ? "cannot open" : why.c_str());
    return loaded;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--ops") == 0) {
        ListPixOps(stdout);
        return 0;
    }

    const char* in = nullptr;
    const char* out = nullptr;
    bool info = false;
    long frame = 0;
    long type = -1;
    long quality = -1;
    std::vector<OpCall> ops;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--info") == 0) {
            info = true;
        } else if (std::strcmp(argv[i], "--frame") == 0 && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 0, INT32_MAX, frame)) {
                std::fprintf(stderr, "pixconvert: --frame wants a number from 0, not \"%s\"\n", argv[i]);
                return 2;
            }
        } else if (std::strcmp(argv[i], "--type") == 0 && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 1, PIXMAX_FORMATS - 1, type))
                return Usage();
        } else if (std::strcmp(argv[i], "--quality") == 0 && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 1, 100, quality))
                return Usage();
        } else if (std::strcmp(argv[i], "--op") == 0 && i + 1 < argc) {
            // The arguments run to the next option; negative numbers have a single dash.
            OpCall call{argv[++i], {}};
            while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0)
                call.args.push_back(argv[++i]);
            ops.push_back(call);
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            return Usage();
        } else if (!in) {
            in = argv[i];
        } else if (!out) {
            out = argv[i];
        } else {
            return Usage();
        }
    }
    if (info) {
        if (!in || out || type >= 0 || quality >= 0 || !ops.empty())
            return Usage();
        CPixImage img;
        if (!LoadFrame(img, in, frame))
            return 1;
        std::printf("width %u\nheight %u\nbpp %u\ntype %u\nalpha %s\nframes %ld\n", img.GetWidth(), img.GetHeight(),
                    static_cast<unsigned>(img.GetBpp()), img.GetType(), img.AlphaIsValid() ? "yes" : "no",
                    FrameCount(img));
        return 0;
    }
    if (!in || !out)
        return Usage();
    if (type < 0)
        type = static_cast<long>(TypeFromExtension(out));
    if (type == PIXFORMAT_UNKNOWN) {
        std::fprintf(stderr, "pixconvert: %s: unknown output format; name it with --type\n", out);
        return 2;
    }

    CPixImage img;
    if (!LoadFrame(img, in, frame))
        return 1;
    for (const OpCall& call : ops) {
        std::string error;
        if (!RunPixOp(img, call.name, call.args, error)) {
            std::fprintf(stderr, "pixconvert: %s\n", error.c_str());
            return 1;
        }
    }
    if (quality > 0)
        img.SetJpegQuality(static_cast<BYTE>(quality));
    if (!img.Save(out, static_cast<DWORD>(type))) {
        std::fprintf(stderr, "pixconvert: %s: %s\n", out, *img.GetLastError() ? img.GetLastError() : "cannot write");
        return 1;
    }
    return 0;
}
