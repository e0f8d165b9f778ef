// Load and save dispatch: picks the codec by format id (or probes for it) and moves results in.
#include <cstring>
#include <memory>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/CodecTable.h"
#include "platform/win/AtomicFileWriter.h"

namespace {

const char kUnknownDecode[] = "Decode: Unknown or wrong format";
const char kUnknownEncode[] = "Encode: Unknown format";
const char kWriteError[] = "Encode: write error";

} // namespace

bool CPixImage::EncodeSafeCheck(CPixFile* hFile)
{
    if (!hFile) {
        SetLastError("null file handler");
        return true;
    }
    if (!dib) {
        SetLastError("null image!!!");
        return true;
    }
    return false;
}

bool CPixImage::EncodeFlushed(CPixFile* hFile)
{
    if (hFile && (!hFile->Flush() || hFile->Error() != 0)) {
        SetLastError(kWriteError);
        return false;
    }
    return true;
}

bool CPixImage::Load(const char* filename, DWORD imagetype)
{
    if (!filename)
        return false;
    if (imagetype > PIXFORMAT_UNKNOWN && imagetype < PIXMAX_FORMATS) {
        CPixIOFile file;
        if (!file.Open(filename, "rb"))
            return false;
        if (Decode(&file, imagetype))
            return true;
    }
    char kept[sizeof(info.lastError)];
    std::memcpy(kept, info.lastError, sizeof(kept));

    CPixIOFile file;
    if (!file.Open(filename, "rb"))
        return false;
    if (Decode(&file, PIXFORMAT_UNKNOWN))
        return true;
    // The caller named a format: tell why that format failed, not that probing found nothing.
    if (imagetype != PIXFORMAT_UNKNOWN)
        std::memcpy(info.lastError, kept, sizeof(kept));
    return false;
}

bool CPixImage::DecodeWith(const PixCodecEntry& entry, CPixFile* hFile, DWORD decodeType)
{
    std::unique_ptr<CPixImage> codec = entry.create();
    if (!codec) {
        SetLastError("CPixImage::Create can't allocate memory");
        return false;
    }
    // The settings reach the codec; its decode takes transparency from the file alone.
    codec->CopyInfo(*this);
    if (entry.decode(*codec, hFile, decodeType))
        return Transfer(*codec);
    // Why it failed, and how many frames it found: a caller asking for a frame past them can say so.
    std::memcpy(info.lastError, codec->info.lastError, sizeof(info.lastError));
    info.numFrames = codec->info.numFrames;
    return false;
}

bool CPixImage::ProbeDecode(CPixFile* hFile)
{
    long pos = hFile->Tell();
    char kept[sizeof(info.lastError)];
    std::memcpy(kept, info.lastError, sizeof(kept));
    const int32_t keptFrames = info.numFrames;
    for (const PixCodecEntry& entry : PixCodecTable()) {
        if (DecodeWith(entry, hFile, PIXFORMAT_UNKNOWN))
            return true;
        // The failed codec's text and count are dropped; the next one starts where this one did.
        std::memcpy(info.lastError, kept, sizeof(kept));
        info.numFrames = keptFrames;
        hFile->Seek(pos, 0);
    }
    SetLastError(kUnknownDecode);
    return false;
}

bool CPixImage::Decode(CPixFile* hFile, DWORD imagetype)
{
    if (!hFile) {
        SetLastError("null file handler");
        return false;
    }
    if (imagetype >= PIXMAX_FORMATS) {
        SetLastError(kUnknownDecode);
        return false;
    }
    if (imagetype == PIXFORMAT_UNKNOWN)
        return ProbeDecode(hFile);
    const PixCodecEntry* entry = PixFindCodec(imagetype);
    if (!entry) {
        SetLastError(kUnknownDecode);
        return false;
    }
    return DecodeWith(*entry, hFile, imagetype);
}

bool CPixImage::Decode(FILE* hFile, DWORD imagetype)
{
    return PixOnFile(hFile, [&](CPixFile* f) { return Decode(f, imagetype); });
}

bool CPixImage::Decode(BYTE* buffer, DWORD size, DWORD imagetype)
{
    CPixMemFile file(buffer, size);
    return Decode(&file, imagetype);
}

