#include "imagelib/codecs/PixImagePCX.h"

#include <algorithm>
#include <new>
#include <vector>

#include "imagelib/codecs/CodecBytes.h"

using namespace codecbytes;

namespace {

const char kCorrupted[] = "corrupted PCX";
constexpr int kHeaderBytes = 128;

// Pixel values of one plane line packed bits bits each, most significant first.
void UnpackRow(const BYTE* in, DWORD bytesPerLine, int bits, BYTE* out) {
    const int per = 8 / bits;
    const BYTE mask = static_cast<BYTE>((1 << bits) - 1);
    for (DWORD i = 0; i < bytesPerLine; ++i)
        for (int k = 0; k < per; ++k)
            out[i * per + k] = static_cast<BYTE>((in[i] >> (8 - bits * (k + 1))) & mask);
}

// Pixel values from 1-bit planes: plane i gives bit i.
void PlanesToIndices(const BYTE* in, DWORD bytesPerLine, int planes, BYTE* out) {
    std::fill(out, out + static_cast<size_t>(bytesPerLine) * 8, 0);
    for (int p = 0; p < planes; ++p)
        for (DWORD i = 0; i < bytesPerLine; ++i)
            for (int k = 0; k < 8; ++k)
                if (in[p * static_cast<size_t>(bytesPerLine) + i] & (0x80 >> k))
                    out[i * 8 + k] = static_cast<BYTE>(out[i * 8 + k] | (1 << p));
}

// Run-length packing of a line of values; -1 ends it, -2 ends it with one pad byte.
struct RunPacker {
    ByteOut& out;
    long value = 0;
    int length = 0;
    void Reset() {
        value = 0;
        length = 0;
    }
    void Put(long p) {
        if (p != value && length > 0) {
            if (length == 1 && value < 0xC0) {
                out.U8(static_cast<uint32_t>(value));
            } else {
                out.U8(0xC0 | static_cast<uint32_t>(length));
                out.U8(static_cast<uint32_t>(value));
            }
            length = 0;
        }
        if (length == 63) {
            out.U8(0xFF);
            out.U8(static_cast<uint32_t>(value));
            length = 0;
        }
        if (p == -2) out.U8(0);
        value = p & 0xFF;
        ++length;
    }
};

// Run-length packing of a whole plane line of bytes.
void PackBytes(const BYTE* data, size_t n, ByteOut& out) {
    size_t i = 0;
    while (i < n) {
        const BYTE c = data[i];
        size_t run = 1;
        while (i + run < n && data[i + run] == c && run < 63)
            ++run;
        if (run > 1 || (c & 0xC0) == 0xC0) out.U8(0xC0 | static_cast<uint32_t>(run));
        out.U8(c);
        i += run;
    }
}

} // namespace

bool CPixImagePCX::Fail(const char* text) {
    SetLastError(text);
    return false;
}

bool CPixImagePCX::ReadRuns(CPixFile* hFile, BYTE* out, uint64_t total) {
    uint64_t done = 0;
    while (done < total) {
        const long c = hFile->GetC();
        if (c < 0) return Fail(kCorrupted);
        if ((c & 0xC0) != 0xC0) {
            out[done++] = static_cast<BYTE>(c);
            continue;
        }
        const uint64_t count = static_cast<uint64_t>(c & 0x3F);
        const long v = hFile->GetC();
        if (v < 0) return Fail(kCorrupted);
        if (count > total - done) return Fail("repeat count spans end of image");
        std::fill(out + done, out + done + count, static_cast<BYTE>(v));
        done += count;
    }
    return true;
}

