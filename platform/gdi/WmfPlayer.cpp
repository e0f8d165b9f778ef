#include "platform/gdi/WmfPlayer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/MetafileCanvas.h"

namespace {

// The parameters of one record, read with bounds: a read past them gives 0.
struct Params {
    const uint8_t* p;
    size_t n; // bytes
    uint32_t U16(size_t word) const { return word * 2 + 2 <= n ? static_cast<uint32_t>(p[word * 2] | (p[word * 2 + 1] << 8)) : 0; }
    int S16(size_t word) const { return static_cast<int16_t>(U16(word)); }
    uint32_t U32(size_t word) const { return U16(word) | (U16(word + 1) << 16); }
    size_t Words() const { return n / 2; }
};

// Windows-1252 bytes as UTF-8 (the upper half taken as Latin-1).
std::string Latin1(const uint8_t* s, size_t n) {
    std::string out;
    for (size_t i = 0; i < n && s[i]; ++i) {
        if (s[i] < 0x80) {
            out += static_cast<char>(s[i]);
        } else {
            out += static_cast<char>(0xC0 | (s[i] >> 6));
            out += static_cast<char>(0x80 | (s[i] & 0x3F));
        }
    }
    return out;
}

std::vector<MetafileCanvas::PointD> Points(const Params& r, size_t word, size_t count) {
    std::vector<MetafileCanvas::PointD> pts;
    if (word + count * 2 > r.Words()) return pts;
    pts.reserve(count);
    for (size_t i = 0; i < count; ++i) pts.push_back({double(r.S16(word + 2 * i)), double(r.S16(word + 2 * i + 1))});
    return pts;
}

// A DIB inside the record from word `word` on: its header, colour table and rows.
bool Dib(const Params& r, size_t word, const uint8_t*& dib, size_t& bytes, size_t& bitsOffset) {
    if (word * 2 + 12 > r.n) return false;
    dib = r.p + word * 2;
    bytes = r.n - word * 2;
    const uint32_t hsize = dib[0] | (dib[1] << 8) | (dib[2] << 16) | (static_cast<uint32_t>(dib[3]) << 24);
    if (hsize != 12 && (hsize < 40 || hsize > bytes)) return false;
    const uint32_t bpp = hsize == 12 ? (dib[10] | (dib[11] << 8)) : (dib[14] | (dib[15] << 8));
    uint32_t used = hsize == 12 ? 0 : (dib[32] | (dib[33] << 8) | (dib[34] << 16) | (static_cast<uint32_t>(dib[35]) << 24));
    const uint32_t compression = hsize == 12 ? 0 : (dib[16] | (dib[17] << 8));
    uint64_t colours = bpp <= 8 ? (used && used < (1u << bpp) ? used : (1u << bpp)) : 0;
    bitsOffset = hsize + colours * (hsize == 12 ? 3 : 4) + (compression == 3 && hsize == 40 ? 12 : 0);
    return bitsOffset <= bytes;
}

} // namespace

