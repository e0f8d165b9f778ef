// The codecs known to Load, Decode, Save and Encode, in the order in which an unknown format is
// probed: BMP, JPEG, ICO, GIF, PNG, TIFF, TGA, PCX, WBMP, WMF/EMF, JPEG 2000 family.
//
// Adding a codec:
//  1. The codec class derives publicly from CPixImage, has a default constructor that passes
//     its own format id to CPixImage (the JPEG 2000 family passes 0), and public members
//         bool Decode(CPixFile* hFile);
//         bool Encode(CPixFile* hFile);
//     Decode reads from the stream's current position and, on success, leaves the picture in
//     the object (the dispatch then moves it into the caller's image with Transfer); on failure
//     it returns false with the reason in lastError. Before Decode the object has received the
//     caller's information block (frame, JPEG scale, codec options, escape ...). Encode runs on
//     a ghost of the caller's image (shared pixels, nothing owned) and begins with
//     EncodeSafeCheck(hFile). Its Decode(FILE*)/Encode(FILE*) forms are one line each through
//     PixOnFile (imagelib/PixIOFile.h).
//  2. In CodecTable.cpp: include the codec's header and put ONE line in the table at its place
//     in the probe order, e.g.
//         PixCodec<CPixImageBMP>(PIXFORMAT_BMP),
//     Codecs whose calls differ fill the entry themselves with the helpers below, e.g.
//         {PIXFORMAT_TIF, PIXFORMAT_TIF, PixCreate<CPixImageTIF>, PixDecode<CPixImageTIF>,
//          [](CPixImage& c, CPixFile* f, DWORD) { return static_cast<CPixImageTIF&>(c).Encode(f, false); },
//          [](CPixImage& c, CPixFile* f, CPixImage** pages, int n) {
//              return static_cast<CPixImageTIF&>(c).Encode(f, pages, n); }},
//         {PIXFORMAT_WMF, PIXFORMAT_WMF, PixCreate<CPixImageWMF>,
//          [](CPixImage& c, CPixFile* f, DWORD) { return static_cast<CPixImageWMF&>(c).Decode(f, 0, 0); },
//          PixEncode<CPixImageWMF>, nullptr},
//         {PIXFORMAT_JP2, PIXFORMAT_RAS, PixCreate<CPixImageJAS>,     // one entry for ids 11..15
//          [](CPixImage& c, CPixFile* f, DWORD t) { return static_cast<CPixImageJAS&>(c).Decode(f, t); },
//          [](CPixImage& c, CPixFile* f, DWORD t) { return static_cast<CPixImageJAS&>(c).Encode(f, t); },
//          nullptr},
//     The decode call gets the requested format id, or 0 while probing.
// A codec that is absent is simply not listed: its format then loads and saves as unknown.
#pragma once

#include <memory>
#include <vector>

#include "imagelib/PixImage.h"

struct PixCodecEntry {
    DWORD firstType; // format ids served by this codec: firstType..lastType
    DWORD lastType;
    std::unique_ptr<CPixImage> (*create)();
    bool (*decode)(CPixImage& codec, CPixFile* hFile, DWORD imagetype);
    bool (*encode)(CPixImage& codec, CPixFile* hFile, DWORD imagetype);
    // Multi-page encode (GIF, TIFF); null when the codec has none.
    bool (*encodePages)(CPixImage& codec, CPixFile* hFile, CPixImage** pImages, int pagecount);
};

template <class Codec>
std::unique_ptr<CPixImage> PixCreate()
{
    return std::make_unique<Codec>();
}

template <class Codec>
bool PixDecode(CPixImage& codec, CPixFile* hFile, DWORD)
{
    return static_cast<Codec&>(codec).Decode(hFile);
}

template <class Codec>
bool PixEncode(CPixImage& codec, CPixFile* hFile, DWORD)
{
    return static_cast<Codec&>(codec).Encode(hFile);
}

// The entry of a codec with the plain Decode(CPixFile*) and Encode(CPixFile*).
template <class Codec>
PixCodecEntry PixCodec(DWORD imagetype)
{
    return PixCodecEntry{imagetype, imagetype, &PixCreate<Codec>, &PixDecode<Codec>, &PixEncode<Codec>, nullptr};
}

// All codecs, in probe order.
const std::vector<PixCodecEntry>& PixCodecTable();
// The codec serving a format id, or null.
const PixCodecEntry* PixFindCodec(DWORD imagetype);
// Replaces the table (tests drive the dispatch with codecs of their own); null restores it.
void PixSetCodecTable(const std::vector<PixCodecEntry>* table);
