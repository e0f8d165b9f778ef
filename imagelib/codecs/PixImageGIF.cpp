#include "imagelib/codecs/PixImageGIF.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "imagelib/codecs/GifLzw.h"

using namespace codecbytes;

namespace {

const char kCorrupted[] = "corrupted GIF";
const char kCancelled[] = "Cancelled";
const char kBadCodeSize[] = "GIF code size out of range";
const char kNoMemory[] = "CPixImage::Create can't allocate memory";
const char kLoopName[] = "NETSCAPE2.0";
constexpr DWORD kTileWidth = 17, kTileHeight = 15;
// A code stream cannot give more than 4096 pixels for every 3 bits; screens larger than that
// bound of the file are refused beyond this floor.
constexpr uint64_t kFreePixels = uint64_t{1} << 24;
constexpr uint64_t kPixelsPerByte = 4096 * 8 / 3 + 1;

uint32_t ColourKey(RGBQUAD c) { return (uint32_t{c.rgbRed} << 16) | (uint32_t{c.rgbGreen} << 8) | c.rgbBlue; }

// The entries of one tile's table by colour: open addressing over twice the 256 entries.
class TileColours {
public:
    // The entry holding colour key, or entry after storing it there.
    BYTE Find(uint32_t key, BYTE entry) {
        size_t i = (key * 2654435761u) >> 23;
        while (m_used[i]) {
            if (m_keys[i] == key) return m_entries[i];
            i = (i + 1) & 511;
        }
        m_used[i] = true;
        m_keys[i] = key;
        m_entries[i] = entry;
        return entry;
    }

private:
    std::array<uint32_t, 512> m_keys{};
    std::array<BYTE, 512> m_entries{};
    std::array<bool, 512> m_used{};
};

// A frame's place on the screen.
struct Area {
    DWORD left = 0, top = 0, width = 0, height = 0;
};

bool SameColour(RGBQUAD a, RGBQUAD b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

int TableColors(BYTE flags) { return 1 << ((flags & 7) + 1); }

int DepthFor(int colors) { return colors <= 2 ? 1 : colors <= 16 ? 4 : 8; }

bool ReadTable(CPixFile* f, int colors, std::vector<RGBQUAD>& table) {
    std::vector<BYTE> raw(static_cast<size_t>(colors) * 3);
    if (!ReadExact(f, raw.data(), raw.size())) return false;
    table.assign(static_cast<size_t>(colors), RGBQUAD{});
    for (int i = 0; i < colors; ++i) {
        table[i].rgbRed = raw[i * 3];
        table[i].rgbGreen = raw[i * 3 + 1];
        table[i].rgbBlue = raw[i * 3 + 2];
    }
    return true;
}

// Skips sub-blocks up to the empty one or the end of data.
void SkipBlocks(CPixFile* f) {
    for (;;) {
        const long n = f->GetC();
        if (n <= 0 || !f->Seek(n, 1)) return;
    }
}

// The picture row (from the top) of the n-th row stored; interlaced rows come in four passes.
std::vector<DWORD> RowOrder(DWORD height, bool interlaced) {
    std::vector<DWORD> order;
    order.reserve(height);
    if (!interlaced) {
        for (DWORD y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    const DWORD starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (DWORD y = starts[pass]; y < height; y += steps[pass])
            order.push_back(y);
    return order;
}

} // namespace

// The screen as frames are composed: palette indices, or colours for tiles and for frames whose
// tables together hold more colours than one palette.
struct CPixImageGIF::Canvas {
    bool trueColour = false; // tiles: all frames, painted whole
    bool mixed = false;      // colours because the frames' tables outgrew one palette
    bool started = false;
    DWORD width = 0, height = 0;
    int depth = 1;
    int keptTransIndex = -1; // the first frame's transparent index
    int prevDisposal = 0;
    Area prev;
    std::vector<BYTE> index;            // width x height, top row first
    std::array<uint64_t, 256> counts{}; // pixels holding each index
    std::vector<BYTE> colour;           // width x height x 3 (blue, green, red), top row first
    std::vector<BYTE> opaque;           // mixed, with a transparent index: 0 where transparent
    std::vector<RGBQUAD> palette;       // 256 entries, the colours of the indices
    std::array<BYTE, 256> frameMap{};   // the canvas index each of the frame's indices becomes
    std::vector<BYTE> under;            // disposal 3: the canvas under the last frame, row by row
    Control last;

    BYTE Background() const { return static_cast<BYTE>(keptTransIndex < 0 ? 0 : keptTransIndex); }

    void Start(int transIndex) {
        keptTransIndex = transIndex;
        index.assign(static_cast<size_t>(width) * height, Background());
        counts[Background()] = index.size();
        started = true;
    }

    // Disposal 2: the previous frame's area goes back to the background.
    void Restore() {
        for (DWORD y = prev.top; y < prev.top + prev.height; ++y) {
            for (DWORD x = prev.left; x < prev.left + prev.width; ++x) {
                const size_t i = static_cast<size_t>(y) * width + x;
                if (mixed && keptTransIndex >= 0) {
                    opaque[i] = 0;
                } else if (mixed) {
                    PutColour(i, palette[0]);
                } else {
                    --counts[index[i]];
                    index[i] = Background();
                    ++counts[index[i]];
                }
            }
        }
    }

    // Disposal 3: keeps what the frame will cover, in the canvas's present form (indices after
    // Adopt, or colours), so that it can be put back before the next frame. False without memory.
    bool KeepUnder(const Area& a) {
        const size_t bytes = mixed ? 3 + (opaque.empty() ? 0 : 1) : 1;
        try {
            under.resize(static_cast<size_t>(a.width) * a.height * bytes);
        } catch (const std::bad_alloc&) {
            return false;
        }
        BYTE* out = under.data();
        for (DWORD y = a.top; y < a.top + a.height; ++y) {
            const size_t i = static_cast<size_t>(y) * width + a.left;
            if (!mixed) {
                out = std::copy_n(index.data() + i, a.width, out);
                continue;
            }
            out = std::copy_n(colour.data() + i * 3, static_cast<size_t>(a.width) * 3, out);
            if (!opaque.empty()) out = std::copy_n(opaque.data() + i, a.width, out);
        }
        return true;
    }

    // Disposal 3: the previous frame's area as it was before that frame.
    void PutUnderBack() {
        const BYTE* in = under.data();
        for (DWORD y = prev.top; y < prev.top + prev.height; ++y) {
            const size_t i = static_cast<size_t>(y) * width + prev.left;
            if (mixed) {
                std::copy_n(in, static_cast<size_t>(prev.width) * 3, colour.data() + i * 3);
                in += static_cast<size_t>(prev.width) * 3;
                if (!opaque.empty()) {
                    std::copy_n(in, prev.width, opaque.data() + i);
                    in += prev.width;
                }
                continue;
            }
            for (DWORD x = 0; x < prev.width; ++x) {
                --counts[index[i + x]];
                index[i + x] = *in++;
                ++counts[index[i + x]];
            }
        }
    }

    // Takes the frame's table as the palette. Indices that stay in sight but whose colour the
    // table lacks move to free entries, and so do the frame's own pixels of the kept transparent
    // index; false, with nothing changed, when the entries run out. What a frame of disposal 3
    // covers comes back, so it stays in sight.
    bool Adopt(const Area& a, const std::vector<BYTE>& px, int trans, const std::vector<RGBQUAD>& table,
               bool comesBack) {
        std::array<uint64_t, 256> covered{};
        std::array<bool, 256> taken{};
        bool paintsKept = false;
        for (DWORD y = 0; y < a.height; ++y) {
            for (DWORD x = 0; x < a.width; ++x) {
                const BYTE p = px[static_cast<size_t>(y) * a.width + x];
                if (p == trans) continue;
                paintsKept = paintsKept || p == keptTransIndex;
                taken[p] = true;
                if (!comesBack) ++covered[index[static_cast<size_t>(a.top + y) * width + a.left + x]];
            }
        }
        std::vector<int> clashes;
        for (int v = 0; v < 256; ++v) {
            if (v == keptTransIndex || counts[v] == covered[v]) continue;
            if (SameColour(palette[v], table[v]))
                taken[v] = true;
            else
                clashes.push_back(v);
        }
        std::vector<RGBQUAD> next = table;
        std::array<BYTE, 256> map;
        for (int v = 0; v < 256; ++v)
            map[v] = frameMap[v] = static_cast<BYTE>(v);
        int top = 0;
        // An entry showing colour c: one that has it, else a free one given it.
        auto place = [&](RGBQUAD c) {
            int slot = -1;
            for (int s = 0; s < 256 && slot < 0; ++s)
                if (s != keptTransIndex && SameColour(next[s], c)) slot = s;
            for (int s = 0; s < 256 && slot < 0; ++s)
                if (!taken[s]) slot = s;
            if (slot < 0) return -1;
            next[slot] = c;
            taken[slot] = true;
            top = std::max(top, slot);
            return slot;
        };
        if (keptTransIndex >= 0) taken[keptTransIndex] = true;
        if (paintsKept) {
            const int slot = place(table[keptTransIndex]);
            if (slot < 0) return false;
            frameMap[keptTransIndex] = static_cast<BYTE>(slot);
        }
        for (const int v : clashes) {
            const int slot = place(palette[v]);
            if (slot < 0) return false;
            map[v] = static_cast<BYTE>(slot);
        }
        if (!clashes.empty()) {
            for (BYTE& i : index)
                i = map[i];
            std::array<uint64_t, 256> moved{};
            for (int v = 0; v < 256; ++v)
                moved[map[v]] += counts[v];
            counts = moved;
        }
        depth = std::max(depth, DepthFor(top + 1));
        palette = std::move(next);
        return true;
    }

    // From indices to colours, for the rest of the frames.
    bool ToColours() {
        const uint64_t n = static_cast<uint64_t>(width) * height;
        if (n * 3 > PIXIMAGE_MAX_PIXEL_BYTES) return false;
        try {
            colour.resize(n * 3);
            if (keptTransIndex >= 0) opaque.assign(n, 1);
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (size_t i = 0; i < n; ++i) {
            PutColour(i, palette[index[i]]);
            if (keptTransIndex >= 0 && index[i] == keptTransIndex) opaque[i] = 0;
        }
        index = std::vector<BYTE>();
        mixed = true;
        return true;
    }

    // The frame's pixels but its transparent ones.
    void Paint(const Area& a, const std::vector<BYTE>& px, int trans, const std::vector<RGBQUAD>& table) {
        for (DWORD y = 0; y < a.height; ++y) {
            for (DWORD x = 0; x < a.width; ++x) {
                const BYTE p = px[static_cast<size_t>(y) * a.width + x];
                if (p == trans) continue;
                const size_t i = static_cast<size_t>(a.top + y) * width + a.left + x;
                if (mixed) {
                    PutColour(i, table[p]);
                    if (!opaque.empty()) opaque[i] = 1;
                } else {
                    --counts[index[i]];
                    index[i] = frameMap[p];
                    ++counts[index[i]];
                }
            }
        }
        prev = a;
    }

    void PutColour(size_t i, RGBQUAD c) {
        colour[i * 3] = c.rgbBlue;
        colour[i * 3 + 1] = c.rgbGreen;
        colour[i * 3 + 2] = c.rgbRed;
    }
};

bool CPixImageGIF::Fail(const char* text) {
    SetLastError(text);
    return false;
}

void CPixImageGIF::SetComment(const char* text) {
    if (text) CopyText(m_CommentText, text);
}

void CPixImageGIF::GetComment(char* text) const {
    if (text) std::memcpy(text, m_CommentText, std::strlen(m_CommentText) + 1);
}

bool CPixImageGIF::DecodeExtension(CPixFile* hFile) {
    const long label = hFile->GetC();
    if (label < 0) return false;
    // The first sub-block; an empty one ends an extension of any kind.
    const long n = hFile->GetC();
    if (n < 0) return false;
    BYTE data[256];
    if (!ReadExact(hFile, data, static_cast<size_t>(n))) return false;
    if (label == 0xFE) {
        char text[256];
        std::memcpy(text, data, static_cast<size_t>(n));
        text[n] = '\0';
        CopyText(m_CommentText, text);
    }
    if (n == 0) return true;
    if (label == 0xF9) {
        if (n != 4) return false;
        m_control.transIndex = (data[0] & 1) ? data[3] : -1;
        m_control.delay = Le16(data + 1);
        m_control.disposal = (data[0] & 0x1C) >> 2;
        info.transIndex = m_control.transIndex;
        info.frameDelay = m_control.delay;
    } else if (label == 0xFF) {
        if (n != 11) return false;
        const long m = hFile->GetC();
        if (m < 0) return false;
        if (m == 0) return true;
        BYTE sub[256];
        if (!ReadExact(hFile, sub, static_cast<size_t>(m))) return false;
        // Only a looping block (its name, then sub-block 1 with a 16-bit count) carries the count.
        if (std::memcmp(data, kLoopName, 11) == 0 && m == 3 && sub[0] == 1) m_LoopCount = Le16(sub + 1);
    }
    SkipBlocks(hFile);
    return true;
}

int CPixImageGIF::Walk(CPixFile* hFile, int target, Canvas* canvas) {
    int frames = 0;
    for (;;) {
        if (info.escape > 0) {
            Fail(kCancelled);
            return -1;
        }
        const long c = hFile->GetC();
        if (c < 0 || c == ';') break;
        if (c == '!') {
            if (!DecodeExtension(hFile)) break;
            continue;
        }
        if (c != ',') {
            // Stray data: ignored up to the next 0 byte.
            for (long b = c; b > 0;)
                b = hFile->GetC();
            continue;
        }
        BYTE d[9];
        if (!ReadExact(hFile, d, sizeof(d))) break;
        m_sawImage = true;
        const DWORD left = Le16(d), top = Le16(d + 2), width = Le16(d + 4), height = Le16(d + 6);
        const BYTE flags = d[8];
        std::vector<RGBQUAD> local;
        if ((flags & 0x80) && !ReadTable(hFile, TableColors(flags), local)) break;
        const bool inside = width > 0 && height > 0 && left + width <= m_screenWidth && top + height <= m_screenHeight;
        if (inside && frames == 0) m_firstCoversScreen = width == m_screenWidth && height == m_screenHeight;
        if (!inside || !canvas) {
            // Empty and off-screen frames are skipped with their data; counting skips all.
            if (!CGifLzw::Skip(hFile)) {
                if (inside) ++frames;
                break;
            }
            if (inside) ++frames;
            continue;
        }

        const std::vector<RGBQUAD>& table = (flags & 0x80) ? local : m_globalTable;
        const int colors = (flags & 0x80) ? TableColors(flags) : m_globalColors;
        std::vector<BYTE> px;
        try {
            px.assign(static_cast<size_t>(width) * height, 0);
        } catch (const std::bad_alloc&) {
            Fail(kNoMemory);
            return -1;
        }
        int bad = 0;
        if (CGifLzw::Decode(hFile, px, bad) == CGifLzw::kBadCodeSize) {
            // Only the frame asked for, or a tile of the picture, fails; an earlier frame is
            // corrupt data that the walk steps over, drawing nothing.
            if (canvas->trueColour || frames == target) {
                Fail(kBadCodeSize);
                return -1;
            }
            ++frames;
            continue;
        }
        if (info.escape > 0) {
            Fail(kCancelled);
            return -1;
        }

        // Stored rows to picture rows, then onto the canvas.
        const std::vector<DWORD> order = RowOrder(height, (flags & 0x40) != 0);
        const Control& ctl = m_control;
        if (canvas->trueColour) {
            for (DWORD n = 0; n < height; ++n) {
                const BYTE* src = px.data() + static_cast<size_t>(n) * width;
                BYTE* dst = canvas->colour.data() + ((static_cast<size_t>(top) + order[n]) * m_screenWidth + left) * 3;
                for (DWORD x = 0; x < width; ++x) {
                    const RGBQUAD q = src[x] < table.size() ? table[src[x]] : RGBQUAD{};
                    dst[x * 3] = q.rgbBlue;
                    dst[x * 3 + 1] = q.rgbGreen;
                    dst[x * 3 + 2] = q.rgbRed;
                }
            }
            canvas->palette = table;
        } else {
            std::vector<BYTE> picture;
            if (flags & 0x40) {
                try {
                    picture.resize(px.size());
                } catch (const std::bad_alloc&) {
                    Fail(kNoMemory);
                    return -1;
                }
                for (DWORD n = 0; n < height; ++n)
                    std::memcpy(picture.data() + static_cast<size_t>(order[n]) * width,
                                px.data() + static_cast<size_t>(n) * width, width);
            } else {
                picture = std::move(px);
            }
            // Entries past the table are white, so a transparent index beyond it shows nothing.
            std::vector<RGBQUAD> padded(256, RGBQUAD{255, 255, 255, 0});
            std::copy(table.begin(), table.end(), padded.begin());
            const Area area{left, top, width, height};
            if (!canvas->started) {
                canvas->Start(ctl.transIndex);
                canvas->palette = padded;
            } else if (canvas->prevDisposal == 2) {
                canvas->Restore();
            } else if (canvas->prevDisposal == 3) {
                canvas->PutUnderBack();
            }
            // A frame deeper than the canvas raises the canvas's depth.
            canvas->depth = std::max(canvas->depth, DepthFor(colors));
            const bool comesBack = ctl.disposal == 3;
            if ((!canvas->mixed && !canvas->Adopt(area, picture, ctl.transIndex, padded, comesBack) &&
                 !canvas->ToColours()) ||
                (comesBack && !canvas->KeepUnder(area))) {
                Fail(kNoMemory);
                return -1;
            }
            canvas->Paint(area, picture, ctl.transIndex, padded);
            if (canvas->mixed) canvas->palette = padded;
        }
        canvas->prevDisposal = ctl.disposal;
        canvas->last = ctl;
        if (frames == target) return frames + 1;
        ++frames;
    }
    return frames;
}

bool CPixImageGIF::Decode(CPixFile* hFile) {
    if (!hFile) return false;
    ResetTransparency();
    BYTE h[13];
    if (!ReadExact(hFile, h, sizeof(h)) || std::memcmp(h, "GIF8", 4) != 0) return false;
    m_screenWidth = Le16(h + 6);
    m_screenHeight = Le16(h + 8);
    const BYTE flags = h[10];
    if (info.escape == -1) {
        header.biWidth = static_cast<LONG>(m_screenWidth);
        header.biHeight = static_cast<LONG>(m_screenHeight);
        return true;
    }
    m_globalColors = TableColors(flags);
    m_globalTable.clear();
    if ((flags & 0x80) && !ReadTable(hFile, m_globalColors, m_globalTable)) return Fail(kCorrupted);
    const uint64_t screen = static_cast<uint64_t>(m_screenWidth) * m_screenHeight;
    if (screen == 0 || m_screenWidth > PIXIMAGE_MAX_SIDE || m_screenHeight > PIXIMAGE_MAX_SIDE ||
        screen > std::max(kFreePixels, BytesLeft(hFile) * kPixelsPerByte))
        return Fail(kCorrupted);

    const long start = hFile->Tell();
    m_sawImage = false;
    const int count = Walk(hFile, -1, nullptr);
    if (count < 0) return false;
    if (count == 0 && m_sawImage) return DecodeEmptyScreen(h[11]);
    info.numFrames = count;
    if (info.frame < 0 || info.frame >= count) return false;
    hFile->Seek(start, 0);
    const int requested = info.frame;

    Canvas canvas;
    canvas.width = m_screenWidth;
    canvas.height = m_screenHeight;
    // Tiles of one picture, each with its own table, are told by a first frame that misses the
    // screen in either direction, not only in both: a picture at most one tile wide or high (as
    // this codec writes true-colour pictures of up to 17 columns or 15 rows, and as strip-wise
    // writers do) has a first tile as wide or as high as the screen, and must still come whole.
    canvas.trueColour = m_globalTable.empty() && count > 1 && !m_firstCoversScreen;
    if (canvas.trueColour && screen * 3 > PIXIMAGE_MAX_PIXEL_BYTES) return Fail(kCorrupted);
    try {
        if (canvas.trueColour) canvas.colour.assign(static_cast<size_t>(screen) * 3, 0);
    } catch (const std::bad_alloc&) {
        return Fail(kNoMemory);
    }
    m_control = Control();
    if (Walk(hFile, canvas.trueColour ? count - 1 : requested, &canvas) < 0) return false;
    if (!canvas.trueColour && !canvas.started) return Fail(kCorrupted);

    const bool colours = canvas.trueColour || canvas.mixed;
    if (!Create(m_screenWidth, m_screenHeight, colours ? 24 : static_cast<DWORD>(canvas.depth),
                PIXFORMAT_GIF))
        return false;
    if (!canvas.opaque.empty()) {
        AlphaCreate();
        if (!AlphaIsValid()) return Fail(kNoMemory);
    }
    for (DWORD y = 0; y < m_screenHeight; ++y) {
        const long dibRow = static_cast<long>(m_screenHeight - 1 - y);
        BYTE* row = GetBits(static_cast<DWORD>(dibRow));
        if (colours) {
            std::memcpy(row, canvas.colour.data() + static_cast<size_t>(y) * m_screenWidth * 3,
                        static_cast<size_t>(m_screenWidth) * 3);
            for (DWORD x = 0; x < m_screenWidth && !canvas.opaque.empty(); ++x)
                if (!canvas.opaque[static_cast<size_t>(y) * m_screenWidth + x])
                    AlphaSet(static_cast<long>(x), dibRow, 0);
            continue;
        }
        const BYTE* src = canvas.index.data() + static_cast<size_t>(y) * m_screenWidth;
        if (canvas.depth == 8) {
            std::memcpy(row, src, m_screenWidth);
            continue;
        }
        for (DWORD x = 0; x < m_screenWidth; ++x)
            SetPixelIndex(static_cast<long>(x), dibRow, src[x]);
    }
    info.frameDelay = canvas.last.delay;
    // The frame's own disposal, which a later encode writes again.
    m_DisposalMethod = canvas.last.disposal;
    info.transIndex = -1;
    if (canvas.trueColour) {
        if (canvas.last.transIndex >= 0) {
            const size_t t = static_cast<size_t>(canvas.last.transIndex);
            info.transColor = t < canvas.palette.size() ? canvas.palette[t] : RGBQUAD{};
            info.transIndex = 0;
        }
    } else if (!canvas.mixed) {
        SetPalette(canvas.palette.data(), static_cast<DWORD>(canvas.palette.size()));
        info.transIndex = canvas.keptTransIndex;
    }
    info.frame = requested;
    return true;
}

bool CPixImageGIF::DecodeEmptyScreen(BYTE background) {
    // Every image misses the screen or is empty: what the file shows is its screen alone, in the
    // background colour, as one frame. (A file without any image stays a broken one.)
    info.numFrames = 1;
    if (info.frame != 0) return false;
    const bool table = !m_globalTable.empty();
    if (!Create(m_screenWidth, m_screenHeight, table ? DepthFor(m_globalColors) : 1, PIXFORMAT_GIF)) return false;
    if (table) SetPalette(m_globalTable.data(), static_cast<DWORD>(m_globalTable.size()));
    const BYTE index = background < m_globalTable.size() ? background : 0;
    for (DWORD y = 0; y < m_screenHeight; ++y)
        for (DWORD x = 0; x < m_screenWidth; ++x)
            SetPixelIndex(static_cast<long>(x), static_cast<long>(y), index);
    return true;
}

bool CPixImageGIF::WriteOut(CPixFile* hFile, const ByteOut& out) {
    if (!out.WriteTo(hFile) || !hFile->Flush() || hFile->Error() != 0) return Fail("Write Error in GIF file");
    return true;
}

void CPixImageGIF::EncodeHeader(ByteOut& out, CPixImage& img) {
    out.Put("GIF89a", 6);
    out.Le16(img.GetWidth());
    out.Le16(img.GetHeight());
    const DWORD bpp = img.GetBpp();
    if (!img.IsIndexed()) {
        out.U8(0x11);
    } else {
        out.U8(0x80 | (((bpp + 7) * 32) & 0xFF) | (bpp - 1));
    }
    out.U8(0);
    out.U8(0);
    for (DWORD i = 0; i < img.GetNumColors(); ++i) {
        const RGBQUAD c = img.GetPaletteColor(static_cast<BYTE>(i));
        out.U8(c.rgbRed);
        out.U8(c.rgbGreen);
        out.U8(c.rgbBlue);
    }
}

void CPixImageGIF::EncodeExtension(ByteOut& out, CPixImage& img, int disposal) {
    out.U8(0x21);
    out.U8(0xF9);
    out.U8(4);
    out.U8(((disposal & 7) << 2) | (img.GetTransIndex() >= 0 ? 1 : 0));
    out.Le16(img.GetFrameDelay());
    out.U8(static_cast<uint32_t>(img.GetTransIndex() >= 0 ? img.GetTransIndex() : 0));
    out.U8(0);
}

void CPixImageGIF::EncodeLoopExtension(ByteOut& out) {
    out.U8(0x21);
    out.U8(0xFF);
    out.U8(11);
    out.Put(kLoopName, 11);
    out.U8(3);
    out.U8(1);
    out.Le16(static_cast<uint32_t>(std::max(0, m_LoopCount - 1)));
    out.U8(0);
}

void CPixImageGIF::EncodeComment(ByteOut& out) {
    const size_t n = std::strlen(m_CommentText);
    if (n == 0) return;
    out.U8(0x21);
    out.U8(0xFE);
    out.U8(static_cast<uint32_t>(n));
    out.Put(m_CommentText, n);
    out.U8(0);
}

void CPixImageGIF::EncodeBody(ByteOut& out, CPixImage& img, bool localTable, long left, long top) {
    const DWORD width = img.GetWidth(), height = img.GetHeight(), bpp = img.GetBpp();
    out.U8(',');
    out.Le16(static_cast<uint32_t>(left));
    out.Le16(static_cast<uint32_t>(top));
    out.Le16(width);
    out.Le16(height);
    out.U8(localTable ? 0x80 | (bpp - 1) : 0);
    if (localTable) {
        for (DWORD i = 0; i < img.GetNumColors(); ++i) {
            const RGBQUAD c = img.GetPaletteColor(static_cast<BYTE>(i));
            out.U8(c.rgbRed);
            out.U8(c.rgbGreen);
            out.U8(c.rgbBlue);
        }
    }
    // Pixel indices from the top row down.
    std::vector<BYTE> px(static_cast<size_t>(width) * height);
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x)
            px[static_cast<size_t>(y) * width + x] =
                img.GetPixelIndex(static_cast<long>(x), static_cast<long>(height - 1 - y));
    const DWORD option = GetCodecOption(PIXFORMAT_GIF);
    const CGifLzw::Mode mode = option == 1 ? CGifLzw::kUncompressed : option == 2 ? CGifLzw::kRunLength : CGifLzw::kLzw;
    CGifLzw::Encode(px.data(), px.size(), bpp == 1 ? 2 : static_cast<int>(bpp), mode, out.b);
}

void CPixImageGIF::EncodeRGB(ByteOut& out) {
    EncodeHeader(out, *this);
    EncodeComment(out);
    const DWORD width = GetWidth(), height = GetHeight();
    const bool transparent = IsTransparent();
    const RGBQUAD transColour = GetTransColor();
    for (DWORD ty = 0; ty < height; ty += kTileHeight) {
        for (DWORD tx = 0; tx < width; tx += kTileWidth) {
            const DWORD w = std::min(kTileWidth, width - tx), h = std::min(kTileHeight, height - ty);
            CPixImage tile(w, h, 8, PIXFORMAT_GIF);
            // Each pixel brings its colour into the table; equal colours share the first entry.
            TileColours entries;
            if (transparent) {
                tile.SetPaletteColor(0, transColour);
                tile.SetTransIndex(0);
                entries.Find(ColourKey(transColour), 0);
            }
            for (DWORD k = 0; k < h; ++k) {
                for (DWORD j = 0; j < w; ++j) {
                    const RGBQUAD c = GetPixelColor(static_cast<long>(tx + j), static_cast<long>(height - 1 - ty - k), false);
                    const BYTE entry = static_cast<BYTE>(1 + kTileWidth * k + j);
                    const BYTE index = entries.Find(ColourKey(c), entry);
                    if (index == entry) tile.SetPaletteColor(entry, c.rgbRed, c.rgbGreen, c.rgbBlue);
                    tile.SetPixelIndex(static_cast<long>(j), static_cast<long>(h - 1 - k), index);
                }
            }
            // Tiles show at once and stay: no delay, no disposal.
            tile.SetFrameDelay(0);
            EncodeExtension(out, tile, 0);
            EncodeBody(out, tile, true, static_cast<long>(tx), static_cast<long>(ty));
        }
    }
    out.U8(';');
}

bool CPixImageGIF::Encode(CPixFile* hFile) {
    if (EncodeSafeCheck(hFile)) return false;
    ByteOut out;
    if (GetBpp() > 8) {
        EncodeRGB(out);
    } else {
        EncodeHeader(out, *this);
        EncodeExtension(out, *this, m_DisposalMethod);
        EncodeComment(out);
        EncodeBody(out, *this, false, 0, 0);
        out.U8(';');
    }
    return WriteOut(hFile, out);
}

bool CPixImageGIF::Encode(CPixFile* hFile, CPixImage** pImages, int pagecount, bool localColorTables) {
    if (!hFile) return Fail("invalid file pointer");
    if (!pImages || pagecount <= 0 || !pImages[0]) return Fail("multipage GIF, no images!");
    for (int i = 0; i < pagecount; ++i) {
        if (!pImages[i] || !pImages[i]->IsValid()) return Fail("Bad image pointer");
        if (pImages[i]->GetBpp() > 8) return Fail("multipage GIF, frames must have 8 bits per pixel or less");
    }
    ByteOut out;
    CPixImage& first = *pImages[0];
    EncodeHeader(out, first);
    if (m_LoopCount != 1) EncodeLoopExtension(out);
    for (int i = 0; i < pagecount; ++i) {
        CPixImage& frame = *pImages[i];
        long left = 0, top = 0;
        frame.GetOffset(&left, &top);
        EncodeExtension(out, frame, m_DisposalMethod);
        if (i == 0) EncodeComment(out);
        EncodeBody(out, frame, i > 0 && localColorTables, left, top);
    }
    out.U8(';');
    return WriteOut(hFile, out);
}
