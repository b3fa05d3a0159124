#include "display/Resampling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Display pixels that fall beyond the picture show this gray in all three channels.
constexpr BYTE kFillByte = 100;
constexpr unsigned kBytesPerPixel = 3;
// The painter's image holds one more byte a pixel, always opaque.
constexpr unsigned kImageBytesPerPixel = 4;
constexpr BYTE kOpaque = 0xFF;

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

// Whether a sample at s along an axis of `size` picture pixels has every
// pixel its rule reads; the bilinear rule also reads the next one.
bool IsInsideAxis(SampleRule rule, unsigned size, double s)
{
    const double end = rule == SampleRule::Nearest ? double(size) : size - 1.0;
    return s >= 0.0 && end > s;
}

bool IsInside(SampleRule rule, unsigned width, unsigned height, double sx, double sy)
{
    return IsInsideAxis(rule, width, sx) && IsInsideAxis(rule, height, sy);
}

// The colour of display pixel (x, y) by the definition, one FreeImage read per pixel used.
RGBQUAD DefinedColour(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area, unsigned x,
                      unsigned y)
{
    RGBQUAD quad{kFillByte, kFillByte, kFillByte, 0};
    const double sx = area.left + x / area.scale, sy = area.bottom + y / area.scale;
    if (!IsInside(area.rule, width, height, sx, sy))
        return quad;
    if (area.rule == SampleRule::Nearest)
        FreeImage_GetPixelColor(picture, unsigned(sx), unsigned(sy), &quad);
    else
        SampleBilinear(picture, sx, sy, &quad);
    return quad;
}

bool IsPlain24Bit(FIBITMAP* dib)
{
    return dib && FreeImage_HasPixels(dib) && FreeImage_GetImageType(dib) == FIT_BITMAP
        && FreeImage_GetBPP(dib) == 24;
}

// With a positive scale and an area starting inside the picture, every
// inside sample has its neighbours within the picture and the inside columns
// come first in a row, so reading scan lines directly can never differ from
// the per-pixel reads. Anything unusual takes the per-pixel route instead.
bool ScanLinesAreSafe(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area)
{
    return area.scale > 0.0 && std::isfinite(area.scale) && area.left >= 0.0 && area.bottom >= 0.0
        && IsPlain24Bit(picture) && width <= FreeImage_GetWidth(picture)
        && height <= FreeImage_GetHeight(picture);
}

// The scan lines of a display copy, wherever and however they are stored.
struct DisplayRows {
    BYTE* bottom;         // display scan line 0
    std::ptrdiff_t step;  // bytes from one scan line to the one above it
    unsigned width, height;
    unsigned pixelBytes;

    BYTE* Line(unsigned y) const { return bottom + std::ptrdiff_t(y) * step; }
};

// Where one inside display column samples the picture; the same for every scan line.
struct Column {
    std::size_t offset;  // byte offset of the (left) neighbour within a scan line
    double fx;
};

// The sample position never decreases as x grows, so the inside columns are a prefix of the row.
std::vector<Column> MapInsideColumns(unsigned count, unsigned width, const SourceArea& area)
{
    std::vector<Column> columns;
    columns.reserve(count);
    for (unsigned x = 0; x < count; ++x) {
        const double sx = area.left + x / area.scale;
        if (!IsInsideAxis(area.rule, width, sx))
            break;
        columns.push_back({std::size_t(int(sx)) * kBytesPerPixel, std::fmod(sx, 1.0)});
    }
    return columns;
}

template <unsigned OutBytes>
inline BYTE* Put(BYTE* out, BYTE blue, BYTE green, BYTE red)
{
    out[FI_RGBA_BLUE] = blue;
    out[FI_RGBA_GREEN] = green;
    out[FI_RGBA_RED] = red;
    if constexpr (OutBytes == kImageBytesPerPixel)
        out[3] = kOpaque;
    return out + OutBytes;
}

// One channel of one display pixel; p0 and p1 point at the left neighbours below and above.
inline BYTE BlendChannel(const BYTE* p0, const BYTE* p1, unsigned channel, const BilinearWeights& w)
{
    const unsigned right = channel + kBytesPerPixel;
    return Blend(p0[channel], p0[right], p1[channel], p1[right], w);
}

