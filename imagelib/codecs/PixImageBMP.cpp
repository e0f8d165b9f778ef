#include "imagelib/codecs/PixImageBMP.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <vector>

#include "imagelib/PixBitfieldChannel.h"
#include "imagelib/PixIOFile.h"
#include "imagelib/codecs/CodecBytes.h"

using namespace codecbytes;

namespace {

// Pixels per metre to dots per inch; 0 stays 0.
LONG PpmToDpi(LONG ppm) {
    return static_cast<LONG>(std::floor(ppm * 0.0254 + 0.5));
}

// Bytes of one stored pixel row (padded to 4 bytes) as the header's depth and width give it.
uint64_t RowBytes(const BITMAPINFOHEADER& bih) {
    return ((static_cast<uint64_t>(bih.biBitCount) * static_cast<uint32_t>(bih.biWidth) + 31) / 32) * 4;
}

} // namespace

// A failed decode keeps no half-filled picture.
bool CPixImageBMP::Fail(const char* text) {
    Destroy();
    SetLastError(text);
    return false;
}

bool CPixImageBMP::ReadInfoHeader(CPixFile* hFile, BITMAPINFOHEADER& bih, HeaderExtras& extras) {
    if (!hFile) return false;
    extras = HeaderExtras();
    uint8_t b[52];
    // The size comes first: it says how many bytes the header has (a core header has only 12).
    if (hFile->Read(b, 1, 4) != 4) return false;
    const uint32_t size = Le32(b);
    bih = BITMAPINFOHEADER();
    if (size == 12) {
        if (hFile->Read(b + 4, 1, 8) != 8) return false;
        bih.biSize = 12;
        bih.biWidth = Le16(b + 4);
        bih.biHeight = Le16(b + 6);
        bih.biPlanes = Le16(b + 8);
        bih.biBitCount = Le16(b + 10);
        extras.coreHeader = true;
    } else if (size >= 40) {
        if (hFile->Read(b + 4, 1, 36) != 36) return false;
        bih.biSize = size;
        bih.biWidth = static_cast<LONG>(Le32(b + 4));
        bih.biHeight = static_cast<LONG>(Le32(b + 8));
        bih.biPlanes = Le16(b + 12);
        bih.biBitCount = Le16(b + 14);
        bih.biCompression = Le32(b + 16);
        bih.biSizeImage = Le32(b + 20);
        bih.biXPelsPerMeter = static_cast<LONG>(Le32(b + 24));
        bih.biYPelsPerMeter = static_cast<LONG>(Le32(b + 28));
        bih.biClrUsed = Le32(b + 32);
        bih.biClrImportant = Le32(b + 36);
        if (size > 40) {
            // Version 4 and 5 headers (108, 124 bytes) carry the bit-field masks in their first
            // extra bytes; other sizes above 40 are accepted only for plain uncompressed files.
            const bool versioned = size == 108 || size == 124;
            if (size != 64 && !versioned) {
                const uint64_t expect = RowBytes(bih) * static_cast<uint64_t>(static_cast<uint32_t>(bih.biHeight));
                if (bih.biSizeImage != expect || bih.biPlanes != 1 || bih.biCompression != BI_RGB ||
                    bih.biClrUsed != 0)
                    return false;
            }
            if (versioned) {
                if (hFile->Read(b + 40, 1, 12) != 12) return false;
                if (bih.biCompression == BI_BITFIELDS) {
                    extras.hasMasks = true;
                    extras.masks[0] = Le32(b + 40);
                    extras.masks[1] = Le32(b + 44);
                    extras.masks[2] = Le32(b + 48);
                }
                if (!hFile->Seek(static_cast<long>(size - 52), 1)) return false;
            } else {
                if (!hFile->Seek(static_cast<long>(size - 40), 1)) return false;
            }
        }
    } else {
        return false;
    }
    if (bih.biSizeImage == 0) {
        const uint64_t total = RowBytes(bih) * static_cast<uint64_t>(static_cast<uint32_t>(std::abs(static_cast<int64_t>(bih.biHeight))));
        bih.biSizeImage = total > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(total);
    }
    if (bih.biClrUsed == 0 && bih.biBitCount <= 8) bih.biClrUsed = 1u << bih.biBitCount;
    return true;
}

