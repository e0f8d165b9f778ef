// JPEG and PNG codecs on a 12-megapixel photo-like picture: our JPEG decode against libjpeg used
// directly on the same file, and PNG decode and encode.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "imagelib/PixMemFile.h"
#include "imagelib/codecs/PixImageJPG.h"
#include "imagelib/codecs/PixImagePNG.h"
#include "bench/BenchPhoto.h"

namespace {

std::vector<BYTE> EncodeTo(DWORD type)
{
    BYTE* buffer = nullptr;
    long size = 0;
    if (!BenchPhoto().Encode(buffer, size, type))
        return {};
    std::vector<BYTE> out(buffer, buffer + size);
    BenchPhoto().FreeMemory(buffer);
    return out;
}

const std::vector<BYTE>& JpegFile()
{
    static const std::vector<BYTE> file = EncodeTo(PIXFORMAT_JPG);
    return file;
}

const std::vector<BYTE>& PngFile()
{
    static const std::vector<BYTE> file = EncodeTo(PIXFORMAT_PNG);
    return file;
}

void BM_JpegDecodeCodec(benchmark::State& state)
{
    std::vector<BYTE> file = JpegFile();
    for (auto _ : state) {
        CPixImageJPG img;
        CPixMemFile mem(file.data(), static_cast<DWORD>(file.size()));
        if (!img.Decode(&mem))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits());
    }
    state.counters["MB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_JpegDecodeCodec)->Unit(benchmark::kMillisecond);

// The same file through libjpeg alone: memory source, RGB rows into one buffer.
void BM_JpegDecodeLibjpeg(benchmark::State& state)
{
    const std::vector<BYTE>& file = JpegFile();
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr jerr;
        cinfo.err = jpeg_std_error(&jerr);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), file.size());
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        const size_t stride = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
        std::vector<JSAMPLE> pixels(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[16];
            const JDIMENSION first = cinfo.output_scanline;
            const JDIMENSION n = std::min<JDIMENSION>(16, cinfo.output_height - first);
            for (JDIMENSION i = 0; i < n; ++i)
                rows[i] = pixels.data() + (first + i) * stride;
            jpeg_read_scanlines(&cinfo, rows, n);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_JpegDecodeLibjpeg)->Unit(benchmark::kMillisecond);

void BM_JpegEncodeCodec(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<BYTE> file = EncodeTo(PIXFORMAT_JPG);
        benchmark::DoNotOptimize(file.data());
    }
}
BENCHMARK(BM_JpegEncodeCodec)->Unit(benchmark::kMillisecond);

void BM_PngDecode(benchmark::State& state)
{
    std::vector<BYTE> file = PngFile();
    for (auto _ : state) {
        CPixImagePNG img;
        CPixMemFile mem(file.data(), static_cast<DWORD>(file.size()));
        if (!img.Decode(&mem))
            state.SkipWithError(img.GetLastError());
        benchmark::DoNotOptimize(img.GetBits());
    }
    state.counters["MB"] = static_cast<double>(file.size()) / 1e6;
}
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond);

void BM_PngEncode(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<BYTE> file = EncodeTo(PIXFORMAT_PNG);
        benchmark::DoNotOptimize(file.data());
    }
}
BENCHMARK(BM_PngEncode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