bool CPixImagePCX::ReadPalette(CPixFile* hFile, const BYTE* hdr, int bits, int planes) {
    BYTE pal[768];
    std::copy(hdr + 16, hdr + 64, pal);
    DWORD entries = 16;
    if (bits == 8 && planes == 1) {
        if (hFile->GetC() != 12) return Fail("bad color map signature");
        if (!ReadExact(hFile, pal, sizeof(pal))) return Fail(kCorrupted);
        entries = 256;
    } else if (bits == 1 && planes == 1) {
        std::fill(pal, pal + 3, 0);
        std::fill(pal + 3, pal + 6, 255);
    }
    for (DWORD i = 0; i < GetNumColors() && i < entries; ++i)
        SetPaletteColor(static_cast<BYTE>(i), pal[i * 3], pal[i * 3 + 1], pal[i * 3 + 2]);
    return true;
}

bool CPixImagePCX::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    BYTE hdr[kHeaderBytes];
    if (!ReadExact(hFile, hdr, sizeof(hdr))) return Fail("Can't read PCX image");
    if (hdr[0] != 10) return Fail("Error: Not a PCX file");
    if (hdr[2] != 1) return Fail("PCX file has unknown encoding scheme");
    const int bits = hdr[3];
    const int planes = hdr[65];
    const uint32_t xmin = Le16(hdr + 4), ymin = Le16(hdr + 6), xmax = Le16(hdr + 8), ymax = Le16(hdr + 10);
    const DWORD bytesPerLine = Le16(hdr + 66);
    if (xmax < xmin || ymax < ymin) return Fail(kCorrupted);
    const DWORD width = xmax - xmin + 1, height = ymax - ymin + 1;
    if (planes > 4) return Fail("Can't handle image with more than 4 planes");

    // Only the layouts the rows below know, refused before anything is allocated.
    DWORD bpp = 0;
    if (planes == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8))
        bpp = static_cast<DWORD>(bits);
    else if (planes >= 3 && bits == 8)
        bpp = 24;
    else if (planes >= 2 && bits == 1)
        bpp = 4;
    else if (planes > 1)
        return Fail("Can't handle more than 1 bit per pixel");
    else
        return Fail(kCorrupted);
    if (static_cast<uint64_t>(bytesPerLine) * 8 < static_cast<uint64_t>(width) * bits) return Fail(kCorrupted);
    // A count and a value give at most 63 bytes, and a last single byte can stand for itself:
    // a stream shorter than that cannot hold the picture.
    const uint64_t total = static_cast<uint64_t>(bytesPerLine) * planes * height;
    if (BytesLeft(hFile) < total / 63 * 2 + std::min<uint64_t>(total % 63, 2)) return Fail(kCorrupted);

    if (!Create(width, height, bpp, PIXFORMAT_PCX)) return Fail("Can't allocate memory");
    SetXDPI(Le16(hdr + 12));
    SetYDPI(Le16(hdr + 14));
    if (bpp == 24 && planes == 4) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail("Can't allocate memory");
    }
    if (info.escape) return Fail("Cancelled");

    std::vector<BYTE> data, line;
    try {
        data.resize(static_cast<size_t>(total));
        line.resize(width + static_cast<size_t>(bytesPerLine) * 8);
    } catch (const std::bad_alloc&) {
        return Fail("Can't allocate memory");
    }
    if (!ReadRuns(hFile, data.data(), total)) return false;
    if (!ReadPalette(hFile, hdr, bits, planes)) return false;

    const size_t lineBytes = static_cast<size_t>(bytesPerLine) * planes;
    for (DWORD y = 0; y < height; ++y) {
        if (info.escape) return Fail("Cancelled");
        const BYTE* src = data.data() + y * lineBytes;
        const long row = static_cast<long>(height - 1 - y);
        if (bpp == 24) {
            for (DWORD x = 0; x < width; ++x) {
                SetPixelColor(static_cast<long>(x), row,
                              RGB(src[x], src[bytesPerLine + x], src[2 * static_cast<size_t>(bytesPerLine) + x]));
                if (planes == 4) AlphaSet(static_cast<long>(x), row, src[3 * static_cast<size_t>(bytesPerLine) + x]);
            }
            continue;
        }
        if (planes == 1)
            UnpackRow(src, bytesPerLine, bits, line.data());
        else
            PlanesToIndices(src, bytesPerLine, planes, line.data());
        for (DWORD x = 0; x < width; ++x)
            SetPixelIndex(static_cast<long>(x), row, line[x]);
    }
    return true;
}

