#include "imagelib/codecs/PixExifInfo.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include "imagelib/codecs/CodecBytes.h"

namespace {

// Sub-directories nest at most a few levels in real files (main, EXIF, interoperability, and the
// chain to the thumbnail directory); anything deeper is treated as damage and not followed.
constexpr int kMaxDirDepth = 8;

constexpr uint32_t kBytesPerFormat[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

enum Format {
    FMT_BYTE = 1, FMT_STRING, FMT_USHORT, FMT_ULONG, FMT_URATIONAL, FMT_SBYTE, FMT_UNDEFINED,
    FMT_SSHORT, FMT_SLONG, FMT_SRATIONAL, FMT_SINGLE, FMT_DOUBLE
};

enum Tag : int {
    TAG_MAKE = 0x010F, TAG_MODEL = 0x0110, TAG_ORIENTATION = 0x0112, TAG_XRESOLUTION = 0x011A,
    TAG_YRESOLUTION = 0x011B, TAG_RESOLUTIONUNIT = 0x0128, TAG_THUMBNAIL_OFFSET = 0x0201,
    TAG_THUMBNAIL_LENGTH = 0x0202, TAG_EXPOSURETIME = 0x829A, TAG_FNUMBER = 0x829D,
    TAG_EXIF_OFFSET = 0x8769, TAG_EXPOSURE_PROGRAM = 0x8822, TAG_ISO_EQUIVALENT = 0x8827,
    TAG_EXIF_VERSION = 0x9000, TAG_DATETIME_ORIGINAL = 0x9003, TAG_COMPRESSION_LEVEL = 0x9102,
    TAG_SHUTTERSPEED = 0x9201, TAG_APERTURE = 0x9202, TAG_BRIGHTNESS = 0x9203,
    TAG_EXPOSURE_BIAS = 0x9204, TAG_MAXAPERTURE = 0x9205, TAG_SUBJECT_DISTANCE = 0x9206,
    TAG_METERING_MODE = 0x9207, TAG_LIGHT_SOURCE = 0x9208, TAG_FLASH = 0x9209,
    TAG_FOCALLENGTH = 0x920A, TAG_USERCOMMENT = 0x9286, TAG_EXIF_IMAGEWIDTH = 0xA002,
    TAG_EXIF_IMAGELENGTH = 0xA003, TAG_INTEROP_OFFSET = 0xA005, TAG_FOCALPLANEXRES = 0xA20E,
    TAG_FOCALPLANEYRES = 0xA20F, TAG_FOCALPLANEUNITS = 0xA210
};

// Numbers from a file may be anything: clamp before narrowing so no conversion is undefined.
int32_t ToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}
float ToFloat(double v) {
    if (std::isnan(v)) return 0.0f;
    const double m = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -m, m));
}

// Factor by which a value per unit becomes a value per inch when divided; false for unknown units.
bool UnitFactor(int unit, float& factor) {
    switch (unit) {
    case 1: case 2: factor = 1.0f; return true;
    case 3: factor = 0.3937007874f; return true;
    case 4: factor = 0.03937f; return true;
    case 5: factor = 0.0000394f; return true;
    default: return false;
    }
}

// Copies at most limit characters of a value of byteCount bytes, stopping at a NUL.
template <size_t N>
void CopyValueText(char (&dst)[N], const uint8_t* value, uint32_t byteCount, size_t limit) {
    size_t n = std::min<size_t>({limit, byteCount, N - 1});
    size_t i = 0;
    for (; i < n && value[i] != 0; ++i) dst[i] = static_cast<char>(value[i]);
    dst[i] = '\0';
}

} // namespace

CPixImageJPG::CPixExifInfo::CPixExifInfo(tag_ExifInfo* info)
    : m_pExifInfo(info), m_szLastError{}, m_ExifImageWidth(0), m_MotorolaOrder(false) {
    if (!m_pExifInfo) {
        m_OwnedRecord = std::make_unique<tag_ExifInfo>();
        std::memset(m_OwnedRecord.get(), 0, sizeof(tag_ExifInfo));
        m_pExifInfo = m_OwnedRecord.get();
    }
}

