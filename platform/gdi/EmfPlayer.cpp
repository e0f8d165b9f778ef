#include "platform/gdi/EmfPlayer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/MetafileCanvas.h"
#include "platform/win/TextConv.h"

namespace {

// One record, read with bounds: a read past it gives 0.
struct Rec {
    const uint8_t* p;
    size_t n;
    uint32_t U32(size_t o) const {
        return o + 4 <= n ? static_cast<uint32_t>(p[o] | (p[o + 1] << 8) | (p[o + 2] << 16) | (static_cast<uint32_t>(p[o + 3]) << 24)) : 0;
    }
    int32_t S32(size_t o) const { return static_cast<int32_t>(U32(o)); }
    int S16(size_t o) const { return o + 2 <= n ? static_cast<int16_t>(p[o] | (p[o + 1] << 8)) : 0; }
    double F32(size_t o) const {
        const uint32_t v = U32(o);
        float f;
        std::memcpy(&f, &v, 4);
        return f;
    }
};

using Pts = std::vector<MetafileCanvas::PointD>;

// count points from byte o, 16 or 32 bits a coordinate; empty when they pass the record.
Pts Points(const Rec& r, size_t o, uint64_t count, bool small) {
    Pts pts;
    const uint64_t size = small ? 4 : 8;
    if (o > r.n || count > (r.n - o) / size) return pts;
    pts.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i) {
        const size_t at = o + static_cast<size_t>(i * size);
        pts.push_back(small ? MetafileCanvas::PointD{double(r.S16(at)), double(r.S16(at + 2))}
                            : MetafileCanvas::PointD{double(r.S32(at)), double(r.S32(at + 4))});
    }
    return pts;
}

// A DIB given by offsets inside the record: false when any part lies outside it.
bool Dib(const Rec& r, uint32_t offBmi, uint32_t cbBmi, uint32_t offBits, uint32_t cbBits, const uint8_t*& dib,
         size_t& bytes, size_t& bitsOffset) {
    if (cbBmi < 12 || offBmi > r.n || cbBmi > r.n - offBmi || offBits < offBmi || offBits > r.n ||
        cbBits > r.n - offBits)
        return false;
    dib = r.p + offBmi;
    bytes = static_cast<size_t>(offBits - offBmi) + cbBits;
    bitsOffset = offBits - offBmi;
    return true;
}

void PolyPoly(MetafileCanvas& c, const Rec& r, bool small, bool closed) {
    const uint32_t n = r.U32(24), total = r.U32(28);
    if (n == 0 || n > (r.n - std::min<size_t>(r.n, 32)) / 4) return;
    const size_t pointsAt = 32 + static_cast<size_t>(n) * 4;
    const Pts all = Points(r, pointsAt, total, small);
    if (all.size() != total) return;
    std::vector<Pts> polys;
    size_t at = 0;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t count = r.U32(32 + static_cast<size_t>(i) * 4);
        if (count > all.size() - at) return;
        polys.emplace_back(all.begin() + static_cast<long>(at), all.begin() + static_cast<long>(at + count));
        at += count;
    }
    if (closed) {
        c.PolyPolygon(polys);
    } else {
        for (const Pts& p : polys) c.Polyline(p);
    }
}

} // namespace

bool EmfPlayer::ReadHeader(const uint8_t* data, size_t size, Header& h) {
    if (!data || size < 88) return false;
    const Rec r{data, size};
    if (r.U32(0) != 1 || r.U32(40) != 0x464D4520) return false;
    const uint32_t recordSize = r.U32(4);
    h.bytes = r.U32(48);
    if (recordSize < 88 || recordSize > size || h.bytes < recordSize || h.bytes > size) return false;
    h.bounds = {r.S32(8), r.S32(12), r.S32(16), r.S32(20)};
    h.frame = {r.S32(24), r.S32(28), r.S32(32), r.S32(36)};
    h.handles = r.U32(56) & 0xFFFF;
    h.palEntries = r.U32(68);
    h.device[0] = r.S32(72);
    h.device[1] = r.S32(76);
    h.millimetres[0] = r.S32(80);
    h.millimetres[1] = r.S32(84);
    return true;
}