bool CPixImagePCX::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;
    const WORD bpp = GetBpp();
    const long width = static_cast<long>(GetWidth()), height = static_cast<long>(GetHeight());
    const bool trueColour = bpp == 24;
    int bits = 8, planes = 1;
    DWORD bytesPerLine = static_cast<DWORD>(width);
    if (bpp == 24) {
        planes = AlphaIsValid() ? 4 : 3;
    } else if (bpp <= 4) {
        bits = 1;
        planes = GetNumColors() == 16 ? 4 : 1;
        bytesPerLine = static_cast<DWORD>((width + 7) >> 3);
    }
    bytesPerLine += bytesPerLine & 1;

    BYTE hdr[kHeaderBytes] = {};
    hdr[0] = 10;
    hdr[1] = 5;
    hdr[2] = 1;
    hdr[3] = static_cast<BYTE>(bits);
    PutLe16(hdr + 8, static_cast<uint32_t>(width - 1));
    PutLe16(hdr + 10, static_cast<uint32_t>(height - 1));
    PutLe16(hdr + 12, static_cast<uint32_t>(GetXDPI()));
    PutLe16(hdr + 14, static_cast<uint32_t>(GetYDPI()));
    if (bits == 1 && planes == 1) {
        std::fill(hdr + 19, hdr + 22, 255);
    } else if (bits == 1) {
        for (int i = 0; i < 16; ++i) {
            const RGBQUAD c = GetPaletteColor(static_cast<BYTE>(i));
            hdr[16 + i * 3] = c.rgbRed;
            hdr[17 + i * 3] = c.rgbGreen;
            hdr[18 + i * 3] = c.rgbBlue;
        }
    }
    hdr[65] = static_cast<BYTE>(planes);
    PutLe16(hdr + 66, bytesPerLine);
    PutLe16(hdr + 68, trueColour ? 1 : 0);
    if (hFile->Write(hdr, 1, sizeof(hdr)) != sizeof(hdr)) return Fail("cannot write PCX header");

    ByteOut out;
    RunPacker runs{out};
    const long lineEnd = -1 - (width & 1);
    if (bits == 8) {
        for (long y = height - 1; y >= 0; --y) {
            for (int p = 0; p < planes; ++p) {
                runs.Reset();
                for (long x = 0; x < width; ++x) {
                    if (!trueColour) {
                        runs.Put(GetPixelIndex(x, y));
                        continue;
                    }
                    const RGBQUAD c = GetPixelColor(x, y, true);
                    runs.Put(p == 0 ? c.rgbRed : p == 1 ? c.rgbGreen : p == 2 ? c.rgbBlue : AlphaGet(x, y));
                }
                runs.Put(lineEnd);
            }
        }
        if (!trueColour) {
            out.U8(12);
            for (int i = 0; i < 256; ++i) {
                const RGBQUAD c = GetPaletteColor(static_cast<BYTE>(i));
                out.U8(c.rgbRed);
                out.U8(c.rgbGreen);
                out.U8(c.rgbBlue);
            }
        }
    } else {
        const RGBQUAD c0 = GetPaletteColor(0), c1 = GetPaletteColor(1);
        const bool invert = bpp == 1 && CompareColors(&c0, &c1) > 0;
        std::vector<BYTE> plane(bytesPerLine);
        for (long y = height - 1; y >= 0; --y) {
            for (int p = 0; p < planes; ++p) {
                std::fill(plane.begin(), plane.end(), 0);
                for (long x = 0; x < width; ++x) {
                    BYTE index = GetPixelIndex(x, y);
                    if (invert) index = static_cast<BYTE>(1 - index);
                    if (index & (1 << p)) plane[static_cast<size_t>(x) / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
                }
                PackBytes(plane.data(), plane.size(), out);
            }
        }
    }
    if (!out.WriteTo(hFile)) return Fail("Write error");
    return EncodeFlushed(hFile);
}