template <unsigned OutBytes>
BYTE* BilinearRow(const BYTE* lower, const BYTE* upper, double fy, const Column* columns, const Column* end,
                  BYTE* out)
{
    for (const Column* column = columns; column != end; ++column) {
        const BYTE* p0 = lower + column->offset;
        const BYTE* p1 = upper + column->offset;
        const BilinearWeights w = WeightsFor(column->fx, fy);
        out = Put<OutBytes>(out, BlendChannel(p0, p1, FI_RGBA_BLUE, w), BlendChannel(p0, p1, FI_RGBA_GREEN, w),
                            BlendChannel(p0, p1, FI_RGBA_RED, w));
    }
    return out;
}

template <unsigned OutBytes>
BYTE* NearestRow(const BYTE* line, const BYTE*, double, const Column* columns, const Column* end, BYTE* out)
{
    for (const Column* column = columns; column != end; ++column) {
        const BYTE* p = line + column->offset;
        out = Put<OutBytes>(out, p[FI_RGBA_BLUE], p[FI_RGBA_GREEN], p[FI_RGBA_RED]);
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
template <unsigned OutBytes>
__attribute__((target("avx2"))) BYTE* BilinearRowAvx2(const BYTE* lower, const BYTE* upper, double fy,
                                                      const Column* columns, const Column* end, BYTE* out)
{
    const __m128i lowBytes = _mm_setr_epi8(0, 4, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const std::uint32_t fourth = OutBytes == kImageBytesPerPixel ? std::uint32_t(kOpaque) << 24 : 0;
    for (const Column* column = columns; column != end; ++column) {
        const BYTE* p0 = lower + column->offset;
        const BYTE* p1 = upper + column->offset;
        const BilinearWeights w = WeightsFor(column->fx, fy);
        __m256d v = _mm256_mul_pd(LoadPixel(p0), _mm256_set1_pd(w.w00));
        v = _mm256_add_pd(v, _mm256_mul_pd(LoadPixel(p0 + kBytesPerPixel), _mm256_set1_pd(w.w10)));
        v = _mm256_add_pd(v, _mm256_mul_pd(LoadPixel(p1), _mm256_set1_pd(w.w01)));
        v = _mm256_add_pd(v, _mm256_mul_pd(LoadPixel(p1 + kBytesPerPixel), _mm256_set1_pd(w.w11)));
        const std::uint32_t bytes =
            std::uint32_t(_mm_cvtsi128_si32(_mm_shuffle_epi8(_mm256_cvttpd_epi32(v), lowBytes))) | fourth;
        std::memcpy(out, &bytes, OutBytes);
        out += OutBytes;
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

// The kernels of one rebuild: `fast` for the columns it may read beyond, `plain` for the rest.
struct Kernels {
    RowKernel fast, plain;
};

template <unsigned OutBytes>
Kernels KernelsFor(SampleRule rule, ResampleRoute route)
{
    if (rule == SampleRule::Nearest)
        return {NearestRow<OutBytes>, NearestRow<OutBytes>};
#ifdef VEILCUT_VECTOR_ROWS
    if (route == ResampleRoute::Fastest && CpuHasAvx2())
        return {BilinearRowAvx2<OutBytes>, BilinearRow<OutBytes>};
#endif
    return {BilinearRow<OutBytes>, BilinearRow<OutBytes>};
}

void FillPixels(BYTE* out, std::size_t count, unsigned pixelBytes)
{
    // The row padding stays as it was, as it does on the per-pixel route.
    if (pixelBytes == kBytesPerPixel) {
        std::memset(out, kFillByte, count * kBytesPerPixel);
        return;
    }
    const std::uint32_t fill = std::uint32_t(kOpaque) << 24 | kFillByte << 16 | kFillByte << 8 | kFillByte;
    for (std::size_t i = 0; i < count; ++i, out += kImageBytesPerPixel)
        std::memcpy(out, &fill, kImageBytesPerPixel);
}

// Display scan lines [first, end) of one rebuild; every line depends on the
// picture alone, so lines can be made in any order by any thread.
struct Band {
    FIBITMAP* picture;
    unsigned height;
    SourceArea area;
    DisplayRows rows;
    const std::vector<Column>* columns;
    Kernels kernels;
    std::size_t fastColumns;  // the columns from here on take the plain kernel

    // The picture scan lines a display line reads, or -1 when it shows only fill.
    int SourceLine(unsigned y, double* fy) const
    {
        const double sy = area.bottom + y / area.scale;
        if (!IsInsideAxis(area.rule, height, sy))
            return -1;
        *fy = std::fmod(sy, 1.0);
        return int(sy);
    }

    void Make(unsigned first, unsigned end) const
    {
        const Column* begin = columns->data();
        int previousLine = -1;
        for (unsigned y = first; y < end; ++y) {
            BYTE* out = rows.Line(y);
            double fy = 0.0;
            const int iy = SourceLine(y, &fy);
            if (iy < 0) {
                FillPixels(out, rows.width, rows.pixelBytes);
            } else if (area.rule == SampleRule::Nearest && iy == previousLine) {
                // Zoomed in, neighbouring display lines often show the same picture line.
                std::memcpy(out, rows.Line(y - 1), std::size_t(rows.width) * rows.pixelBytes);
            } else {
                const BYTE* lower = FreeImage_GetScanLine(picture, iy);
                const BYTE* upper = area.rule == SampleRule::Nearest ? lower : FreeImage_GetScanLine(picture, iy + 1);
                out = kernels.fast(lower, upper, fy, begin, begin + fastColumns, out);
                out = kernels.plain(lower, upper, fy, begin + fastColumns, begin + columns->size(), out);
                FillPixels(out, rows.width - columns->size(), rows.pixelBytes);
            }
            previousLine = iy;
        }
    }
};

// Below this many display pixels a second thread costs more than it saves.
constexpr std::size_t kPixelsWorthASecondThread = 1 << 16;

void ResampleByScanLines(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area,
                         const DisplayRows& rows, ResampleRoute route)
{
    const std::vector<Column> columns = MapInsideColumns(rows.width, width, area);
    // The vector route reads a byte past each right neighbour; near the end
    // of a scan line that byte may lie outside the picture.
    const std::size_t lineBytes = std::size_t(FreeImage_GetWidth(picture)) * kBytesPerPixel;
    const auto lastSafe = std::partition_point(columns.begin(), columns.end(), [&](const Column& c) {
        return c.offset + 2 * kBytesPerPixel + 1 <= lineBytes;
    });
    const Kernels kernels = rows.pixelBytes == kBytesPerPixel ? KernelsFor<kBytesPerPixel>(area.rule, route)
                                                              : KernelsFor<kImageBytesPerPixel>(area.rule, route);
    const Band band{picture, height, area, rows, &columns, kernels, std::size_t(lastSafe - columns.begin())};
    const unsigned dh = rows.height;
    const unsigned split = std::size_t(rows.width) * dh >= kPixelsWorthASecondThread ? dh / 2 : 0;
    // Each zoom, pan and live-resize step rebuilds the copy: the upper half
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

void ResamplePixelByPixel(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area,
                          FIBITMAP* display)
{
    const unsigned dw = FreeImage_GetWidth(display), dh = FreeImage_GetHeight(display);
    for (unsigned y = 0; y < dh; ++y) {
        for (unsigned x = 0; x < dw; ++x) {
            RGBQUAD quad = DefinedColour(picture, width, height, area, x, y);
            FreeImage_SetPixelColor(display, x, y, &quad);
        }
    }
}

void Resample(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area, FIBITMAP* display,
              ResampleRoute route)
{
    if (!IsPlain24Bit(display) || !ScanLinesAreSafe(picture, width, height, area)) {
        ResamplePixelByPixel(picture, width, height, area, display);
        return;
    }
    const DisplayRows rows{FreeImage_GetBits(display), std::ptrdiff_t(FreeImage_GetPitch(display)),
                           FreeImage_GetWidth(display), FreeImage_GetHeight(display), kBytesPerPixel};
    ResampleByScanLines(picture, width, height, area, rows, route);
}

QImage ResampleToImage(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area, QSize size,
                       ResampleRoute route, QImage spent)
{
    if (!picture || size.isEmpty())
        return {};
    // RGB32 is what the painter copies without converting; its bytes lie in
    // FreeImage's blue, green, red order with an opaque fourth.
    const bool reusable = spent.size() == size && spent.format() == QImage::Format_RGB32;
    QImage image = reusable ? std::move(spent) : QImage(size, QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    if (image.isNull())
        return {};
    const unsigned dw = unsigned(size.width()), dh = unsigned(size.height());
    if (!ScanLinesAreSafe(picture, width, height, area)) {
        for (unsigned y = 0; y < dh; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(int(dh - 1 - y)));
            for (unsigned x = 0; x < dw; ++x) {
                const RGBQUAD q = DefinedColour(picture, width, height, area, x, y);
                line[x] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
            }
        }
        return image;
    }
    // The image is upright, so display scan line 0 is its last line.
    const DisplayRows rows{image.scanLine(int(dh - 1)), -std::ptrdiff_t(image.bytesPerLine()), dw, dh,
                           kImageBytesPerPixel};
    ResampleByScanLines(picture, width, height, area, rows, route);
    return image;
}
