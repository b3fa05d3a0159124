#include "io/MaskBurn.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <tuple>

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

BYTE* RunStart(FIBITMAP* picture, const BurnRun& run)
{
    return FreeImage_GetScanLine(picture, int(run.row)) + std::size_t(run.first) * 3;
}

std::size_t RunBytes(const BurnRun& run) { return std::size_t(run.end - run.first) * 3; }

void PaintRun(FIBITMAP* picture, const BurnRun& run)
{
    BYTE* pixel = RunStart(picture, run);
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

std::vector<BurnRun> CoveredRuns(unsigned width, unsigned height, const std::vector<PictureEllipse>& ellipses)
{
    std::vector<BurnRun> runs;
    for (const PictureEllipse& e : ellipses)
        ForEachBurnRun(width, height, e, [&runs](const BurnRun& run) { runs.push_back(run); });
    std::sort(runs.begin(), runs.end(), [](const BurnRun& a, const BurnRun& b) {
        return std::tie(a.row, a.first) < std::tie(b.row, b.first);
    });
    // Overlapping or touching runs of one scan line become one, so no pixel is painted twice.
    std::vector<BurnRun> merged;
    for (const BurnRun& run : runs) {
        if (!merged.empty() && merged.back().row == run.row && run.first <= merged.back().end)
            merged.back().end = std::max(merged.back().end, run.end);
        else
            merged.push_back(run);
    }
    return merged;
}

void BurnEllipses(FIBITMAP* picture, unsigned width, unsigned height, const std::vector<PictureEllipse>& ellipses)
{
    if (!CanPaint(picture, width, height)) return;
    for (const BurnRun& run : CoveredRuns(width, height, ellipses))
        PaintRun(picture, run);
}

UndoableBurn::UndoableBurn(FIBITMAP* picture, const std::vector<PictureEllipse>& ellipses) : m_picture(picture)
{
    if (!picture || FreeImage_GetBPP(picture) != 24) return;
    m_runs = CoveredRuns(FreeImage_GetWidth(picture), FreeImage_GetHeight(picture), ellipses);
    std::size_t bytes = 0;
    for (const BurnRun& run : m_runs)
        bytes += RunBytes(run);
    m_originals.resize(bytes);
    BYTE* kept = m_originals.data();
    for (const BurnRun& run : m_runs) {
        std::memcpy(kept, RunStart(picture, run), RunBytes(run));
        kept += RunBytes(run);
        PaintRun(picture, run);
    }
}

void UndoableBurn::Undo()
{
    const BYTE* kept = m_originals.data();
    for (const BurnRun& run : m_runs) {
        std::memcpy(RunStart(m_picture, run), kept, RunBytes(run));
        kept += RunBytes(run);
    }
}
