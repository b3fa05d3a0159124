#include "faces/FaceTiles.h"

#include <algorithm>
#include <cmath>

namespace {
// The fine layer is never enlarged more than twice, and never holds more than
// this many tiles along the longer side, so that a long thin picture costs
// no more than a square one.
constexpr long long kSmallestTile = kModelSide / 2;
constexpr long long kMostTilesAlong = 8;

// Starts of tiles of `side` over [0, extent): evenly spread, neighbours
// overlapping by at least `overlap`; one tile at 0 when it covers all.
std::vector<long long> Starts(long long extent, long long side, long long overlap)
{
    if (extent <= side)
        return {0};
    const long long stride = side - overlap;
    const long long count = (extent - side + stride - 1) / stride + 1;
    std::vector<long long> starts;
    for (long long i = 0; i < count; ++i)
        starts.push_back(i * (extent - side) / (count - 1));
    return starts;
}
} // namespace

std::vector<FaceTile> FaceTiles(long long width, long long height, double smallestShare)
{
    std::vector<FaceTile> tiles;
    if (width <= 0 || height <= 0)
        return tiles;
    const double smallestFace = smallestShare * double(std::min(width, height));
    const long long longer = std::max(width, height);
    long long side = std::llround(smallestFace * kModelSide / kSmallestModelFace);
    side = std::max({side, kSmallestTile, (longer + kMostTilesAlong - 1) / kMostTilesAlong});
    for (;; side *= 2) {
        const long long overlap = side * kLargestModelFace / kModelSide;
        for (long long top : Starts(height, side, overlap))
            for (long long left : Starts(width, side, overlap))
                tiles.push_back({left, top, side});
        if (side >= longer)
            return tiles;
    }
}