bool WmfPlayer::Play(const uint8_t* data, size_t size, MetafileCanvas& c) {
    if (!data || size < 18) return false;
    const Params head{data, 18};
    const uint32_t type = head.U16(0), headerWords = head.U16(1);
    if ((type != 1 && type != 2) || headerWords != 9) return false;
    c.SetObjectSlots(head.U16(6));

    size_t pos = 18;
    while (pos + 6 <= size) {
        const uint32_t words = data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16) | (static_cast<uint32_t>(data[pos + 3]) << 24);
        const uint32_t fn = data[pos + 4] | (data[pos + 5] << 8);
        // A record shorter than its own header, or longer than what is left, ends the playing.
        if (words < 3 || static_cast<uint64_t>(words) * 2 > size - pos) break;
        const Params r{data + pos + 6, static_cast<size_t>(words) * 2 - 6};
        pos += static_cast<size_t>(words) * 2;
        if (fn == 0x0000) break;
        switch (fn) {
        case 0x0201: c.SetBkColor(r.U32(0)); break;
        case 0x0102: c.SetBkMode(r.S16(0)); break;
        case 0x0103: c.SetMapMode(r.S16(0)); break;
        case 0x0106: c.SetPolyFillMode(r.S16(0)); break;
        case 0x0209: c.SetTextColor(r.U32(0)); break;
        case 0x012E: c.SetTextAlign(r.U16(0)); break;
        case 0x020B: c.SetWindowOrg(r.S16(1), r.S16(0)); break;
        case 0x020C: c.SetWindowExt(r.S16(1), r.S16(0)); break;
        case 0x020D: c.SetViewportOrg(r.S16(1), r.S16(0)); break;
        case 0x020E: c.SetViewportExt(r.S16(1), r.S16(0)); break;
        case 0x020F: c.OffsetWindowOrg(r.S16(1), r.S16(0)); break;
        case 0x0410: c.ScaleWindowExt(r.S16(3), r.S16(2), r.S16(1), r.S16(0)); break;
        case 0x0213: c.LineTo(r.S16(1), r.S16(0)); break;
        case 0x0214: c.MoveTo(r.S16(1), r.S16(0)); break;
        case 0x0415: c.ExcludeClipRect(r.S16(3), r.S16(2), r.S16(1), r.S16(0)); break;
        case 0x0416: c.IntersectClipRect(r.S16(3), r.S16(2), r.S16(1), r.S16(0)); break;
        case 0x0418: c.Ellipse(r.S16(3), r.S16(2), r.S16(1), r.S16(0)); break;
        case 0x041B: c.Rectangle(r.S16(3), r.S16(2), r.S16(1), r.S16(0)); break;
        case 0x061C: c.RoundRect(r.S16(5), r.S16(4), r.S16(3), r.S16(2), r.S16(1), r.S16(0)); break;
        case 0x0817: case 0x081A: case 0x0830:
            c.Arc(fn == 0x0817 ? 0 : fn == 0x081A ? 1 : 2, r.S16(7), r.S16(6), r.S16(5), r.S16(4), r.S16(3), r.S16(2),
                  r.S16(1), r.S16(0));
            break;
        case 0x001E: c.Save(); break;
        case 0x0127: c.Restore(r.S16(0)); break;
        case 0x0324: case 0x0325: {
            const auto pts = Points(r, 1, r.U16(0));
            if (fn == 0x0324) c.Polygon(pts);
            else c.Polyline(pts);
            break;
        }
        case 0x0538: {
            const size_t n = r.U16(0);
            if (1 + n > r.Words()) break;
            std::vector<std::vector<MetafileCanvas::PointD>> polys;
            size_t at = 1 + n;
            for (size_t i = 0; i < n; ++i) {
                const size_t count = r.U16(1 + i);
                auto pts = Points(r, at, count);
                if (pts.size() != count) break;
                polys.push_back(std::move(pts));
                at += count * 2;
            }
            c.PolyPolygon(polys);
            break;
        }
        case 0x0521: { // TextOut: count, text (padded), y, x
            const size_t n = r.U16(0);
            const size_t textWords = (n + 1) / 2;
            if (1 + textWords + 2 > r.Words()) break;
            c.TextOut(r.S16(2 + textWords), r.S16(1 + textWords), Latin1(r.p + 2, n), false, nullptr);
            break;
        }
        case 0x0A32: { // ExtTextOut: y, x, count, options, [rect], text
            const int y = r.S16(0), x = r.S16(1);
            const size_t n = r.U16(2);
            const uint32_t options = r.U16(3);
            size_t at = 4;
            double rect[4];
            const bool hasRect = options & 0x0006;
            if (hasRect) {
                for (int i = 0; i < 4; ++i) rect[i] = r.S16(at + i);
                at += 4;
            }
            if (at * 2 + n > r.n) break;
            c.TextOut(x, y, Latin1(r.p + at * 2, n), options & 0x0002, hasRect ? rect : nullptr);
            break;
        }
        case 0x012D: c.SelectObject(r.U16(0)); break;
        case 0x01F0: c.DeleteObject(r.U16(0)); break;
        case 0x02FA: case 0x02FC: case 0x02FB: case 0x00F7: case 0x06FF: case 0x01F9: case 0x0142: {
            // Every created object takes the first free slot, also the kinds not drawn with.
            const int slot = c.FreeSlot();
            if (slot < 0) break;
            MetafileCanvas::Object o;
            if (fn == 0x02FA) {
                o.kind = MetafileCanvas::Object::Kind::Pen;
                o.pen = {static_cast<int>(r.U16(0)), static_cast<double>(r.S16(1)), r.U32(3)};
            } else if (fn == 0x02FC) {
                o.kind = MetafileCanvas::Object::Kind::Brush;
                o.brush = {static_cast<int>(r.U16(0)), r.U32(1), static_cast<int>(r.U16(3))};
            } else if (fn == 0x02FB) {
                o.kind = MetafileCanvas::Object::Kind::Font;
                o.font.lfHeight = r.S16(0);
                o.font.lfWidth = r.S16(1);
                o.font.lfEscapement = r.S16(2);
                o.font.lfOrientation = r.S16(3);
                o.font.lfWeight = r.S16(4);
                o.font.lfItalic = static_cast<BYTE>(r.U16(5) & 0xFF);
                const size_t faceAt = 18;
                const size_t faceLen = r.n > faceAt ? std::min<size_t>(r.n - faceAt, LF_FACESIZE - 1) : 0;
                std::memset(o.font.lfFaceName, 0, sizeof(o.font.lfFaceName));
                const std::string face = Latin1(r.p + faceAt, faceLen);
                std::strncpy(o.font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
            } else if (fn == 0x0142 || fn == 0x01F9) {
                // Pattern brushes are drawn as a mid grey.
                o.kind = MetafileCanvas::Object::Kind::Brush;
                o.brush = {0, RGB(128, 128, 128), 0};
            } else {
                o.kind = MetafileCanvas::Object::Kind::Other;
            }
            c.PutObject(static_cast<uint32_t>(slot), o);
            break;
        }
        case 0x041D: // PatBlt: rop, height, width, y, x
            c.StretchDib(r.S16(5), r.S16(4), r.S16(3), r.S16(2), 0, 0, 0, 0, nullptr, 0, 0, r.U32(0));
            break;
        case 0x0F43: { // StretchDIB: rop, usage, srcH, srcW, srcY, srcX, destH, destW, destY, destX, DIB
            const uint8_t* dib;
            size_t bytes, bits;
            if (!Dib(r, 11, dib, bytes, bits)) break;
            c.StretchDib(r.S16(10), r.S16(9), r.S16(8), r.S16(7), r.S16(6), r.S16(5), r.S16(4), r.S16(3), dib, bytes, bits,
                         r.U32(0));
            break;
        }
        case 0x0B41: case 0x0940: { // DIBStretchBlt / DIBBitBlt
            const bool stretch = fn == 0x0B41;
            const size_t base = stretch ? 10 : 8;
            if (r.Words() == base + 1) {
                // Without a bitmap a reserved word comes before the destination, and the raster
                // operation works on the destination alone.
                const size_t x = stretch ? 10 : 8;
                c.StretchDib(r.S16(x), r.S16(x - 1), r.S16(x - 2), r.S16(x - 3), 0, 0, 0, 0, nullptr, 0, 0, r.U32(0));
                break;
            }
            const uint8_t* dib;
            size_t bytes, bits;
            if (!Dib(r, base, dib, bytes, bits)) break;
            if (stretch)
                c.StretchDib(r.S16(9), r.S16(8), r.S16(7), r.S16(6), r.S16(5), r.S16(4), r.S16(3), r.S16(2), dib, bytes, bits,
                             r.U32(0), false);
            else
                c.StretchDib(r.S16(7), r.S16(6), r.S16(5), r.S16(4), r.S16(3), r.S16(2), r.S16(5), r.S16(4), dib, bytes, bits,
                             r.U32(0), false);
            break;
        }
        default: break; // palettes, escapes, modes without a drawn effect
        }
    }
    return true;
}
