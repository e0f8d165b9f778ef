// pixconvert: converts a picture between the formats of the image library, or describes it.
//   pixconvert IN OUT [--type ID] [--quality Q] [--op NAME [ARG...]]...
//   pixconvert --info IN
//   pixconvert --ops
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "imagelib/PixImage.h"
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
    std::fprintf(stderr, "usage: pixconvert IN OUT [--type ID] [--quality Q] [--op NAME [ARG...]]...\n"
                         "       pixconvert --info IN\n"
                         "       pixconvert --ops\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--ops") == 0) {
        ListPixOps(stdout);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--info") == 0) {
        CPixImage img;
        if (!img.Load(argv[2], PIXFORMAT_UNKNOWN)) {
            std::fprintf(stderr, "pixconvert: %s: %s\n", argv[2], img.GetLastError());
            return 1;
        }
        std::printf("width %u\nheight %u\nbpp %u\ntype %u\nalpha %s\n", img.GetWidth(), img.GetHeight(),
                    static_cast<unsigned>(img.GetBpp()), img.GetType(), img.AlphaIsValid() ? "yes" : "no");
        return 0;
    }

    const char* in = nullptr;
    const char* out = nullptr;
    long type = -1;
    long quality = -1;
    std::vector<OpCall> ops;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--type") == 0 && i + 1 < argc) {
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
    if (!in || !out)
        return Usage();
    if (type < 0)
        type = static_cast<long>(TypeFromExtension(out));
    if (type == PIXFORMAT_UNKNOWN) {
        std::fprintf(stderr, "pixconvert: %s: unknown output format; name it with --type\n", out);
        return 2;
    }

    CPixImage img;
    if (!img.Load(in, PIXFORMAT_UNKNOWN)) {
        std::fprintf(stderr, "pixconvert: %s: %s\n", in, *img.GetLastError() ? img.GetLastError() : "cannot open");
        return 1;
    }
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