bool CPixImageBMP::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    const long start = hFile->Tell();

    uint8_t fh[14];
    if (hFile->Read(fh, 1, 14) != 14) return Fail("Not a BMP");
    uint32_t offBits = Le32(fh + 10);
    const bool fileHeader = Le16(fh) == 0x4D42;
    if (!fileHeader) {
        // A bare DIB: the information header starts at the first byte.
        offBits = 0;
        hFile->Seek(start, 0);
    }

    BITMAPINFOHEADER bih;
    HeaderExtras extras;
    if (!ReadInfoHeader(hFile, bih, extras)) return Fail("Error reading BMP info");

    const WORD bpp = bih.biBitCount;
    const DWORD comp = bih.biCompression;
    // Only widths and heights that fit a signed 32-bit value once made positive.
    if (bih.biWidth <= 0 || bih.biHeight == 0 || bih.biHeight == INT32_MIN)
        return Fail("Error reading BMP info");
    const bool topDown = bih.biHeight < 0;
    const DWORD width = static_cast<DWORD>(bih.biWidth);
    const DWORD height = static_cast<DWORD>(topDown ? -bih.biHeight : bih.biHeight);

    if (info.escape == -1) {
        header.biWidth = static_cast<LONG>(width);
        header.biHeight = static_cast<LONG>(height);
        SetLastError("output dimensions returned");
        return true;
    }

    // Refuse what cannot be decoded before anything is allocated.
    switch (bpp) {
    case 1: case 4: case 8:
        if (comp != BI_RGB && !(comp == BI_RLE8 && bpp == 8) && !(comp == BI_RLE4 && bpp == 4))
            return Fail("compression type not supported");
        break;
    case 16: case 32:
        if (comp != BI_RGB && comp != BI_BITFIELDS) return Fail("unknown compression");
        break;
    case 24:
        if (comp != BI_RGB) return Fail("unknown compression");
        break;
    default:
        return Fail("bit count not supported");
    }

    // Masks of a 40-byte header follow it; newer headers carried them inside.
    const bool masksFollow = (bpp == 16 || bpp == 32) && comp == BI_BITFIELDS && !extras.hasMasks && bih.biSize == 40;
    const uint32_t entrySize = extras.coreHeader ? 3 : 4;
    const bool rle = comp == BI_RLE8 || comp == BI_RLE4;

    // The pixel bytes the header declares must be in the stream before anything is allocated: a
    // short file must not claim gigabytes. Uncompressed rows are read only up to biSizeImage.
    const uint64_t rowBytes = bpp == 16   ? ((static_cast<uint64_t>(width) + 1) / 2) * 4
                              : bpp == 32 ? static_cast<uint64_t>(width) * 4
                                          : RowBytes(bih);
    uint64_t pixelBytes = rowBytes * height;
    if (bpp <= 8 || bpp == 24) pixelBytes = std::min<uint64_t>(pixelBytes, bih.biSizeImage);
    const int64_t here = hFile->Tell();
    const int64_t dataStart =
        offBits ? start + static_cast<int64_t>(offBits)
                : here + (masksFollow ? 12 : 0) + static_cast<int64_t>(bih.biClrUsed) * (bpp <= 8 ? entrySize : 4);
    const int64_t available = static_cast<int64_t>(hFile->Size()) - dataStart;
    if (here < 0 || available < (rle ? 2 : static_cast<int64_t>(std::min<uint64_t>(pixelBytes, INT64_MAX))))
        return Fail("Error reading BMP pixels");

    if (!Create(width, height, bpp, 1)) return Fail("Can't allocate memory");

    info.xDpi = PpmToDpi(bih.biXPelsPerMeter);
    info.yDpi = PpmToDpi(bih.biYPelsPerMeter);
    header.biXPelsPerMeter = bih.biXPelsPerMeter;
    header.biYPelsPerMeter = bih.biYPelsPerMeter;
    StoreHeader();

    if (info.escape) return Fail("Cancelled");

    uint32_t masks[3] = {0x7C00, 0x3E0, 0x1F};
    if (bpp == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
    }
    if (extras.hasMasks && comp == BI_BITFIELDS) {
        std::copy(extras.masks, extras.masks + 3, masks);
    } else if (masksFollow) {
        uint8_t m[12];
        if (hFile->Read(m, 1, 12) != 12) return Fail("Error reading BMP info");
        masks[0] = Le32(m);
        masks[1] = Le32(m + 4);
        masks[2] = Le32(m + 8);
    }

    if (bpp <= 8) {
        // The file's palette may claim more entries than the image has: read what fits, skip the rest.
        const uint32_t fileColors = bih.biClrUsed;
        const uint32_t n = std::min(fileColors, header.biClrUsed);
        uint8_t raw[256 * 4];
        if (n && hFile->Read(raw, entrySize, n) != n) return Fail("Error reading BMP info");
        uint8_t* pal = static_cast<uint8_t*>(static_cast<void*>(dib)) + sizeof(BITMAPINFOHEADER);
        for (uint32_t i = 0; i < n; ++i) {
            pal[i * 4 + 0] = raw[i * entrySize + 0];
            pal[i * 4 + 1] = raw[i * entrySize + 1];
            pal[i * 4 + 2] = raw[i * entrySize + 2];
            pal[i * 4 + 3] = 0;
        }
        if (info.escape) return Fail("Cancelled");
    }

    // Rows start at the file header's offset, or right after the palette of a bare DIB (a DIB of
    // more than 8 bits may still list an optimisation palette there).
    if (hFile->Tell() != dataStart && !hFile->Seek(static_cast<long>(dataStart), 0))
        return Fail("Error reading BMP pixels");

    if (rle) {
        ExpandRle(hFile, bpp);
        if (topDown && !Flip()) return Fail("Can't allocate memory");
        return true;
    }
    // Rows are read one at a time straight into their place, so a top-down file needs no second
    // copy of the picture.
    const bool bitfields = bpp == 16 || bpp == 32;
    std::vector<uint8_t> row(bitfields ? static_cast<size_t>(rowBytes) : 0);
    const uint32_t limit = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    const CPixBitfieldChannel red(masks[0] & limit), green(masks[1] & limit), blue(masks[2] & limit);
    uint64_t left = pixelBytes;
    for (DWORD i = 0; i < height && left > 0; ++i) {
        BYTE* dst = GetBits(topDown ? height - 1 - i : i);
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, rowBytes));
        left -= n;
        if (hFile->Read(bitfields ? row.data() : dst, 1, n) != n) return Fail("Error reading BMP pixels");
        if (!bitfields) continue;
        for (DWORD x = 0; x < width; ++x) {
            const uint32_t px = bpp == 16 ? Le16(&row[x * 2]) : Le32(&row[static_cast<size_t>(x) * 4]);
            dst[x * 3 + 0] = blue.Get(px);
            dst[x * 3 + 1] = green.Get(px);
            dst[x * 3 + 2] = red.Get(px);
        }
    }
    return true;
}

