#include "faces/ModelInput.h"

#include <algorithm>
#include <cstdint>

namespace {
// The picture span [first, end) that model position i of a tile starting at
// `start` with `side` picture pixels covers, clipped to [0, extent).
struct Span {
    long long first, end;
};
Span Covered(long long start, long long side, int i, long long extent)
{
    long long first = start + i * side / kModelSide;
    long long end = std::max(first + 1, start + (i + 1) * side / kModelSide);
    return {std::clamp(first, 0LL, extent), std::clamp(end, 0LL, extent)};
}
} // namespace

void ReduceToModelInput(FIBITMAP* picture, const FaceTile& tile, ModelInput& out)
{
    const long long width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
    out.assign(size_t(kModelSide) * kModelSide * 3, 0.0f);
    std::vector<Span> columns;
    for (int x = 0; x < kModelSide; ++x)
        columns.push_back(Covered(tile.left, tile.side, x, width));
    std::vector<std::uint64_t> sums(size_t(kModelSide) * 3);
    for (int y = 0; y < kModelSide; ++y) {
        const Span rows = Covered(tile.top, tile.side, y, height);
        if (rows.end <= rows.first)
            continue;
        std::fill(sums.begin(), sums.end(), 0);
        for (long long row = rows.first; row < rows.end; ++row) {
            const BYTE* line = FreeImage_GetScanLine(picture, int(height - 1 - row));
            for (int x = 0; x < kModelSide; ++x) {
                for (long long column = columns[x].first; column < columns[x].end; ++column) {
                    const BYTE* pixel = line + 3 * column;
                    sums[3 * x] += pixel[FI_RGBA_RED];
                    sums[3 * x + 1] += pixel[FI_RGBA_GREEN];
                    sums[3 * x + 2] += pixel[FI_RGBA_BLUE];
                }
            }
        }
        float* target = out.data() + size_t(y) * kModelSide * 3;
        for (int x = 0; x < kModelSide; ++x) {
            const long long count = (columns[x].end - columns[x].first) * (rows.end - rows.first);
            for (int c = 0; c < 3 && count > 0; ++c)
                target[3 * x + c] = float(double(sums[3 * x + c]) / double(count) / 127.5 - 1.0);
        }
    }
}

void TurnModelInput(const ModelInput& in, int turns, ModelInput& out)
{
    out.resize(in.size());
    constexpr int n = kModelSide;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            // Where pixel (x, y) of the turned square comes from.
            int sx = x, sy = y;
            for (int t = 0; t < (turns & 3); ++t) {
                const int px = sy, py = n - 1 - sx;
                sx = px, sy = py;
            }
            std::copy_n(&in[(size_t(sy) * n + sx) * 3], 3, &out[(size_t(y) * n + x) * 3]);
        }
    }
}
