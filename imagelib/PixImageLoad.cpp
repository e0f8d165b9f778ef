// Load and save dispatch: picks the codec by format id (or probes for it) and moves results in.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "imagelib/PixIOFile.h"
#include "imagelib/PixImage.h"
#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/CodecTable.h"

namespace {

const char kUnknownDecode[] = "Decode: Unknown or wrong format";
const char kUnknownEncode[] = "Encode: Unknown format";
const char kWriteError[] = "Encode: write error";

// The process umask without changing it (umask() itself is not thread-safe to query).
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 022;
}

// Closes a FILE and removes its path unless released: a failed save leaves no temporary behind.
class TempFileGuard {
public:
    TempFileGuard(FILE* fp, std::string path) : m_fp(fp), m_path(std::move(path)) {}
    ~TempFileGuard()
    {
        if (m_fp)
            std::fclose(m_fp);
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    FILE* File() const { return m_fp; }
    // Closes the stream; false when buffered data could not be written.
    bool Close()
    {
        FILE* fp = m_fp;
        m_fp = nullptr;
        bool ok = std::fflush(fp) == 0 && std::ferror(fp) == 0;
        ok = (::fsync(fileno(fp)) == 0 || errno == EINVAL || errno == EROFS) && ok;
        ok = std::fclose(fp) == 0 && ok;
        return ok;
    }
    void Keep() { m_path.clear(); }

private:
    FILE* m_fp;
    std::string m_path;
};

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
    codec->CopyInfo(*this);
    if (entry.decode(*codec, hFile, decodeType))
        return Transfer(*codec);
    std::memcpy(info.lastError, codec->info.lastError, sizeof(info.lastError));
    return false;
}

bool CPixImage::ProbeDecode(CPixFile* hFile)
{
    long pos = hFile->Tell();
    char kept[sizeof(info.lastError)];
    std::memcpy(kept, info.lastError, sizeof(kept));
    for (const PixCodecEntry& entry : PixCodecTable()) {
        if (DecodeWith(entry, hFile, PIXFORMAT_UNKNOWN))
            return true;
        // The failed codec's text is dropped; the next one starts where this one did.
        std::memcpy(info.lastError, kept, sizeof(kept));
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
    CPixIOFile file(hFile);
    return Decode(&file, imagetype);
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
    if (hFile && (!hFile->Flush() || hFile->Error() != 0)) {
        SetLastError(kWriteError);
        return false;
    }
    return true;
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
    CPixIOFile file(hFile);
    return Encode(&file, imagetype);
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
    CPixIOFile file(hFile);
    return Encode(&file, pImages, pagecount, imagetype);
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
    if (!hFile->Flush() || hFile->Error() != 0) {
        SetLastError(kWriteError);
        return false;
    }
    return true;
}

bool CPixImage::Encode2RGBA(BYTE*& buffer, long& size)
{
    return EncodeToMemory(buffer, size, [&](CPixFile* file) { return Encode2RGBA(file); });
}

bool CPixImage::Save(const char* filename, DWORD imagetype)
{
    if (!filename || !*filename)
        return false;

    // Write beside the real file (a link is followed), so that the final rename stays on one
    // file system and the user's file is replaced only by a complete picture.
    std::string target = filename;
    struct stat st {};
    bool exists = ::stat(filename, &st) == 0;
    if (exists) {
        // What could not be opened for writing is not replaced either.
        if (S_ISDIR(st.st_mode) || ::access(filename, W_OK) != 0)
            return false;
        char resolved[PATH_MAX];
        if (::realpath(filename, resolved))
            target = resolved;
    }
    std::string::size_type slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string tmpl = (slash == std::string::npos ? std::string() : folder) + "." + base + ".XXXXXX";

    std::vector<char> tmpPath(tmpl.begin(), tmpl.end());
    tmpPath.push_back('\0');
    int fd = ::mkstemp(tmpPath.data());
    if (fd < 0)
        return false;
    mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    ::fchmod(fd, mode);
    FILE* fp = ::fdopen(fd, "wb");
    if (!fp) {
        ::close(fd);
        ::unlink(tmpPath.data());
        return false;
    }
    TempFileGuard guard(fp, tmpPath.data());

    bool ok = false;
    {
        CPixIOFile file(fp);
        ok = Encode(&file, imagetype);
    }
    if (!ok)
        return false;
    if (!guard.Close()) {
        SetLastError(kWriteError);
        return false;
    }
    if (::rename(tmpPath.data(), target.c_str()) != 0) {
        SetLastError(kWriteError);
        return false;
    }
    guard.Keep();
    return true;
}
