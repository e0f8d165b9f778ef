// Image object: resampling to a new size (nearest, B-spline, bilinear, area shrink, kernels, box).
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "imagelib/PixImage.h"
#include "imagelib/PixImageLoops.h"

namespace {

// Whole-number ratio of the area shrink's weights.
constexpr int64_t kAccuracy = 1000;

// The four B-spline taps around f on one axis, clamped to the picture (edge pixels repeat), and
// their weights scaled to add up to exactly 1: in floats they miss by a little, and truncation
// would turn a flat 100 into 99.
struct SplineTaps {
    long at[4] = {};
    float weight[4] = {};

    SplineTaps() = default;
    SplineTaps(float f, long size, bool column)
    {
        const float fl = std::floor(f);
        const long i = static_cast<long>(fl);
        const float a = f - fl;
        float sum = 0;
        for (int n = -1; n < 3; ++n) {
            const long v = i + n;
            at[n + 1] = v < 0 ? 0 : (v > size - 1 ? size - 1 : v);
            // the kernel is even; the columns measure the distance the other way round
            weight[n + 1] = CPixImage::KernelBSpline(column ? a - static_cast<float>(n) : static_cast<float>(n) - a);
            sum += weight[n + 1];
        }
        for (float& w : weight)
            w /= sum;
    }
};

} // namespace

