// Image object: sharpening by pushing each byte away from a Gaussian blur of the picture.
// Both blur passes run along pixel rows over whole rows at a time; each output byte gets the same
// single-precision sums, in the same order, as blurring one line at a time would give it.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "imagelib/PixImageLoops.h"

namespace {

inline BYTE Rounded(float value)
{
    return static_cast<BYTE>(0.5 + value);
}

// Output bytes of one position r of a line of `count` positions near its ends: only the kernel
// entries over the line count, and the sum is divided by their weight. at(j) gives the byte
// under kernel entry j.
template <class At>
BYTE EdgeValue(const float* kernel, int length, int count, int r, At at)
{
    const int middle = length / 2;
    float scale = 0, sum = 0;
    for (int j = 0; j < length; ++j) {
        const int pos = r + j - middle;
        if (pos < 0 || pos >= count)
            continue;
        scale += kernel[j];
        sum += static_cast<float>(at(j)) * kernel[j];
    }
    return Rounded(sum / scale);
}

} // namespace

int CPixImage::gen_convolve_matrix(float radius, float** cmatrix_p)
{
    const float std = std::fabs(radius) + 1;
    const float r2 = 2 * std;
    const double twoVar = 2.0 * static_cast<double>(std) * static_cast<double>(std);
    // A kernel longer than twice the longer side reaches past every line from every position.
    const int64_t cap = 2 * static_cast<int64_t>(std::max(GetWidth(), GetHeight())) + 1;
    const double want = 2 * std::ceil(static_cast<double>(r2) - 0.5) + 1;
    const int length = static_cast<int>(std::max<double>(1, std::min<double>(want, static_cast<double>(cap))));
    float* k = new (std::nothrow) float[static_cast<size_t>(length)];
    *cmatrix_p = k;
    if (!k)
        return 0;
    const int middle = length / 2;
    for (int i = middle + 1; i < length; ++i) {
        const float base = static_cast<float>(i - middle) - 0.5f;
        double sum = 0;
        for (int j = 1; j <= 50; ++j) {
            const float x = base + 0.02f * j;
            if (x <= r2)
                sum += std::exp(-static_cast<double>(x) * x / twoVar);
        }
        k[i] = static_cast<float>(sum * 0.02);
    }
    for (int i = 0; i < middle; ++i)
        k[i] = k[length - 1 - i];
    double centre = 0;
    for (int j = 0; j <= 50; ++j) {
        const float x = 0.5f + 0.02f * j;
        centre += std::exp(-static_cast<double>(x) * x / twoVar);
    }
    k[middle] = static_cast<float>(centre / 51);
    double total = 0;
    for (int i = 0; i < length; ++i)
        total += k[i];
    for (int i = 0; i < length; ++i)
        k[i] = static_cast<float>(k[i] / total);
    return length;
}

float* CPixImage::gen_lookup_table(float* cmatrix, int cmatrix_length)
{
    float* table = new (std::nothrow) float[static_cast<size_t>(cmatrix_length) * 256];
    if (!table)
        return nullptr;
    for (int i = 0; i < cmatrix_length; ++i)
        for (int v = 0; v < 256; ++v)
            table[i * 256 + v] = static_cast<float>(v) * cmatrix[i];
    return table;
}

void CPixImage::blur_line(float* ctable, float* cmatrix, int cmatrix_length, BYTE* cur_col, BYTE* dest_col, int y,
                          long bytes)
{
    const int length = cmatrix_length, count = y, middle = length / 2;
    for (long i = 0; i < bytes; ++i) {
        auto at = [&](int r) { return [=](int j) { return cur_col[(r + j - middle) * bytes + i]; }; };
        for (int r = 0; r < count; ++r) {
            if (length > count || r < middle || r >= count - middle) {
                dest_col[r * bytes + i] = EdgeValue(cmatrix, length, count, r, at(r));
                continue;
            }
            float sum = 0;
            const BYTE* src = cur_col + (r - middle) * bytes + i;
            for (int j = 0; j < length; ++j, src += bytes)
                sum += ctable[j * 256 + *src];
            dest_col[r * bytes + i] = Rounded(sum);
        }
    }
}