// Windows RLE8 and RLE4: runs, end of line, end of bitmap, deltas and literals. Positions count
// pixels (RLE4 packs two a byte, high nibble first); nothing is written outside the rows of the
// image. Runs and literals are cut at the end of their row and the codes after them still count:
// some writers code the padding of each row as well.
void CPixImageBMP::ExpandRle(CPixFile* hFile, int bits) {
    const int64_t width = header.biWidth;
    const int64_t height = header.biHeight;
    int64_t row = 0, pos = 0;
    auto rowBits = [&]() -> BYTE* {
        return (row >= 0 && row < height) ? GetBits(static_cast<DWORD>(row)) : nullptr;
    };
    auto put = [&](BYTE* line, int64_t x, long v) {
        if (!line || x < 0 || x >= width) return;
        if (bits == 8) {
            line[x] = static_cast<BYTE>(v);
            return;
        }
        BYTE& b = line[x >> 1];
        if (x & 1)
            b = static_cast<BYTE>((b & 0xF0) | (v & 0x0F));
        else
            b = static_cast<BYTE>((b & 0x0F) | ((v & 0x0F) << 4));
    };
    for (;;) {
        const long c1 = hFile->GetC();
        const long c2 = hFile->GetC();
        if (c1 < 0 || c2 < 0) return;
        if (c1 > 0) {
            BYTE* line = rowBits();
            for (long i = 0; i < c1; ++i)
                put(line, pos + i, bits == 8 ? c2 : ((i & 1) ? (c2 & 0x0F) : (c2 >> 4)));
            pos += c1;
            continue;
        }
        if (c2 == 0) {
            ++row;
            pos = 0;
        } else if (c2 == 1) {
            return;
        } else if (c2 == 2) {
            const long dx = hFile->GetC();
            const long dy = hFile->GetC();
            if (dx < 0 || dy < 0) return;
            pos += dx;
            row += dy;
        } else {
            BYTE* line = rowBits();
            const long bytes = bits == 8 ? c2 : (c2 + 1) / 2;
            long left = c2;
            for (long i = 0; i < bytes; ++i) {
                const long v = hFile->GetC();
                if (v < 0) return;
                if (bits == 8) {
                    put(line, pos++, v);
                    continue;
                }
                put(line, pos++, v >> 4);
                if (--left > 0) {
                    put(line, pos++, v & 0x0F);
                    --left;
                }
            }
            // Literals are padded to a 16-bit boundary.
            if (bytes & 1) hFile->GetC();
        }
        if (row >= height) return;
    }
}

bool CPixImageBMP::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;

    const DWORD palBytes = header.biClrUsed * 4;
    const DWORD dibSize = static_cast<DWORD>(GetSize());
    uint8_t out[14];
    PutLe16(out, 0x4D42);
    PutLe32(out + 2, dibSize + 14);
    PutLe16(out + 6, 0);
    PutLe16(out + 8, 0);
    PutLe32(out + 10, 14 + header.biSize + palBytes);
    // The DIB block, its header brought up to date, follows the file header as it is.
    StoreHeader();
    if (hFile->Write(out, 1, sizeof(out)) != sizeof(out) || hFile->Write(dib, 1, dibSize) != dibSize)
        return Fail("Write error");
    return EncodeFlushed(hFile);
}
