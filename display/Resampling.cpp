#include "display/Resampling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Display pixels that fall beyond the picture show this gray in all three channels.
constexpr BYTE kFillByte = 100;
constexpr unsigned kBytesPerPixel = 3;

struct BilinearWeights {
    double w00, w10, w01, w11;
};

// The plain routes both go through these two helpers, so scan lines cannot
// drift from SampleBilinear by a single rounding.
inline BilinearWeights WeightsFor(double fx, double fy)
{
    const double fxy = fx * fy;
    return {1 - fx - fy + fxy, fx - fxy, fy - fxy, fxy};
}

// Looking a byte up is cheaper than converting it, and gives the very same double.
constexpr std::array<double, 256> kByteValues = [] {
    std::array<double, 256> values{};
    for (unsigned i = 0; i < values.size(); ++i)
        values[i] = double(i);
    return values;
}();

inline BYTE Blend(BYTE p00, BYTE p10, BYTE p01, BYTE p11, const BilinearWeights& w)
{
    const double v = kByteValues[p00] * w.w00 + kByteValues[p10] * w.w10
                   + kByteValues[p01] * w.w01 + kByteValues[p11] * w.w11;
    return BYTE(int(v));
}

bool IsPlain24Bit(FIBITMAP* dib)
{
    return dib && FreeImage_HasPixels(dib) && FreeImage_GetImageType(dib) == FIT_BITMAP
        && FreeImage_GetBPP(dib) == 24;
}

// With a positive scale every inside sample has all four neighbours within
// the picture, so reading scan lines directly can never differ from the
// per-pixel reads. Anything unusual takes the per-pixel route instead.
bool ScanLinesAreSafe(FIBITMAP* picture, unsigned width, unsigned height, double scale,
                      FIBITMAP* display)
{
    return scale > 0.0 && IsPlain24Bit(picture) && IsPlain24Bit(display)
        && width <= FreeImage_GetWidth(picture) && height <= FreeImage_GetHeight(picture);
}


// Where one inside display column samples the picture; the same for every scan line.
struct Column {
    std::size_t offset;  // byte offset of the left neighbour within a scan line
    double fx;
};

// x / scale never decreases as x grows, so the inside columns are a prefix of the row.
std::vector<Column> MapInsideColumns(unsigned count, unsigned width, double scale)
{
    std::vector<Column> columns;
    columns.reserve(count);
    for (unsigned x = 0; x < count; ++x) {
        const double sx = x / scale;
        if (!((width - 1.0) > sx))
            break;
        columns.push_back({std::size_t(int(sx)) * kBytesPerPixel, std::fmod(sx, 1.0)});
    }
    return columns;
}

// One channel of one display pixel; p0 and p1 point at the left neighbours below and above.
inline BYTE BlendChannel(const BYTE* p0, const BYTE* p1, unsigned channel, const BilinearWeights& w)
{
    const unsigned right = channel + kBytesPerPixel;
    return Blend(p0[channel], p0[right], p1[channel], p1[right], w);
}

BYTE* ResampleRow(const BYTE* lower, const BYTE* upper, double fy, const Column* columns,
                  const Column* end, BYTE* out)
{
    for (const Column* column = columns; column != end; ++column) {
        const BYTE* p0 = lower + column->offset;
        const BYTE* p1 = upper + column->offset;
        const BilinearWeights w = WeightsFor(column->fx, fy);
        out[FI_RGBA_BLUE] = BlendChannel(p0, p1, FI_RGBA_BLUE, w);
        out[FI_RGBA_GREEN] = BlendChannel(p0, p1, FI_RGBA_GREEN, w);
        out[FI_RGBA_RED] = BlendChannel(p0, p1, FI_RGBA_RED, w);
        out += kBytesPerPixel;
    }
    return out;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VEILCUT_VECTOR_ROWS 1

// One pixel's three channels as the low lanes of four doubles; the fourth
// byte read belongs to the next pixel and its lane is thrown away.
__attribute__((target("avx2"))) inline __m256d LoadPixel(const BYTE* p)
{
    std::int32_t bytes = 0;
    std::memcpy(&bytes, p, sizeof bytes);
    return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(bytes)));
}