bool CPixImage::UnsharpMask(float radius, float amount, int threshold)
{
    if (!dib || !std::isfinite(radius) || !std::isfinite(amount))
        return false;
    long bpp;
    if (header.biBitCount == 24 && !header.biClrUsed)
        bpp = 3;
    else if (header.biBitCount == 8 && IsGrayScale())
        bpp = 1;
    else
        return false;
    CPixImage copy;
    if (!WorkCopy(copy, true))
        return false;
    float* kernel = nullptr;
    const int length = gen_convolve_matrix(radius, &kernel);
    std::vector<float> acc;
    std::vector<BYTE> blurred;
    const int w = static_cast<int>(GetWidth()), h = static_cast<int>(GetHeight());
    const size_t rowBytes = static_cast<size_t>(w) * static_cast<size_t>(bpp);
    try {
        acc.resize(rowBytes);
        blurred.resize(rowBytes * static_cast<size_t>(h));
    } catch (const std::bad_alloc&) {
        delete[] kernel;
        return false;
    }
    if (!kernel)
        return false;
    const int middle = length / 2;
    const long bytes = bpp;

    // Rows: this image into the copy.
    for (int y = 0; y < h && !info.escape; ++y) {
        info.progress = static_cast<int32_t>(y * 33.3 / h);
        const BYTE* src = GetBits(static_cast<DWORD>(y));
        BYTE* dst = copy.GetBits(static_cast<DWORD>(y));
        for (long i = 0; i < bytes; ++i)
            for (int r = 0; r < w; ++r)
                if (length > w || r < middle || r >= w - middle)
                    dst[r * bytes + i] = EdgeValue(kernel, length, w, r, [&](int j) {
                        return src[(r + j - middle) * bytes + i];
                    });
        if (length > w)
            continue;
        const size_t first = static_cast<size_t>(middle) * bytes, last = static_cast<size_t>(w - middle) * bytes;
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int j = 0; j < length; ++j) {
            const float k = kernel[j];
            const BYTE* s = src + static_cast<ptrdiff_t>(j - middle) * bytes;
            for (size_t p = first; p < last; ++p)
                acc[p] += static_cast<float>(s[p]) * k;
        }
        for (size_t p = first; p < last; ++p)
            dst[p] = Rounded(acc[p]);
    }

    // Columns: the copy into the blurred rows, every column at once.
    for (int r = 0; r < h && !info.escape; ++r) {
        info.progress = static_cast<int32_t>(33.3 + r * 33.3 / h);
        BYTE* out = blurred.data() + static_cast<size_t>(r) * rowBytes;
        if (length > h || r < middle || r >= h - middle) {
            for (size_t p = 0; p < rowBytes; ++p)
                out[p] = EdgeValue(kernel, length, h, r, [&](int j) {
                    return copy.GetBits(static_cast<DWORD>(r + j - middle))[p];
                });
            continue;
        }
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int j = 0; j < length; ++j) {
            const float k = kernel[j];
            const BYTE* s = copy.GetBits(static_cast<DWORD>(r - middle + j));
            for (size_t p = 0; p < rowBytes; ++p)
                acc[p] += static_cast<float>(s[p]) * k;
        }
        for (size_t p = 0; p < rowBytes; ++p)
            out[p] = Rounded(acc[p]);
    }
    delete[] kernel;
    const bool blurDone = !info.escape;

    // Merge: each byte away from its blurred value; a stop leaves the copy as far as it got.
    for (int y = 0; y < h && blurDone && !info.escape; ++y) {
        info.progress = static_cast<int32_t>(66.6 + y * 33.3 / h);
        const BYTE* src = GetBits(static_cast<DWORD>(y));
        const BYTE* blur = blurred.data() + static_cast<size_t>(y) * rowBytes;
        BYTE* dst = copy.GetBits(static_cast<DWORD>(y));
        for (size_t p = 0; p < rowBytes; ++p) {
            int diff = src[p] - blur[p];
            if (std::abs(2 * diff) < threshold)
                diff = 0;
            dst[p] = pixloop::ClampByte(static_cast<double>(src[p] + amount * static_cast<float>(diff)));
        }
    }
    return Transfer(copy);
}