CPixImageJPG::CPixExifInfo::CPixExifInfo(const CPixExifInfo& src)
    : m_pExifInfo(nullptr), m_szLastError{}, m_ExifImageWidth(0), m_MotorolaOrder(false) {
    m_OwnedRecord = std::make_unique<tag_ExifInfo>();
    std::memset(m_OwnedRecord.get(), 0, sizeof(tag_ExifInfo));
    m_pExifInfo = m_OwnedRecord.get();
    CopyFrom(src);
}

CPixImageJPG::CPixExifInfo& CPixImageJPG::CPixExifInfo::operator=(const CPixExifInfo& src) {
    if (this != &src) CopyFrom(src);
    return *this;
}

CPixImageJPG::CPixExifInfo::~CPixExifInfo() = default;

// Copies everything; this reader keeps filling its own record, which receives src's values, and a
// thumbnail pointer is moved to the same place in the copied sections.
void CPixImageJPG::CPixExifInfo::CopyFrom(const CPixExifInfo& src) {
    std::memcpy(m_szLastError, src.m_szLastError, sizeof(m_szLastError));
    m_ExifImageWidth = src.m_ExifImageWidth;
    m_MotorolaOrder = src.m_MotorolaOrder;
    m_Sections = src.m_Sections;
    if (m_pExifInfo != src.m_pExifInfo) {
        *m_pExifInfo = *src.m_pExifInfo;
        const uint8_t* thumb = src.m_pExifInfo->ThumbnailPointer;
        m_pExifInfo->ThumbnailPointer = nullptr;
        for (size_t i = 0; thumb && i < src.m_Sections.size(); ++i) {
            const auto& d = src.m_Sections[i].data;
            if (!d.empty() && thumb >= d.data() && thumb < d.data() + d.size())
                m_pExifInfo->ThumbnailPointer = m_Sections[i].data.data() + (thumb - d.data());
        }
    }
}

bool CPixImageJPG::CPixExifInfo::Fail(const char* text) {
    codecbytes::CopyText(m_szLastError, text);
    return false;
}

int CPixImageJPG::CPixExifInfo::Get16m(const uint8_t* p) const { return codecbytes::Be16(p); }

int CPixImageJPG::CPixExifInfo::Get16u(const uint8_t* p) const {
    return m_MotorolaOrder ? codecbytes::Be16(p) : codecbytes::Le16(p);
}

uint32_t CPixImageJPG::CPixExifInfo::Get32u(const uint8_t* p) const {
    return m_MotorolaOrder ? codecbytes::Be32(p) : codecbytes::Le32(p);
}

int32_t CPixImageJPG::CPixExifInfo::Get32s(const uint8_t* p) const {
    return static_cast<int32_t>(Get32u(p));
}

double CPixImageJPG::CPixExifInfo::ConvertAnyFormat(const uint8_t* v, int format) const {
    switch (format) {
    case FMT_SBYTE: return static_cast<int8_t>(v[0]);
    case FMT_BYTE: return v[0];
    case FMT_USHORT: return Get16u(v);
    case FMT_SSHORT: return static_cast<int16_t>(Get16u(v));
    case FMT_ULONG: return Get32u(v);
    case FMT_SLONG: return Get32s(v);
    case FMT_URATIONAL: {
        const uint32_t den = Get32u(v + 4);
        return den == 0 ? 0.0 : static_cast<double>(Get32u(v)) / den;
    }
    case FMT_SRATIONAL: {
        const int32_t den = Get32s(v + 4);
        return den == 0 ? 0.0 : static_cast<double>(Get32s(v)) / den;
    }
    case FMT_SINGLE: return std::bit_cast<float>(Get32u(v));
    case FMT_DOUBLE: {
        const uint64_t a = Get32u(v), b = Get32u(v + 4);
        return std::bit_cast<double>(m_MotorolaOrder ? (a << 32) | b : (b << 32) | a);
    }
    default: return 0.0;
    }
}

const uint8_t* CPixImageJPG::CPixExifInfo::FindSection(int sectionType) const {
    for (size_t i = 0; i + 1 < m_Sections.size(); ++i)
        if (m_Sections[i].type == sectionType) return m_Sections[i].data.data();
    return nullptr;
}