// The same sums as Blend, lane by lane and in the same order, so each
// channel comes out bit for bit as the plain route makes it. Each column's
// right neighbour must have a byte after it within the scan line.
__attribute__((target("avx2"))) BYTE* ResampleRowAvx2(const BYTE* lower, const BYTE* upper, double fy,
                                                      const Column* columns, const Column* end, BYTE* out)
{
    const __m128i lowBytes = _mm_setr_epi8(0, 4, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    for (const Column* column = columns; column != end; ++column) {
        const BYTE* p0 = lower + column->offset;
        const BYTE* p1 = upper + column->offset;
        const BilinearWeights w = WeightsFor(column->fx, fy);
        __m256d v = _mm256_mul_pd(LoadPixel(p0), _mm256_set1_pd(w.w00));
        v = _mm256_add_pd(v, _mm256_mul_pd(LoadPixel(p0 + kBytesPerPixel), _mm256_set1_pd(w.w10)));
        v = _mm256_add_pd(v, _mm256_mul_pd(LoadPixel(p1), _mm256_set1_pd(w.w01)));
        v = _mm256_add_pd(v, _mm256_mul_pd(LoadPixel(p1 + kBytesPerPixel), _mm256_set1_pd(w.w11)));
        const int bytes = _mm_cvtsi128_si32(_mm_shuffle_epi8(_mm256_cvttpd_epi32(v), lowBytes));
        std::memcpy(out, &bytes, kBytesPerPixel);
        out += kBytesPerPixel;
    }
    return out;
}

bool CpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

using RowKernel = BYTE* (*)(const BYTE*, const BYTE*, double, const Column*, const Column*, BYTE*);

RowKernel RowKernelFor(ResampleRoute route)
{
#ifdef VEILCUT_VECTOR_ROWS
    if (route == ResampleRoute::Fastest && CpuHasAvx2())
        return ResampleRowAvx2;
#endif
    return ResampleRow;
}

void FillPixels(BYTE* out, std::size_t count)
{
    // The row padding stays as it was, as it does on the per-pixel route.
    std::memset(out, kFillByte, count * kBytesPerPixel);
}

// Display scan lines [first, end) of one rebuild; every line depends on the
// picture alone, so lines can be made in any order by any thread.
struct Band {
    FIBITMAP* picture;
    unsigned height;
    double scale;
    FIBITMAP* display;
    const std::vector<Column>* columns;
    RowKernel kernel;
    std::size_t kernelColumns;  // the columns from here on take the plain route

    void Make(unsigned first, unsigned end) const
    {
        const unsigned dw = FreeImage_GetWidth(display);
        const Column* begin = columns->data();
        for (unsigned y = first; y < end; ++y) {
            BYTE* out = FreeImage_GetScanLine(display, int(y));
            const double sy = y / scale;
            if ((height - 1.0) > sy) {
                const int iy = int(sy);
                const BYTE* lower = FreeImage_GetScanLine(picture, iy);
                const BYTE* upper = FreeImage_GetScanLine(picture, iy + 1);
                const double fy = std::fmod(sy, 1.0);
                out = kernel(lower, upper, fy, begin, begin + kernelColumns, out);
                out = ResampleRow(lower, upper, fy, begin + kernelColumns, begin + columns->size(), out);
                FillPixels(out, dw - columns->size());
            } else {
                FillPixels(out, dw);
            }
        }
    }
};

// Below this many display pixels a second thread costs more than it saves.
constexpr std::size_t kPixelsWorthASecondThread = 1 << 16;

void ResampleByScanLines(FIBITMAP* picture, unsigned width, unsigned height, double scale,
                         FIBITMAP* display, ResampleRoute route)
{
    const unsigned dw = FreeImage_GetWidth(display), dh = FreeImage_GetHeight(display);
    const std::vector<Column> columns = MapInsideColumns(dw, width, scale);
    // The vector route reads a byte past each right neighbour; near the end
    // of a scan line that byte may lie outside the picture.
    const std::size_t lineBytes = std::size_t(FreeImage_GetWidth(picture)) * kBytesPerPixel;
    const auto lastSafe = std::partition_point(columns.begin(), columns.end(), [&](const Column& c) {
        return c.offset + 2 * kBytesPerPixel + 1 <= lineBytes;
    });
    const Band band{picture, height, scale, display, &columns, RowKernelFor(route),
                    std::size_t(lastSafe - columns.begin())};
    const unsigned split = std::size_t(dw) * dh >= kPixelsWorthASecondThread ? dh / 2 : 0;
    // A live resize rebuilds the copy many times a second: the upper half
    // goes to a short-lived second thread, joined before the copy is used.
    std::thread upperHalf;
    try {
        if (split > 0)
            upperHalf = std::thread([&band, split, dh] { band.Make(split, dh); });
    } catch (const std::system_error&) {
    }
    band.Make(0, upperHalf.joinable() ? split : dh);
    if (upperHalf.joinable())
        upperHalf.join();
}

}  // namespace

