// Decodes JPEG files (with their EXIF block) from memory, then saves the picture again, which
// rewrites the EXIF block in front of the new data.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzImage.h"
#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixExifInfo.h"
#include "imagelib/codecs/PixImageJPG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzzimage::kMaxInputBytes) return 0;
    {
        // The section reader alone, keeping everything for a rewrite.
        CPixImageJPG::CPixExifInfo reader;
        CPixMemFile in(const_cast<BYTE*>(data), static_cast<DWORD>(size));
        if (reader.DecodeExif(&in, CPixImageJPG::CPixExifInfo::kReadExif | CPixImageJPG::CPixExifInfo::kReadAll)) {
            CPixMemFile out;
            out.Open();
            reader.EncodeExif(&out);
        }
    }
    if (!fuzzimage::SmallEnough(data, size, PIXFORMAT_JPG)) return 0;
    CPixImageJPG img;
    if (size > 0) img.SetJpegScale(static_cast<BYTE>(data[size - 1] & 3)); // also exercise scaling
    fuzzimage::DecodeAndEncode(img, data, size);
    return 0;
}
