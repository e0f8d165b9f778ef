#include "imagelib/codecs/PixImageWMF.h"

#include <algorithm>
#include <vector>

#include "imagelib/PixFile.h"
#include "imagelib/codecs/CodecBytes.h"
#include "platform/gdi/EmfPlayer.h"
#include "platform/gdi/MetafileCanvas.h"
#include "platform/gdi/WmfPlayer.h"

using namespace codecbytes;

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

// Reads n bytes from the stream's position; false when fewer are there.
bool ReadBytes(CPixFile* f, std::vector<uint8_t>& out, uint64_t n) {
    if (n > BytesLeft(f)) return false;
    try {
        out.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return ReadExact(f, out.data(), out.size());
}

} // namespace

bool CPixImageWMF::Fail(const char* text) {
    Destroy();
    SetLastError(text);
    return false;
}

void CPixImageWMF::LimitSize(int64_t& width, int64_t& height) {
    if (width > kMaxSide) {
        height = std::max<int64_t>(1, height * kMaxSide / width);
        width = kMaxSide;
    }
    if (height > kMaxSide) {
        width = std::max<int64_t>(1, width * kMaxSide / height);
        height = kMaxSide;
    }
}

bool CPixImageWMF::Decode(CPixFile* hFile, long nForceWidth, long nForceHeight) {
    if (!hFile) return false;
    ResetTransparency();
    const long start = hFile->Tell();
    std::vector<uint8_t> data;
    bool enhanced = false;
    int64_t width = 0, height = 0;
    int16_t bbox[4] = {0, 0, 0, 0};

    // A placeable metafile: key, bounding box, units per inch and a checksum, then the metafile.
    uint8_t ph[22];
    bool placeable = false;
    if (hFile->Read(ph, 1, 22) == 22 && Le32(ph) == kPlaceableKey) {
        uint16_t sum = 0;
        for (int i = 0; i < 10; ++i) sum ^= Le16(ph + 2 * i);
        const uint32_t inch = Le16(ph + 14);
        uint8_t mh[18];
        if (sum == Le16(ph + 20) && inch >= 1 && inch <= 2540 && hFile->Read(mh, 1, 18) == 18) {
            const uint32_t type = Le16(mh);
            // Its length, in 16-bit words, must be in the stream after the placeable header.
            const uint64_t bytes = uint64_t{Le32(mh + 6)} * 2;
            if ((type == 1 || type == 2) && bytes >= 18 && hFile->Seek(start + 22, SEEK_SET) &&
                ReadBytes(hFile, data, bytes)) {
                for (int i = 0; i < 4; ++i) bbox[i] = static_cast<int16_t>(Le16(ph + 6 + 2 * i));
                width = (int64_t{bbox[2]} - bbox[0]) * kScreenDpi / inch;
                height = (int64_t{bbox[3]} - bbox[1]) * kScreenDpi / inch;
                placeable = true;
            }
        }
    }
    EmfPlayer::Header emf;
    if (!placeable) {
        // Otherwise an enhanced metafile: only the bytes its header counts are read.
        std::vector<uint8_t> head;
        if (!hFile->Seek(start, SEEK_SET) || !ReadBytes(hFile, head, 88) || Le32(head.data()) != 1)
            return Fail("corrupted WMF");
        const uint64_t bytes = Le32(head.data() + 48);
        if (bytes < 88 || !hFile->Seek(start, SEEK_SET) || !ReadBytes(hFile, data, bytes) ||
            !EmfPlayer::ReadHeader(data.data(), data.size(), emf))
            return Fail("corrupted WMF");
        enhanced = true;
        width = int64_t{emf.bounds.right} - emf.bounds.left;
        height = int64_t{emf.bounds.bottom} - emf.bounds.top;
    }

    // -1 asks for the size alone; any other request to stop stops here.
    if (info.escape && info.escape != -1) return Fail("Cancelled");
    if (nForceWidth > 0) width = nForceWidth;
    if (nForceHeight > 0) height = nForceHeight;
    if (width <= 0 || height <= 0) return Fail("empty WMF");
    LimitSize(width, height);
    if (info.escape == -1) {
        header.biWidth = static_cast<LONG>(width);
        header.biHeight = static_cast<LONG>(height);
        SetLastError("output dimensions returned");
        return true;
    }

    MetafileCanvas canvas(static_cast<int>(width), static_cast<int>(height));
    if (!canvas.Valid()) return Fail("Can't allocate memory");
    if (enhanced) {
        EmfPlayer::Play(data.data(), data.size(), canvas);
    } else {
        // The bounding box fills the picture unless the metafile sets a window of its own.
        canvas.SetMapMode(8);
        canvas.SetWindowOrg(bbox[0], bbox[1]);
        canvas.SetWindowExt(int64_t{bbox[2]} - bbox[0], int64_t{bbox[3]} - bbox[1]);
        canvas.SetViewportExt(static_cast<double>(width), static_cast<double>(height));
        WmfPlayer::Play(data.data(), data.size(), canvas);
    }
    if (info.escape) return Fail("Cancelled");

    if (!Create(static_cast<DWORD>(width), static_cast<DWORD>(height), 24, PIXFORMAT_WMF))
        return Fail("Can't allocate memory");
    const uint8_t* px = canvas.Pixels();
    const int stride = canvas.Stride();
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* src = px + y * stride;
        BYTE* dst = GetBits(static_cast<DWORD>(height - 1 - y));
        for (int64_t x = 0; x < width; ++x) {
            dst[x * 3 + 0] = src[x * 4 + 0];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
    }
    return true;
}

bool CPixImageWMF::Encode(CPixFile* hFile) {
    if (!hFile) return false;
    SetLastError("Save WMF not supported");
    return false;
}