void ResamplePixelByPixel(FIBITMAP* picture, unsigned width, unsigned height, double scale,
                          FIBITMAP* display)
{
    RGBQUAD fill{kFillByte, kFillByte, kFillByte, 0};
    const unsigned dw = FreeImage_GetWidth(display), dh = FreeImage_GetHeight(display);
    for (unsigned y = 0; y < dh; ++y) {
        for (unsigned x = 0; x < dw; ++x) {
            const double sx = x / scale, sy = y / scale;
            if ((width - 1.0) > sx && (height - 1.0) > sy) {
                RGBQUAD quad{};
                SampleBilinear(picture, sx, sy, &quad);
                FreeImage_SetPixelColor(display, x, y, &quad);
            } else {
                FreeImage_SetPixelColor(display, x, y, &fill);
            }
        }
    }
}

BOOL SampleBilinear(FIBITMAP* picture, double x, double y, RGBQUAD* quad)
{
    const int ix = int(x), iy = int(y);
    RGBQUAD p00{}, p10{}, p01{}, p11{};
    bool found = FreeImage_GetPixelColor(picture, unsigned(ix), unsigned(iy), &p00);
    found = FreeImage_GetPixelColor(picture, unsigned(ix + 1), unsigned(iy), &p10) && found;
    found = FreeImage_GetPixelColor(picture, unsigned(ix), unsigned(iy + 1), &p01) && found;
    found = FreeImage_GetPixelColor(picture, unsigned(ix + 1), unsigned(iy + 1), &p11) && found;

    const BilinearWeights w = WeightsFor(std::fmod(x, 1.0), std::fmod(y, 1.0));
    quad->rgbBlue = Blend(p00.rgbBlue, p10.rgbBlue, p01.rgbBlue, p11.rgbBlue, w);
    quad->rgbGreen = Blend(p00.rgbGreen, p10.rgbGreen, p01.rgbGreen, p11.rgbGreen, w);
    quad->rgbRed = Blend(p00.rgbRed, p10.rgbRed, p01.rgbRed, p11.rgbRed, w);
    return found ? TRUE : FALSE;
}

void ResampleBilinear(FIBITMAP* picture, unsigned width, unsigned height, double scale,
                      FIBITMAP* display, ResampleRoute route)
{
    if (ScanLinesAreSafe(picture, width, height, scale, display))
        ResampleByScanLines(picture, width, height, scale, display, route);
    else
        ResamplePixelByPixel(picture, width, height, scale, display);
}
