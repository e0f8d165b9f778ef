// Image object: the two-dimensional discrete Fourier transform of a complex picture held as two
// grey images. Every row and column length is transformed in O(N log N): lengths that are powers
// of two directly, every other length as a convolution of twice the size (chirp z-transform).
#include <cmath>
#include <algorithm>
#include <complex>
#include <new>
#include <vector>

#include "imagelib/PixImageLoops.h"

namespace {

using Complex = std::complex<double>;

// The plain product: no special cases for infinities, which never occur here.
inline Complex Times(const Complex& a, const Complex& b)
{
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// In-place radix-2 transform of one power-of-two length with e^(-i...) roots; conj gives the other sign.
class Radix2 {
public:
    void Init(size_t n)
    {
        n_ = n;
        roots_.resize(n / 2);
        for (size_t k = 0; k < n / 2; ++k)
            roots_[k] = std::polar(1.0, -2 * M_PI * static_cast<double>(k) / static_cast<double>(n));
        reversed_.resize(n);
        for (size_t i = 0, j = 0; i < n; ++i) {
            reversed_[i] = j;
            size_t bit = n >> 1;
            for (; bit && (j & bit); bit >>= 1)
                j ^= bit;
            j |= bit;
        }
    }

    void Forward(Complex* a) const
    {
        for (size_t i = 0; i < n_; ++i)
            if (i < reversed_[i])
                std::swap(a[i], a[reversed_[i]]);
        for (size_t len = 2; len <= n_; len <<= 1) {
            const size_t half = len / 2, step = n_ / len;
            for (size_t i = 0; i < n_; i += len)
                for (size_t k = 0; k < half; ++k) {
                    const Complex t = Times(a[i + k + half], roots_[k * step]);
                    a[i + k + half] = a[i + k] - t;
                    a[i + k] += t;
                }
        }
    }

private:
    size_t n_ = 0;
    std::vector<Complex> roots_;
    std::vector<size_t> reversed_;
};

// The transform of one length and direction: sum of x[n] e^(sign i 2 pi k n / N), divided by N forward.
class LineTransform {
public:
    LineTransform(size_t n, long direction) : n_(n), inverse_(direction != 1)
    {
        if ((n & (n - 1)) == 0) {
            fft_.Init(n);
            return;
        }
        size_t m = 1;
        while (m < 2 * n - 1)
            m <<= 1;
        fft_.Init(m);
        const double sign = inverse_ ? 1.0 : -1.0;
        chirp_.resize(n);
        for (size_t k = 0; k < n; ++k) {
            // k^2 modulo 2N keeps the angle exact for long lines.
            const uint64_t q = (static_cast<uint64_t>(k) * k) % (2 * static_cast<uint64_t>(n));
            chirp_[k] = std::polar(1.0, sign * M_PI * static_cast<double>(q) / static_cast<double>(n));
        }
        filter_.assign(m, Complex{});
        filter_[0] = std::conj(chirp_[0]);
        for (size_t k = 1; k < n; ++k)
            filter_[k] = filter_[m - k] = std::conj(chirp_[k]);
        fft_.Forward(filter_.data());
        work_.resize(m);
    }

    void Run(Complex* x)
    {
        if (chirp_.empty()) {
            RunRadix2(x);
        } else {
            const size_t m = work_.size();
            for (size_t k = 0; k < n_; ++k)
                work_[k] = Times(x[k], chirp_[k]);
            std::fill(work_.begin() + static_cast<ptrdiff_t>(n_), work_.end(), Complex{});
            fft_.Forward(work_.data());
            // The inverse of the product through the forward transform of its conjugate.
            for (size_t k = 0; k < m; ++k)
                work_[k] = std::conj(Times(work_[k], filter_[k]));
            fft_.Forward(work_.data());
            const double scale = 1.0 / static_cast<double>(m);
            for (size_t k = 0; k < n_; ++k)
                x[k] = Times(std::conj(work_[k]) * scale, chirp_[k]);
        }
        if (!inverse_) {
            const double scale = 1.0 / static_cast<double>(n_);
            for (size_t k = 0; k < n_; ++k)
                x[k] *= scale;
        }
    }

private:
    void RunRadix2(Complex* x)
    {
        if (!inverse_) {
            fft_.Forward(x);
            return;
        }
        for (size_t k = 0; k < n_; ++k)
            x[k] = std::conj(x[k]);
        fft_.Forward(x);
        for (size_t k = 0; k < n_; ++k)
            x[k] = std::conj(x[k]);
    }

    size_t n_;
    bool inverse_;
    Radix2 fft_;
    std::vector<Complex> chirp_, filter_, work_;
};

int64_t NextPowerOf2(int64_t v)
{
    int64_t p = 1;
    while (p < v)
        p <<= 1;
    return p;
}

} // namespace

bool CPixImage::IsPowerof2(long x)
{
    return x > 0 && (x & (x - 1)) == 0;
}

bool CPixImage::FFT2(CPixImage* srcReal, CPixImage* srcImag, CPixImage* dstReal, CPixImage* dstImag, long direction,
                     bool bForceFFT, bool bMagnitude)
{
    if ((!srcReal && !srcImag) || (direction != 1 && direction != -1))
        return false;
    CPixImage* first = srcReal ? srcReal : srcImag;
    if (!first->IsValid() || first->GetWidth() == 0 || first->GetHeight() == 0)
        return false;
    int64_t w = first->GetWidth(), h = first->GetHeight();
    if (bForceFFT) {
        w = NextPowerOf2(w);
        h = NextPowerOf2(h);
        if (w > PIXIMAGE_MAX_SIDE || h > PIXIMAGE_MAX_SIDE)
            return false;
    }
    // Both parts are built apart; the targets change only once everything has worked.
    CPixImage* const ins[2] = {srcReal, srcImag};
    CPixImage* const outs[2] = {dstReal, dstImag};
    CPixImage part[2];
    for (int i = 0; i < 2; ++i) {
        CPixImage* source = ins[i] ? ins[i] : outs[i];
        if (!source) {
            // A missing part is zero: the middle grey.
            if (!part[i].Create(static_cast<DWORD>(w), static_cast<DWORD>(h), 8))
                return false;
            part[i].SetGrayPalette();
            part[i].Clear(128);
            continue;
        }
        if (!source->IsValid())
            return false;
        part[i].Copy(*source, true, false, false);
        if (!part[i].IsValid() || (!part[i].IsGrayScale() && !part[i].GrayScale()) ||
            !part[i].Resample(static_cast<long>(w), static_cast<long>(h), 0) || part[i].GetBpp() != 8)
            return false;
    }
    std::vector<Complex> grid, lines;
    try {
        grid.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
        lines.resize(static_cast<size_t>(h) * 16);
    } catch (const std::bad_alloc&) {
        SetLastError("CPixImage::FFT2 can't allocate memory");
        return false;
    }
    for (int64_t j = 0; j < h; ++j) {
        const BYTE* re = part[0].GetBits(static_cast<DWORD>(j));
        const BYTE* im = part[1].GetBits(static_cast<DWORD>(j));
        Complex* row = grid.data() + j * w;
        for (int64_t k = 0; k < w; ++k)
            row[k] = Complex(re[k] - 128.0, im[k] - 128.0);
    }
    LineTransform rows(static_cast<size_t>(w), direction);
    for (int64_t j = 0; j < h; ++j) {
        info.progress = static_cast<int32_t>(50 * j / h);
        if (info.escape)
            return false;
        rows.Run(grid.data() + j * w);
    }
    // Columns in blocks: each grid row gives a block a run of neighbouring elements.
    constexpr int64_t kBlock = 16;
    LineTransform columns(static_cast<size_t>(h), direction);
    for (int64_t k0 = 0; k0 < w; k0 += kBlock) {
        info.progress = static_cast<int32_t>(50 + 50 * k0 / w);
        if (info.escape)
            return false;
        const int64_t n = std::min(kBlock, w - k0);
        for (int64_t j = 0; j < h; ++j)
            for (int64_t b = 0; b < n; ++b)
                lines[static_cast<size_t>(b * h + j)] = grid[static_cast<size_t>(j * w + k0 + b)];
        for (int64_t b = 0; b < n; ++b)
            columns.Run(lines.data() + b * h);
        for (int64_t j = 0; j < h; ++j)
            for (int64_t b = 0; b < n; ++b)
                grid[static_cast<size_t>(j * w + k0 + b)] = lines[static_cast<size_t>(b * h + j)];
    }
    double g = std::pow(2.0, std::log(static_cast<double>(std::max(w, h))) / std::log(2.0) - 4);
    if (direction == -1)
        g = 1 / g;
    if (bMagnitude)
        g *= 4;
    for (int64_t j = 0; j < h; ++j) {
        BYTE* re = part[0].GetBits(static_cast<DWORD>(j));
        BYTE* im = part[1].GetBits(static_cast<DWORD>(j));
        const Complex* row = grid.data() + j * w;
        for (int64_t k = 0; k < w; ++k) {
            const double x = row[k].real(), y = row[k].imag();
            if (bMagnitude) {
                re[k] = pixloop::ClampByte(g * (3 + 0.5 * std::log(x * x + y * y))); // ln |z|
                im[k] = pixloop::ClampByte(128 + std::atan(y / (x == 0 ? 0.0000000001 : x)) * g);
            } else {
                re[k] = pixloop::ClampByte(128 + x * g);
                im[k] = pixloop::ClampByte(128 + y * g);
            }
        }
    }
    for (int i = 0; i < 2; ++i) {
        CPixImage* target = outs[i] ? outs[i] : ins[i];
        if (target)
            target->Transfer(part[i]);
    }
    return true;
}