bool CPixImage::Resample(long newx, long newy, int mode, CPixImage* iDst)
{
    if (newx <= 0 || newy <= 0 || !dib)
        return false;
    const long width = static_cast<long>(GetWidth()), height = static_cast<long>(GetHeight());
    if (newx == width && newy == height) {
        if (iDst)
            iDst->Copy(*this);
        return true;
    }

    const float xScale = static_cast<float>(width) / static_cast<float>(newx);
    const float yScale = static_cast<float>(height) / static_cast<float>(newy);

    CPixImage newImage;
    if (!NewLike(newImage, static_cast<DWORD>(newx), static_cast<DWORD>(newy)))
        return false;

    const size_t eff = info.effWidth;
    const bool pal = header.biClrUsed != 0;

    if (mode == 1) {
        for (long y = 0; y < newy; ++y) {
            info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / newy);
            if (info.escape)
                break;
            const float fY = y * yScale;
            for (long x = 0; x < newx; ++x) {
                const float fX = x * xScale;
                newImage.SetPixelColor(x, y, GetPixelColor(static_cast<long>(fX), static_cast<long>(fY), true), false);
            }
        }
    } else if (mode == 2) {
        // The columns' taps and weights are the same on every row.
        std::vector<SplineTaps> columns(static_cast<size_t>(newx));
        for (long x = 0; x < newx; ++x)
            columns[static_cast<size_t>(x)] = SplineTaps(x * xScale - 0.5f, width, true);
        for (long y = 0; y < newy; ++y) {
            info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / newy);
            if (info.escape)
                break;
            const SplineTaps rows(y * yScale - 0.5f, height, false);
            BYTE* d = newImage.info.bits + static_cast<size_t>(y) * newImage.info.effWidth;
            for (long x = 0; x < newx; ++x, d += 3) {
                const SplineTaps& cols = columns[static_cast<size_t>(x)];
                float rr = 0, gg = 0, bb = 0;
                for (int m = 0; m < 4; ++m) {
                    const BYTE* row = info.bits + static_cast<size_t>(rows.at[m]) * eff;
                    for (int n = 0; n < 4; ++n) {
                        const float r2 = rows.weight[m] * cols.weight[n];
                        if (pal) {
                            const RGBQUAD c = GetPixelColor(cols.at[n], rows.at[m], true);
                            rr += c.rgbRed * r2;
                            gg += c.rgbGreen * r2;
                            bb += c.rgbBlue * r2;
                        } else {
                            const BYTE* p = row + static_cast<size_t>(cols.at[n]) * 3;
                            bb += p[0] * r2;
                            gg += p[1] * r2;
                            rr += p[2] * r2;
                        }
                    }
                }
                // The weights are positive and add up to 1, so the rounded sums stay within a byte.
                const BYTE r = static_cast<BYTE>(rr + 0.5f), g = static_cast<BYTE>(gg + 0.5f),
                           b = static_cast<BYTE>(bb + 0.5f);
                if (pal) {
                    newImage.SetPixelColor(x, y, RGB(r, g, b));
                } else {
                    d[0] = b;
                    d[1] = g;
                    d[2] = r;
                }
            }
        }
    } else if (!(width > newx && height > newy && header.biBitCount == 24)) {
        // Bilinear.
        const long xmax = width - 1, ymax = height - 1;
        for (long y = 0; y < newy; ++y) {
            info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / newy);
            if (info.escape)
                break;
            const float fY = y * yScale;
            const long ifY = static_cast<long>(fY);
            const long ifY1 = ifY + 1 < ymax ? ifY + 1 : ymax;
            const float dy = fY - ifY;
            for (long x = 0; x < newx; ++x) {
                const float fX = x * xScale;
                const long ifX = static_cast<long>(fX);
                const long ifX1 = ifX + 1 < xmax ? ifX + 1 : xmax;
                const float dx = fX - ifX;
                RGBQUAD c1, c2, c3, c4;
                if (pal) {
                    c1 = GetPaletteColor(GetPixelIndex(ifX, ifY));
                    c2 = GetPaletteColor(GetPixelIndex(ifX1, ifY));
                    c3 = GetPaletteColor(GetPixelIndex(ifX, ifY1));
                    c4 = GetPaletteColor(GetPixelIndex(ifX1, ifY1));
                } else {
                    auto at = [&](long px, long py) {
                        const BYTE* p = info.bits + static_cast<size_t>(py) * eff + static_cast<size_t>(px) * 3;
                        RGBQUAD q;
                        q.rgbBlue = p[0];
                        q.rgbGreen = p[1];
                        q.rgbRed = p[2];
                        return q;
                    };
                    c1 = at(ifX, ifY);
                    c2 = at(ifX1, ifY);
                    c3 = at(ifX, ifY1);
                    c4 = at(ifX1, ifY1);
                }
                auto mix = [&](BYTE v1, BYTE v2, BYTE v3, BYTE v4) {
                    const float left = v1 * (1 - dy) + v3 * dy;
                    const float right = v2 * (1 - dy) + v4 * dy;
                    // Rounded: the float weights add up to 1 only nearly, and a flat 200 must not become 199.
                    return static_cast<BYTE>(left * (1 - dx) + right * dx + 0.5f);
                };
                const BYTE r = mix(c1.rgbRed, c2.rgbRed, c3.rgbRed, c4.rgbRed);
                const BYTE g = mix(c1.rgbGreen, c2.rgbGreen, c3.rgbGreen, c4.rgbGreen);
                const BYTE b = mix(c1.rgbBlue, c2.rgbBlue, c3.rgbBlue, c4.rgbBlue);
                newImage.SetPixelColor(x, y, RGB(r, g, b));
            }
        }
    } else {
        // Area shrink: every source pixel is split among the destination pixels it overlaps, by
        // weights in thousandths along each axis; a share is their product, in millionths.
        const size_t cells = 3 * static_cast<size_t>(newx) + 6;
        std::vector<int64_t> rowA(cells, 0), rowB(cells, 0);
        int64_t* accu = rowA.data();
        int64_t* carry = rowB.data();
        // What each destination column receives of one source row is the same on every row, and
        // what a destination row receives is counted as the rows pass: their product is exactly
        // the sum of a cell's shares, the divisor that keeps a flat picture flat.
        std::vector<int64_t> columnWeight(static_cast<size_t>(newx) + 1, 0);
        {
            float fEndX = xScale - 1.0f;
            long u = 0;
            for (long x = 0; x < width; ++x) {
                if (static_cast<float>(x) < fEndX) {
                    columnWeight[static_cast<size_t>(u)] += kAccuracy;
                } else if (u < newx) {
                    const int64_t wX = static_cast<int64_t>((x - fEndX) * kAccuracy);
                    columnWeight[static_cast<size_t>(u)] += kAccuracy - wX;
                    columnWeight[static_cast<size_t>(u) + 1] += wX;
                    ++u;
                    fEndX += xScale;
                }
            }
        }
        int64_t rowWeight = 0; // of the destination row being gathered in accu
        const size_t neff = newImage.info.effWidth;
        BYTE* destRowStart = newImage.info.bits;
        float fEndY = yScale - 1.0f;
        long v = 0; // destination rows written
        auto mean = [&](long u, int64_t value) {
            const int64_t total = columnWeight[static_cast<size_t>(u)] * rowWeight;
            return static_cast<BYTE>(total > 0 ? (value + total / 2) / total : 0);
        };
        auto put = [&](BYTE*& dest, long u, int64_t value) {
            if (u < newx && v < newy)
                *dest++ = mean(u, value);
        };
        constexpr int64_t kWhole = kAccuracy * kAccuracy;

        for (long y = 0; y < height; ++y) {
            info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / height);
            if (info.escape)
                break;
            const BYTE* src = info.bits + static_cast<size_t>(y) * eff;
            float fEndX = xScale - 1.0f;
            size_t i = 0;
            long u = 0;
            if (static_cast<float>(y) < fEndY) {
                rowWeight += kAccuracy;
                for (long x = 0; x < width; ++x, src += 3) {
                    if (static_cast<float>(x) < fEndX) {
                        accu[i] += src[0] * kWhole;
                        accu[i + 1] += src[1] * kWhole;
                        accu[i + 2] += src[2] * kWhole;
                    } else if (u < newx) {
                        const int64_t wX = static_cast<int64_t>((x - fEndX) * kAccuracy);
                        const int64_t left = (kAccuracy - wX) * kAccuracy, right = wX * kAccuracy;
                        for (int j = 0; j < 3; ++j) {
                            accu[i + j] += left * src[j];
                            accu[i + 3 + j] += right * src[j];
                        }
                        i += 3;
                        ++u;
                        fEndX += xScale;
                    }
                }
            } else {
                const int64_t wY = static_cast<int64_t>((y - fEndY) * kAccuracy);
                rowWeight += kAccuracy - wY;
                const int64_t here = (kAccuracy - wY) * kAccuracy, below = wY * kAccuracy;
                BYTE* dest = destRowStart;
                for (long x = 0; x < width; ++x, src += 3) {
                    if (static_cast<float>(x) < fEndX) {
                        for (int j = 0; j < 3; ++j) {
                            accu[i + j] += here * src[j];
                            carry[i + j] += below * src[j];
                        }
                    } else if (u < newx) {
                        const int64_t wX = static_cast<int64_t>((x - fEndX) * kAccuracy);
                        const int64_t hereLeft = (kAccuracy - wY) * (kAccuracy - wX), belowLeft = wY * (kAccuracy - wX);
                        const int64_t hereRight = (kAccuracy - wY) * wX, belowRight = wY * wX;
                        for (int j = 0; j < 3; ++j) {
                            accu[i] += hereLeft * src[j];
                            put(dest, u, accu[i]);
                            carry[i] += belowLeft * src[j];
                            accu[i + 3] += hereRight * src[j];
                            carry[i + 3] = belowRight * src[j]; // the first share of the next column
                            ++i;
                        }
                        fEndX += xScale;
                        ++u;
                    }
                }
                if (u < newx) { // the last column, when the float steps did not reach it
                    for (int j = 0; j < 3; ++j)
                        put(dest, u, accu[i + j]);
                }
                std::swap(accu, carry);
                carry[0] = carry[1] = carry[2] = 0;
                rowWeight = wY;
                ++v;
                if (v < newy)
                    destRowStart = newImage.info.bits + static_cast<size_t>(v) * neff;
                fEndY += yScale;
            }
        }
        if (v < newy && !info.escape) {
            BYTE* dest = destRowStart;
            for (size_t k = 0; k < 3 * static_cast<size_t>(newx); ++k)
                *dest++ = mean(static_cast<long>(k / 3), accu[k]);
        }
    }

    if (AlphaIsValid()) {
        newImage.AlphaCreate();
        if (newImage.AlphaIsValid()) {
            for (long y = 0; y < newy; ++y)
                for (long x = 0; x < newx; ++x)
                    newImage.AlphaSet(x, y, AlphaGet(static_cast<long>(x * xScale), static_cast<long>(y * yScale)));
        }
    }
    newImage.info.progress = info.progress;
    return (iDst ? iDst : this)->Transfer(newImage);
}