void CPixImageJPG::CPixExifInfo::DiscardAllButExif() {
    std::vector<Section> kept;
    for (int want : {0xE1, 0xFE}) {
        for (auto& s : m_Sections) {
            if (s.type == want) {
                kept.push_back(std::move(s));
                break;
            }
        }
    }
    m_Sections = std::move(kept);
}

bool CPixImageJPG::CPixExifInfo::DecodeExif(CPixFile* hFile, int nReadMode) {
    if (!hFile) return false;
    if (hFile->GetC() != 0xFF || hFile->GetC() != 0xD8) return false;
    bool haveCom = false;
    for (;;) {
        if (m_Sections.size() >= kMaxSections) return Fail("Too many sections in jpg file");

        long marker = 0;
        for (int a = 0;; ++a) {
            marker = hFile->GetC();
            if (marker < 0) return Fail("Premature end of file?");
            if (marker != 0xFF) break;
            if (a >= 6) return Fail("too many padding bytes!");
        }

        const long lh = hFile->GetC();
        const long ll = hFile->GetC();
        if (lh < 0 || ll < 0) return Fail("Premature end of file?");
        const uint32_t itemlen = static_cast<uint32_t>((lh << 8) | ll);
        if (itemlen < 2) return Fail("invalid marker");

        Section sec;
        try {
            sec.data.resize(itemlen);
        } catch (const std::bad_alloc&) {
            return Fail("Could not allocate memory");
        }
        sec.data[0] = static_cast<uint8_t>(lh);
        sec.data[1] = static_cast<uint8_t>(ll);
        sec.type = static_cast<int>(marker);
        sec.size = itemlen;
        if (hFile->Read(sec.data.data() + 2, 1, itemlen - 2) != itemlen - 2) return Fail("Premature end of file?");
        m_Sections.push_back(std::move(sec));
        Section& s = m_Sections.back();

        switch (marker) {
        case 0xDA: // start of scan: the compressed data follows
            if (nReadMode & kReadAll) {
                if (m_Sections.size() >= kMaxSections) return Fail("Too many sections in jpg file");
                const long cur = hFile->Tell();
                const long end = hFile->Size();
                if (cur < 0 || end < cur) return Fail("could not read the rest of the image");
                Section rest;
                const size_t size = static_cast<size_t>(end - cur);
                try {
                    rest.data.resize(size);
                } catch (const std::bad_alloc&) {
                    return Fail("could not allocate data for entire image");
                }
                if (hFile->Read(rest.data.data(), 1, size) != size) return Fail("could not read the rest of the image");
                rest.type = kImageData;
                rest.size = static_cast<uint32_t>(size);
                m_Sections.push_back(std::move(rest));
            }
            return true;
        case 0xD9: // end of image before any scan
            std::printf("No image in jpeg!\n");
            return false;
        case 0xFE:
            if (haveCom || !(nReadMode & kReadExif)) {
                m_Sections.pop_back();
            } else {
                process_COM(s.data.data(), itemlen);
                haveCom = true;
            }
            break;
        case 0xE0: // JFIF: rebuilt by the encoder, not kept
            m_Sections.pop_back();
            break;
        case 0xE1:
            if ((nReadMode & kReadExif) && itemlen >= 6 && std::memcmp(s.data.data() + 2, "Exif", 4) == 0) {
                m_pExifInfo->IsExif = process_EXIF(s.data.data(), itemlen);
            } else {
                m_Sections.pop_back();
            }
            break;
        case 0xC0: case 0xC1: case 0xC2: case 0xC3: case 0xC5: case 0xC6: case 0xC7:
        case 0xC9: case 0xCA: case 0xCB: case 0xCD: case 0xCE: case 0xCF:
            process_SOFn(s.data.data(), itemlen, static_cast<int>(marker));
            break;
        default:
            break;
        }
    }
}

