#include "io/MaskBurn.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

// Truncates toward zero, saturating instead of overflowing on absurd values.
int TruncateToInt(double value)
{
    if (std::isnan(value)) return 0;
    if (value <= double(INT_MIN)) return INT_MIN;
    if (value >= double(INT_MAX)) return INT_MAX;
    return int(value);
}

// Half-open range of rows or columns to paint: the ellipse's outline rows and
// columns (low and high - 1) stay out, the picture's edges are painted too.
struct Span {
    std::int64_t first;
    std::int64_t end;
};

Span CoveredSpan(std::int64_t low, std::int64_t high, unsigned limit)
{
    return {std::max<std::int64_t>(0, low + 1), std::min<std::int64_t>(limit, high - 1)};
}

void PaintRun(FIBITMAP* picture, const BurnRun& run)
{
    BYTE* pixel = FreeImage_GetScanLine(picture, int(run.row)) + std::size_t(run.first) * 3;
    for (unsigned x = run.first; x < run.end; ++x, pixel += 3) {
        pixel[FI_RGBA_BLUE] = kMaskGray;
        pixel[FI_RGBA_GREEN] = kMaskGray;
        pixel[FI_RGBA_RED] = kMaskGray;
    }
}

bool CanPaint(FIBITMAP* picture, unsigned width, unsigned height)
{
    return picture && FreeImage_GetBPP(picture) == 24
        && width <= FreeImage_GetWidth(picture) && height <= FreeImage_GetHeight(picture);
}

} // namespace

void ForEachBurnRun(unsigned width, unsigned height, const PictureEllipse& e,
                    const std::function<void(const BurnRun&)>& visit)
{
    // 64-bit sums so extreme coordinates cannot overflow.
    const double cx = (std::int64_t(e.x0) + e.x1) / 2.0;
    const double cy = (std::int64_t(e.y0) + e.y1) / 2.0;
    const double rx = (std::int64_t(e.x1) - e.x0) / 2.0;
    const double ry = (std::int64_t(e.y1) - e.y0) / 2.0;

    const Span rows = CoveredSpan(e.y0, e.y1, height);
    for (std::int64_t y = rows.first; y < rows.end; ++y) {
        const double t = (y - cy) / ry;
        const double w = std::sqrt(1 - std::pow(t, 2));
        const int xl = TruncateToInt(cx - w * rx + 0.5);
        const int xr = TruncateToInt(w * rx + cx + 0.5);
        const Span columns = CoveredSpan(xl, xr, width);
        if (columns.first < columns.end) visit({unsigned(y), unsigned(columns.first), unsigned(columns.end)});
    }
}

void BurnEllipse(FIBITMAP* picture, unsigned width, unsigned height, const PictureEllipse& e)
{
    if (!CanPaint(picture, width, height)) return;
    ForEachBurnRun(width, height, e, [picture](const BurnRun& run) { PaintRun(picture, run); });
}