bool CPixImage::Resample2(long newx, long newy, InterpolationMethod inMethod, OverflowMethod ofMethod,
                          CPixImage* iDst, bool disableAveraging)
{
    if (newx <= 0 || newy <= 0 || !dib)
        return false;
    const long width = static_cast<long>(GetWidth()), height = static_cast<long>(GetHeight());
    if (newx == width && newy == height) {
        if (iDst)
            iDst->Copy(*this);
        return true;
    }
    const float xScale = static_cast<float>(width) / static_cast<float>(newx);
    const float yScale = static_cast<float>(height) / static_cast<float>(newy);

    CPixImage newImage;
    if (!NewLike(newImage, static_cast<DWORD>(newx), static_cast<DWORD>(newy)))
        return false;
    if (AlphaIsValid())
        newImage.AlphaCreate();
    const bool averaging = (xScale > 1 || yScale > 1) && !disableAveraging;
    const bool pal = newImage.header.biClrUsed != 0;

    for (long y = 0; y < newy; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / newy);
        if (info.escape)
            break;
        const float sY = (y + 0.5f) * yScale - 0.5f;
        for (long x = 0; x < newx; ++x) {
            const float sX = (x + 0.5f) * xScale - 0.5f;
            if (averaging) {
                pixloop::SetColourAndAlpha(newImage, x, y,
                                           GetAreaColorInterpolated(sX, sY, xScale, yScale, inMethod, ofMethod));
                continue;
            }
            const RGBQUAD c = GetPixelColorInterpolated(sX, sY, inMethod, ofMethod);
            if (pal) {
                pixloop::SetColourAndAlpha(newImage, x, y, c);
            } else {
                BYTE* d = newImage.info.bits + static_cast<size_t>(y) * newImage.info.effWidth + static_cast<size_t>(x) * 3;
                d[0] = c.rgbBlue;
                d[1] = c.rgbGreen;
                d[2] = c.rgbRed;
                if (newImage.alpha)
                    newImage.AlphaSet(x, y, c.rgbReserved);
            }
        }
    }
    newImage.info.progress = info.progress;
    return (iDst ? iDst : this)->Transfer(newImage);
}