bool CPixImageJPG::CPixExifInfo::EncodeExif(CPixFile* hFile) {
    if (!FindSection(0xDA)) return Fail("Can't write exif : didn't read all");
    if (!hFile) return Fail("null file handler");
    static const uint8_t kJfif[18] = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01,
                                      0x01, 0x01, 0x01, 0x2C, 0x01, 0x2C, 0x00, 0x00};
    bool ok = hFile->PutC(0xFF) && hFile->PutC(0xD8);
    if (m_Sections[0].type != 0xE1 && m_Sections[0].type != 0xE0)
        ok = ok && hFile->Write(kJfif, 1, sizeof(kJfif)) == sizeof(kJfif);
    for (size_t i = 0; ok && i < m_Sections.size(); ++i) {
        const Section& s = m_Sections[i];
        if (i + 1 < m_Sections.size())
            ok = hFile->PutC(0xFF) && hFile->PutC(static_cast<unsigned char>(s.type));
        if (ok && s.size) ok = hFile->Write(s.data.data(), 1, s.size) == s.size;
    }
    if (!ok) return Fail("Can't write exif");
    return true;
}

void CPixImageJPG::CPixExifInfo::process_COM(const uint8_t* data, uint32_t length) {
    char* comment = m_pExifInfo->Comments;
    const uint32_t limit = std::min<uint32_t>(length, sizeof(m_pExifInfo->Comments));
    size_t nch = 0;
    for (uint32_t a = 2; a < limit; ++a) {
        const int ch = data[a];
        if (ch == '\r' && a + 1 < limit && data[a + 1] == '\n') continue;
        comment[nch++] = (ch >= 32 || ch == '\n' || ch == '\t') && ch < 127 ? static_cast<char>(ch) : '?';
    }
    comment[nch] = '\0';
}

void CPixImageJPG::CPixExifInfo::process_SOFn(const uint8_t* data, uint32_t length, int marker) {
    if (length < 8) return;
    m_pExifInfo->Height = Get16m(data + 3);
    m_pExifInfo->Width = Get16m(data + 5);
    m_pExifInfo->IsColor = data[7] == 3 ? 1 : 0;
    m_pExifInfo->Process = marker;
}

bool CPixImageJPG::CPixExifInfo::process_EXIF(const uint8_t* data, uint32_t length) {
    m_pExifInfo->FlashUsed = 0;
    m_pExifInfo->Comments[0] = '\0';
    m_ExifImageWidth = 0;
    m_VisitedDirs.clear();
    m_InThumbnailDir = false;
    m_MainHasResolution = false;

    static const uint8_t kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (length < 8 || std::memcmp(data + 2, kHeader, 6) != 0) return Fail("Incorrect Exif header");
    if (length < 16) return Fail("Invalid Exif alignment marker.");
    if (data[8] == 'I' && data[9] == 'I')
        m_MotorolaOrder = false;
    else if (data[8] == 'M' && data[9] == 'M')
        m_MotorolaOrder = true;
    else
        return Fail("Invalid Exif alignment marker.");

    // Offsets count from the byte-order field.
    const uint8_t* base = data + 8;
    const uint32_t exifLength = length - 8;
    const uint32_t first = Get32u(data + 12);
    if (Get16u(data + 10) != 0x2A || first < 8 || first >= exifLength) return Fail("Invalid Exif start (1)");

    uint32_t lastRefd = 0;
    if (!ProcessExifDir(first, base, exifLength, m_pExifInfo, &lastRefd, 0)) return false;

    if (m_pExifInfo->FocalplaneXRes != 0)
        m_pExifInfo->CCDWidth = ToFloat(m_ExifImageWidth * static_cast<double>(m_pExifInfo->FocalplaneUnits) /
                                        m_pExifInfo->FocalplaneXRes);
    return true;
}