template <class Run> bool CPixImage::EncodeWith(const PixCodecEntry& entry, CPixFile* hFile, Run run)
{
    std::unique_ptr<CPixImage> codec = entry.create();
    if (!codec) {
        SetLastError("CPixImage::Create can't allocate memory");
        return false;
    }
    codec->Ghost(this);
    if (!run(*codec)) {
        std::memcpy(info.lastError, codec->info.lastError, sizeof(info.lastError));
        return false;
    }
    // Data still buffered, or a write the codec did not check, must not pass as success.
    return EncodeFlushed(hFile);
}

template <class Run> bool CPixImage::EncodeToMemory(BYTE*& buffer, long& size, Run run)
{
    if (buffer) {
        SetLastError("the buffer must be empty");
        return false;
    }
    CPixMemFile file;
    if (!file.Open()) {
        SetLastError("CPixImage::Create can't allocate memory");
        return false;
    }
    if (!run(&file))
        return false;
    size = file.Size();
    buffer = file.GetBuffer(true);
    return true;
}

bool CPixImage::Encode(CPixFile* hFile, DWORD imagetype)
{
    const PixCodecEntry* entry = PixFindCodec(imagetype);
    if (!entry) {
        SetLastError(kUnknownEncode);
        return false;
    }
    return EncodeWith(*entry, hFile,
                      [&](CPixImage& codec) { return entry->encode(codec, hFile, imagetype); });
}

bool CPixImage::Encode(FILE* hFile, DWORD imagetype)
{
    return PixOnFile(hFile, [&](CPixFile* f) { return Encode(f, imagetype); });
}

bool CPixImage::Encode(BYTE*& buffer, long& size, DWORD imagetype)
{
    return EncodeToMemory(buffer, size, [&](CPixFile* file) { return Encode(file, imagetype); });
}

bool CPixImage::Encode(CPixFile* hFile, CPixImage** pImages, int pagecount, DWORD imagetype)
{
    const PixCodecEntry* entry = nullptr;
    if (imagetype == PIXFORMAT_TIF || imagetype == PIXFORMAT_GIF)
        entry = PixFindCodec(imagetype);
    if (!entry || !entry->encodePages) {
        SetLastError("Multipage Encode, Unsupported operation for this format");
        return false;
    }
    return EncodeWith(*entry, hFile,
                      [&](CPixImage& codec) { return entry->encodePages(codec, hFile, pImages, pagecount); });
}

bool CPixImage::Encode(FILE* hFile, CPixImage** pImages, int pagecount, DWORD imagetype)
{
    return PixOnFile(hFile, [&](CPixFile* f) { return Encode(f, pImages, pagecount, imagetype); });
}

bool CPixImage::Encode2RGBA(CPixFile* hFile)
{
    if (EncodeSafeCheck(hFile))
        return false;
    const long width = static_cast<long>(GetWidth());
    const long height = static_cast<long>(GetHeight());
    for (long y = 0; y < height; ++y) {
        for (long x = 0; x < width; ++x) {
            RGBQUAD c = BlindGetPixelColor(x, y);
            if (!hFile->PutC(c.rgbRed) || !hFile->PutC(c.rgbGreen) || !hFile->PutC(c.rgbBlue) ||
                !hFile->PutC(c.rgbReserved)) {
                SetLastError(kWriteError);
                return false;
            }
        }
    }
    return EncodeFlushed(hFile);
}

bool CPixImage::Encode2RGBA(BYTE*& buffer, long& size)
{
    return EncodeToMemory(buffer, size, [&](CPixFile* file) { return Encode2RGBA(file); });
}

bool CPixImage::Save(const char* filename, DWORD imagetype)
{
    if (!filename || !*filename)
        return false;

    // The user's file (a link's real file, keeping its permissions) is replaced only by a
    // complete picture.
    CAtomicFileWriter out;
    if (!out.Open(filename, CAtomicFileWriter::Existing::KeepModeFollowLink))
        return false;
    bool ok = false;
    {
        CPixIOFile file(out.File());
        ok = Encode(&file, imagetype);
    }
    if (!ok)
        return false;
    if (!out.Commit()) {
        SetLastError(kWriteError);
        return false;
    }
    return true;
}
