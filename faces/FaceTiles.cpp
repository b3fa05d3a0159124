#include "faces/FaceTiles.h"

#include <algorithm>
#include <cmath>

namespace {
// The fine layer is never enlarged more than twice, and never holds more than
// this many tiles along the longer side, so that a long thin picture costs
// no more than a square one.
constexpr long long kSmallestSpan = kModelSide / 2;
constexpr long long kMostTilesAlong = 8;

long long CeilDiv(long long a, long long b) { return (a + b - 1) / b; }

// Starts of tiles of `side` over [0, extent): evenly spread, neighbours
// overlapping by at least `overlap`; one tile at 0 when it covers all.
std::vector<long long> Starts(long long extent, long long side, long long overlap)
{
    if (extent <= side)
        return {0};
    const long long stride = side - overlap;
    const long long count = CeilDiv(extent - side, stride) + 1;
    std::vector<long long> starts;
    for (long long i = 0; i < count; ++i)
        starts.push_back(i * (extent - side) / (count - 1));
    return starts;
}
} // namespace

std::vector<FaceLayer> FaceLayers(long long width, long long height, double smallestShare)
{
    std::vector<FaceLayer> layers;
    if (width <= 0 || height <= 0)
        return layers;
    const double smallestFace = smallestShare * double(std::min(width, height));
    const long long longer = std::max(width, height);
    FaceLayer layer;
    const long long enlarged = std::max({std::llround(smallestFace * kModelSide / kSmallestModelFace), kSmallestSpan,
                                         CeilDiv(longer, kMostTilesAlong)});
    if (enlarged < kModelSide)
        layer.span = enlarged;
    else
        layer.shrink = std::max({1LL, static_cast<long long>(smallestFace / kSmallestModelFace),
                                 CeilDiv(longer, kMostTilesAlong * kModelSide)});
    for (;;) {
        // Sizes in pixels of the reduced picture.
        const long long side = layer.span, overlap = side * kLargestModelFace / kModelSide;
        const long long reducedWidth = CeilDiv(width, layer.shrink), reducedHeight = CeilDiv(height, layer.shrink);
        layer.tiles.clear();
        for (long long top : Starts(reducedHeight, side, overlap))
            for (long long left : Starts(reducedWidth, side, overlap))
                layer.tiles.push_back({left * layer.shrink, top * layer.shrink, side * layer.shrink});
        layers.push_back(layer);
        if (reducedWidth <= side && reducedHeight <= side)
            return layers;
        // The next layer takes over where this one's faces stop being whole in a tile.
        if (layer.span < kModelSide)
            layer.shrink = std::max(1LL, layer.span * kLargestModelFace / (kModelSide * kSmallestModelFace));
        else
            layer.shrink *= 2;
        layer.span = kModelSide;
    }
}