bool CPixImageJPG::CPixExifInfo::ProcessExifDir(uint32_t dirOffset, const uint8_t* base, uint32_t exifLength,
                                                tag_ExifInfo* pInfo, uint32_t* lastRefd, int depth) {
    if (depth > kMaxDirDepth) return true;
    if (std::find(m_VisitedDirs.begin(), m_VisitedDirs.end(), dirOffset) != m_VisitedDirs.end()) return true;
    m_VisitedDirs.push_back(dirOffset);

    if (static_cast<uint64_t>(dirOffset) + 2 > exifLength) return Fail("Illegally sized directory");
    const uint32_t numEntries = static_cast<uint32_t>(Get16u(base + dirOffset));
    const uint64_t dirEnd = static_cast<uint64_t>(dirOffset) + 2 + 12ull * numEntries;
    if (dirEnd > exifLength) return Fail("Illegally sized directory");

    uint32_t thumbOffset = 0, thumbLength = 0;
    bool haveThumbOffset = false, haveThumbLength = false;

    for (uint32_t de = 0; de < numEntries; ++de) {
        const uint8_t* entry = base + dirOffset + 2 + 12 * de;
        const int tag = Get16u(entry);
        const int format = Get16u(entry + 2);
        const uint32_t components = Get32u(entry + 4);
        if (format < 1 || format > 12) return Fail("Illegal format code in EXIF dir");

        const uint64_t byteCount = static_cast<uint64_t>(components) * kBytesPerFormat[format];
        const uint8_t* value;
        if (byteCount > 4) {
            const uint32_t offsetVal = Get32u(entry + 8);
            if (static_cast<uint64_t>(offsetVal) + byteCount > exifLength)
                return Fail("Illegal pointer offset value in EXIF.");
            value = base + offsetVal;
            *lastRefd = std::max<uint32_t>(*lastRefd, static_cast<uint32_t>(offsetVal + byteCount));
        } else {
            value = entry + 8;
        }
        const uint32_t count = static_cast<uint32_t>(byteCount);
        // A number needs one whole component; an entry with none carries no value.
        const bool hasNumber = components > 0;
        const double number = hasNumber ? ConvertAnyFormat(value, format) : 0.0;

        switch (tag) {
        case TAG_MAKE: CopyValueText(pInfo->CameraMake, value, count, 31); break;
        case TAG_MODEL: CopyValueText(pInfo->CameraModel, value, count, 39); break;
        case TAG_DATETIME_ORIGINAL: CopyValueText(pInfo->DateTime, value, count, 19); break;
        case TAG_EXIF_VERSION: CopyValueText(pInfo->Version, value, count, 4); break;
        case TAG_USERCOMMENT: {
            // Trailing blanks go; an "ASCII" prefix is skipped up to the first real character.
            uint32_t n = count;
            while (n > 0 && value[n - 1] == ' ') --n;
            uint32_t from = 0;
            if (n >= 5 && std::memcmp(value, "ASCII", 5) == 0) {
                from = n; // nothing printable found: empty text
                for (uint32_t a = 5; a < 10 && a < n; ++a) {
                    if (value[a] != 0 && value[a] != ' ') {
                        from = a;
                        break;
                    }
                }
            }
            CopyValueText(pInfo->Comments, value + from, n - from, 199);
            break;
        }
        case TAG_FNUMBER: if (hasNumber) pInfo->ApertureFNumber = ToFloat(number); break;
        case TAG_APERTURE:
        case TAG_MAXAPERTURE:
            if (hasNumber && pInfo->ApertureFNumber == 0)
                pInfo->ApertureFNumber = ToFloat(std::exp(number * std::log(2.0) * 0.5));
            break;
        case TAG_FOCALLENGTH: if (hasNumber) pInfo->FocalLength = ToFloat(number); break;
        case TAG_SUBJECT_DISTANCE: if (hasNumber) pInfo->Distance = ToFloat(number); break;
        case TAG_EXPOSURETIME: if (hasNumber) pInfo->ExposureTime = ToFloat(number); break;
        case TAG_SHUTTERSPEED:
            if (hasNumber && pInfo->ExposureTime == 0)
                pInfo->ExposureTime = ToFloat(1.0 / std::exp(number * std::log(2.0)));
            break;
        case TAG_FLASH: if (hasNumber) pInfo->FlashUsed = (ToInt(number) & 7) ? 1 : 0; break;
        case TAG_ORIENTATION:
            if (hasNumber) {
                pInfo->Orientation = ToInt(number);
                if (pInfo->Orientation < 1 || pInfo->Orientation > 8) {
                    codecbytes::CopyText(m_szLastError, "Undefined rotation value");
                    pInfo->Orientation = 0;
                }
            }
            break;
        case TAG_EXIF_IMAGELENGTH:
        case TAG_EXIF_IMAGEWIDTH:
            if (hasNumber) m_ExifImageWidth = std::max(m_ExifImageWidth, ToInt(number));
            break;
        case TAG_FOCALPLANEXRES: if (hasNumber) pInfo->FocalplaneXRes = ToFloat(number); break;
        case TAG_FOCALPLANEYRES: if (hasNumber) pInfo->FocalplaneYRes = ToFloat(number); break;
        case TAG_FOCALPLANEUNITS: if (hasNumber) UnitFactor(ToInt(number), pInfo->FocalplaneUnits); break;
        case TAG_RESOLUTIONUNIT:
        case TAG_XRESOLUTION:
        case TAG_YRESOLUTION:
            if (!hasNumber || (m_InThumbnailDir && m_MainHasResolution)) break;
            if (!m_InThumbnailDir) m_MainHasResolution = true;
            if (tag == TAG_RESOLUTIONUNIT)
                UnitFactor(ToInt(number), pInfo->ResolutionUnit);
            else
                (tag == TAG_XRESOLUTION ? pInfo->Xresolution : pInfo->Yresolution) = ToFloat(number);
            break;
        case TAG_BRIGHTNESS: if (hasNumber) pInfo->Brightness = ToFloat(number); break;
        case TAG_EXPOSURE_BIAS: if (hasNumber) pInfo->ExposureBias = ToFloat(number); break;
        case TAG_METERING_MODE: if (hasNumber) pInfo->MeteringMode = ToInt(number); break;
        case TAG_LIGHT_SOURCE: if (hasNumber) pInfo->LightSource = ToInt(number); break;
        case TAG_EXPOSURE_PROGRAM: if (hasNumber) pInfo->ExposureProgram = ToInt(number); break;
        case TAG_COMPRESSION_LEVEL: if (hasNumber) pInfo->CompressionLevel = ToInt(number); break;
        case TAG_ISO_EQUIVALENT:
            if (hasNumber) {
                pInfo->ISOequivalent = ToInt(number);
                if (pInfo->ISOequivalent < 50) pInfo->ISOequivalent = ToInt(pInfo->ISOequivalent * 200.0);
            }
            break;
        case TAG_THUMBNAIL_OFFSET:
            if (hasNumber) {
                thumbOffset = static_cast<uint32_t>(ToInt(number));
                haveThumbOffset = true;
            }
            break;
        case TAG_THUMBNAIL_LENGTH:
            if (hasNumber) {
                thumbLength = static_cast<uint32_t>(ToInt(number));
                haveThumbLength = true;
            }
            break;
        case TAG_EXIF_OFFSET:
        case TAG_INTEROP_OFFSET: {
            if (count < 4) break;
            const uint32_t sub = Get32u(value);
            if (sub >= exifLength) return Fail("Illegal subdirectory link");
            if (!ProcessExifDir(sub, base, exifLength, pInfo, lastRefd, depth + 1)) return false;
            break;
        }
        default:
            break;
        }
    }

    // The next directory in the chain (where the thumbnail directory lies).
    if (dirEnd + 4 <= exifLength) {
        const uint32_t next = Get32u(base + dirEnd);
        if (next) {
            if (next >= exifLength) return Fail("Illegal subdirectory link");
            const bool wasThumbnail = m_InThumbnailDir;
            m_InThumbnailDir = true;
            const bool ok = ProcessExifDir(next, base, exifLength, pInfo, lastRefd, depth + 1);
            m_InThumbnailDir = wasThumbnail;
            if (!ok) return false;
        }
    }

    if (haveThumbOffset && haveThumbLength && thumbLength > 0 &&
        static_cast<uint64_t>(thumbOffset) + thumbLength <= exifLength) {
        pInfo->ThumbnailPointer = base + thumbOffset;
        pInfo->ThumbnailSize = thumbLength;
        *lastRefd = std::max<uint32_t>(*lastRefd, thumbOffset + thumbLength);
    }
    return true;
}
