#include "imagelib/codecs/CodecTable.h"

// Codec headers go here, one per codec.
#include "imagelib/codecs/PixImageBMP.h"
#include "imagelib/codecs/PixImageGIF.h"
#include "imagelib/codecs/PixImageICO.h"
#include "imagelib/codecs/PixImageJ2K.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "imagelib/codecs/PixImagePCX.h"
#include "imagelib/codecs/PixImagePNG.h"
#include "imagelib/codecs/PixImageTGA.h"
#include "imagelib/codecs/PixImageTIF.h"
#include "imagelib/codecs/PixImageWBMP.h"
#include "imagelib/codecs/PixImageWMF.h"

namespace {
const std::vector<PixCodecEntry>* g_override = nullptr;
}

void PixSetCodecTable(const std::vector<PixCodecEntry>* table) { g_override = table; }

const std::vector<PixCodecEntry>& PixCodecTable()
{
    if (g_override)
        return *g_override;
    // Probe order: BMP, JPEG, ICO, GIF, PNG, TIFF, TGA, PCX, WBMP, WMF/EMF, JPEG 2000 family.
    static const std::vector<PixCodecEntry> table = {
        PixCodec<CPixImageBMP>(PIXFORMAT_BMP),
        PixCodec<CPixImageJPG>(PIXFORMAT_JPG),
        PixCodec<CPixImageICO>(PIXFORMAT_ICO),
        {PIXFORMAT_GIF, PIXFORMAT_GIF, PixCreate<CPixImageGIF>, PixDecode<CPixImageGIF>, PixEncode<CPixImageGIF>,
         [](CPixImage& c, CPixFile* f, CPixImage** pages, int n) {
             return static_cast<CPixImageGIF&>(c).Encode(f, pages, n, false); }},
        PixCodec<CPixImagePNG>(PIXFORMAT_PNG),
        {PIXFORMAT_TIF, PIXFORMAT_TIF, PixCreate<CPixImageTIF>, PixDecode<CPixImageTIF>,
         [](CPixImage& c, CPixFile* f, DWORD) { return static_cast<CPixImageTIF&>(c).Encode(f, false); },
         [](CPixImage& c, CPixFile* f, CPixImage** pages, int n) {
             return static_cast<CPixImageTIF&>(c).Encode(f, pages, n);
         }},
        PixCodec<CPixImageTGA>(PIXFORMAT_TGA),
        PixCodec<CPixImagePCX>(PIXFORMAT_PCX),
        PixCodec<CPixImageWBMP>(PIXFORMAT_WBMP),
        {PIXFORMAT_WMF, PIXFORMAT_WMF, PixCreate<CPixImageWMF>,
         [](CPixImage& c, CPixFile* f, DWORD) { return static_cast<CPixImageWMF&>(c).Decode(f, 0, 0); },
         PixEncode<CPixImageWMF>, nullptr},
        // One entry serves JP2, J2K, PGX, PNM and Sun raster (ids 11 to 15).
        {PIXFORMAT_JP2, PIXFORMAT_RAS, PixCreate<CPixImageJ2K>,
         [](CPixImage& c, CPixFile* f, DWORD t) { return static_cast<CPixImageJ2K&>(c).Decode(f, t); },
         [](CPixImage& c, CPixFile* f, DWORD t) { return static_cast<CPixImageJ2K&>(c).Encode(f, t); }, nullptr},
    };
    return table;
}

const PixCodecEntry* PixFindCodec(DWORD imagetype)
{
    if (imagetype == PIXFORMAT_UNKNOWN || imagetype >= PIXMAX_FORMATS)
        return nullptr;
    for (const PixCodecEntry& entry : PixCodecTable()) {
        if (imagetype >= entry.firstType && imagetype <= entry.lastType)
            return &entry;
    }
    return nullptr;
}