bool EmfPlayer::Play(const uint8_t* data, size_t size, MetafileCanvas& c) {
    Header h;
    if (!ReadHeader(data, size, h)) return false;
    size = h.bytes;
    // The picture is the bounds rectangle, right - left by bottom - top.
    c.SetDeviceFrame(h.bounds.left, h.bounds.top, h.bounds.right, h.bounds.bottom);
    if (h.device[0] > 0 && h.device[1] > 0 && h.millimetres[0] > 0 && h.millimetres[1] > 0)
        c.SetDeviceMillimetres(double(h.millimetres[0]) / h.device[0], double(h.millimetres[1]) / h.device[1]);
    c.SetObjectSlots(std::max<uint32_t>(h.handles, 1));

    size_t pos = 0;
    while (pos + 8 <= size) {
        const Rec head{data + pos, size - pos};
        const uint32_t type = head.U32(0), n = head.U32(4);
        // Records of fewer than 8 bytes, of an odd length or past the end stop the playing.
        if (n < 8 || n % 4 != 0 || n > size - pos) break;
        const Rec r{data + pos, n};
        pos += n;
        if (type == 14) break;
        switch (type) {
        case 2: case 3: case 4: case 5: case 6: case 85: case 86: case 87: case 88: case 89: {
            const bool small = type >= 85;
            const uint32_t kind = small ? type - 83 : type; // 16-bit kinds mirror 2..6
            const Pts pts = Points(r, 28, r.U32(24), small);
            if (pts.size() != r.U32(24)) break;
            switch (kind) {
            case 2: c.PolyBezier(pts, false); break;
            case 3: c.Polygon(pts); break;
            case 4: c.Polyline(pts); break;
            case 5: c.PolyBezier(pts, true); break;
            default: c.Polyline(pts, true); break;
            }
            break;
        }
        case 7: case 90: PolyPoly(c, r, type == 90, false); break;
        case 8: case 91: PolyPoly(c, r, type == 91, true); break;
        case 9: c.SetWindowExt(r.S32(8), r.S32(12)); break;
        case 10: c.SetWindowOrg(r.S32(8), r.S32(12)); break;
        case 11: c.SetViewportExt(r.S32(8), r.S32(12)); break;
        case 12: c.SetViewportOrg(r.S32(8), r.S32(12)); break;
        case 17: c.SetMapMode(r.S32(8)); break;
        case 18: c.SetBkMode(r.S32(8)); break;
        case 19: c.SetPolyFillMode(r.S32(8)); break;
        case 22: c.SetTextAlign(r.U32(8)); break;
        case 24: c.SetTextColor(r.U32(8)); break;
        case 25: c.SetBkColor(r.U32(8)); break;
        case 27: c.MoveTo(r.S32(8), r.S32(12)); break;
        case 29: c.ExcludeClipRect(r.S32(8), r.S32(12), r.S32(16), r.S32(20)); break;
        case 30: c.IntersectClipRect(r.S32(8), r.S32(12), r.S32(16), r.S32(20)); break;
        case 32: c.ScaleWindowExt(r.S32(8), r.S32(12), r.S32(16), r.S32(20)); break;
        case 33: c.Save(); break;
        case 34: c.Restore(r.S32(8)); break;
        case 35: case 36: {
            const double m[6] = {r.F32(8), r.F32(12), r.F32(16), r.F32(20), r.F32(24), r.F32(28)};
            c.ModifyWorldTransform(m, type == 35 ? 4 : static_cast<int>(r.U32(32)));
            break;
        }
        case 37: {
            const uint32_t ih = r.U32(8);
            if (ih & 0x80000000u) c.SelectStock(ih & 0x7FFFFFFFu);
            else c.SelectObject(ih);
            break;
        }
        case 38: case 95: case 39: case 82: case 93: case 94: case 49: {
            MetafileCanvas::Object o;
            if (type == 38) {
                o.kind = MetafileCanvas::Object::Kind::Pen;
                o.pen = {static_cast<int>(r.U32(12)), double(r.S32(16)), r.U32(24)};
            } else if (type == 95) {
                o.kind = MetafileCanvas::Object::Kind::Pen;
                o.pen = {static_cast<int>(r.U32(28)), double(r.U32(32)), r.U32(40)};
            } else if (type == 39) {
                o.kind = MetafileCanvas::Object::Kind::Brush;
                o.brush = {static_cast<int>(r.U32(12)), r.U32(16), static_cast<int>(r.U32(20))};
            } else if (type == 82) {
                o.kind = MetafileCanvas::Object::Kind::Font;
                o.font.lfHeight = r.S32(12);
                o.font.lfWidth = r.S32(16);
                o.font.lfEscapement = r.S32(20);
                o.font.lfOrientation = r.S32(24);
                o.font.lfWeight = r.S32(28);
                o.font.lfItalic = r.n > 32 ? r.p[32] : 0;
                const size_t faceBytes = r.n > 40 ? std::min<size_t>(r.n - 40, 64) : 0;
                size_t len = 0;
                while (len + 1 < faceBytes && (r.p[40 + len] || r.p[41 + len])) len += 2;
                const std::string face = TruncateUtf8Bytes(Utf16LeToUtf8(r.p + 40, len), LF_FACESIZE - 1);
                std::memset(o.font.lfFaceName, 0, sizeof(o.font.lfFaceName));
                std::memcpy(o.font.lfFaceName, face.data(), face.size());
            } else if (type == 93 || type == 94) {
                o.kind = MetafileCanvas::Object::Kind::Brush;
                o.brush = {0, RGB(128, 128, 128), 0}; // pattern brushes as a mid grey
            } else {
                o.kind = MetafileCanvas::Object::Kind::Other;
            }
            c.PutObject(r.U32(8), o);
            break;
        }
        case 40: c.DeleteObject(r.U32(8)); break;
        case 42: c.Ellipse(r.S32(8), r.S32(12), r.S32(16), r.S32(20)); break;
        case 43: c.Rectangle(r.S32(8), r.S32(12), r.S32(16), r.S32(20)); break;
        case 44: c.RoundRect(r.S32(8), r.S32(12), r.S32(16), r.S32(20), r.S32(24), r.S32(28)); break;
        case 45: case 46: case 47:
            c.Arc(type == 45 ? 0 : type == 47 ? 1 : 2, r.S32(8), r.S32(12), r.S32(16), r.S32(20), r.S32(24), r.S32(28),
                  r.S32(32), r.S32(36));
            break;
        case 54: c.LineTo(r.S32(8), r.S32(12)); break;
        case 59: c.BeginPath(); break;
        case 60: c.EndPath(); break;
        case 61: c.CloseFigure(); break;
        case 62: c.FillPath(); break;
        case 63: c.StrokeAndFillPath(); break;
        case 64: c.StrokePath(); break;
        case 68: c.AbortPath(); break;
        case 75: // ExtSelectClipRgn: a copy of no region resets the clip
            if (r.U32(12) == 5 && r.U32(8) == 0) c.ResetClip();
            break;
        case 83: case 84: { // ExtTextOutA / W
            const uint32_t chars = r.U32(44), off = r.U32(48), options = r.U32(52);
            const uint64_t bytes = static_cast<uint64_t>(chars) * (type == 84 ? 2 : 1);
            if (off > r.n || bytes > r.n - off) break;
            std::string text;
            if (type == 84) {
                text = Utf16LeToUtf8(r.p + off, static_cast<size_t>(bytes));
            } else {
                for (size_t i = 0; i < bytes; ++i) {
                    const uint8_t b = r.p[off + i];
                    if (b < 0x80) text += static_cast<char>(b);
                    else text += {static_cast<char>(0xC0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
                }
            }
            const double rect[4] = {double(r.S32(56)), double(r.S32(60)), double(r.S32(64)), double(r.S32(68))};
            c.TextOut(r.S32(36), r.S32(40), text, options & 0x0002, (options & 0x0006) ? rect : nullptr);
            break;
        }
        case 81: { // StretchDIBits
            const uint8_t* dib;
            size_t bytes, bits;
            if (!Dib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), dib, bytes, bits)) {
                c.StretchDib(r.S32(24), r.S32(28), r.S32(72), r.S32(76), 0, 0, 0, 0, nullptr, 0, 0, r.U32(68));
                break;
            }
            c.StretchDib(r.S32(24), r.S32(28), r.S32(72), r.S32(76), r.S32(32), r.S32(36), r.S32(40), r.S32(44), dib, bytes,
                         bits, r.U32(68));
            break;
        }
        case 76: case 77: { // BitBlt / StretchBlt
            const bool stretch = type == 77;
            const int w = r.S32(32), hgt = r.S32(36);
            const uint8_t* dib;
            size_t bytes, bits;
            if (!Dib(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96), dib, bytes, bits)) {
                c.StretchDib(r.S32(24), r.S32(28), w, hgt, 0, 0, 0, 0, nullptr, 0, 0, r.U32(40));
                break;
            }
            c.StretchDib(r.S32(24), r.S32(28), w, hgt, r.S32(44), r.S32(48), stretch ? r.S32(100) : w,
                         stretch ? r.S32(104) : hgt, dib, bytes, bits, r.U32(40), false);
            break;
        }
        case 80: { // SetDIBitsToDevice: the source drawn unscaled
            const uint8_t* dib;
            size_t bytes, bits;
            if (!Dib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), dib, bytes, bits)) break;
            const int w = r.S32(40), hgt = r.S32(44);
            c.StretchDib(r.S32(24), r.S32(28), w, hgt, r.S32(32), r.S32(36), w, hgt, dib, bytes, bits, 0x00CC0020);
            break;
        }
        default: break; // comments (EMF+ included), palettes, modes without a drawn effect
        }
    }
    return true;
}