bool CPixImage::QIShrink(long newx, long newy, CPixImage* iDst)
{
    if (!dib)
        return false;
    const long width = static_cast<long>(GetWidth()), height = static_cast<long>(GetHeight());
    if (newx > width || newy > height) {
        SetLastError("QIShrink can't enlarge image");
        return false;
    }
    if (newx <= 0 || newy <= 0)
        return false;
    if (newx == width && newy == height) {
        if (iDst)
            iDst->Copy(*this);
        return true;
    }

    CPixImage newImage;
    if (!NewLike(newImage, static_cast<DWORD>(newx), static_cast<DWORD>(newy)))
        return false;
    const bool hasAlpha = AlphaIsValid();
    if (hasAlpha)
        newImage.AlphaCreate();

    // Sums in 64 bits: a large picture shrunk to a few cells adds up billions.
    struct Cell {
        uint64_t b, g, r, a, n;
    };
    std::vector<Cell> cells(static_cast<size_t>(newx), Cell{0, 0, 0, 0, 0});
    const bool pal = header.biClrUsed != 0;
    long rowAcc = 0;
    long destY = 0;
    for (long y = 0; y < height; ++y) {
        info.progress = static_cast<int32_t>(100 * static_cast<int64_t>(y) / height);
        if (info.escape)
            break;
        rowAcc += newy;
        long colAcc = 0;
        size_t cell = 0;
        const BYTE* row = info.bits + static_cast<size_t>(y) * info.effWidth;
        for (long x = 0; x < width; ++x) {
            colAcc += newx;
            Cell& c = cells[cell < cells.size() ? cell : cells.size() - 1];
            if (pal) {
                const RGBQUAD q = GetPixelColor(x, y, false);
                c.b += q.rgbBlue;
                c.g += q.rgbGreen;
                c.r += q.rgbRed;
            } else {
                const BYTE* p = row + static_cast<size_t>(x) * 3;
                c.b += p[0];
                c.g += p[1];
                c.r += p[2];
            }
            if (hasAlpha)
                c.a += BlindAlphaGet(x, y);
            ++c.n;
            // At the full width every pixel is its own cell (the strict test would leave the last
            // cell without pixels).
            if (colAcc > width || newx == width) {
                colAcc -= width;
                ++cell;
            }
        }
        if (rowAcc >= height) {
            rowAcc -= height;
            if (destY < newy) {
                for (long x = 0; x < newx; ++x) {
                    Cell& c = cells[static_cast<size_t>(x)];
                    if (c.n == 0)
                        continue;
                    RGBQUAD q;
                    q.rgbBlue = static_cast<BYTE>(c.b / c.n);
                    q.rgbGreen = static_cast<BYTE>(c.g / c.n);
                    q.rgbRed = static_cast<BYTE>(c.r / c.n);
                    q.rgbReserved = hasAlpha ? static_cast<BYTE>(c.a / c.n) : 0;
                    if (pal) {
                        pixloop::SetColourAndAlpha(newImage, x, destY, q);
                    } else {
                        BYTE* d = newImage.info.bits + static_cast<size_t>(destY) * newImage.info.effWidth +
                                  static_cast<size_t>(x) * 3;
                        d[0] = q.rgbBlue;
                        d[1] = q.rgbGreen;
                        d[2] = q.rgbRed;
                        if (hasAlpha)
                            newImage.AlphaSet(x, destY, q.rgbReserved);
                    }
                }
            }
            ++destY;
            std::fill(cells.begin(), cells.end(), Cell{0, 0, 0, 0, 0});
        }
    }
    newImage.info.progress = info.progress;
    return (iDst ? iDst : this)->Transfer(newImage);
}
