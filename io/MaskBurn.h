#pragma once

#include "framework/CRect.h"

#include <FreeImage.h>

#include <functional>

// The gray burnt into the picture and shown over it, in all three channels.
constexpr BYTE kMaskGray = 153;

// The mask ellipse in picture pixels: x from the left, y (the scan line) from
// the bottom. Not normalised: x1 < x0 or y1 < y0 describes nothing.
struct PictureEllipse {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;

    constexpr bool operator==(const PictureEllipse&) const = default;
};

// Columns first up to end (excluded) of scan line `row` are burnt.
struct BurnRun {
    unsigned row;
    unsigned first;
    unsigned end;
};

// Visits, from the bottom up, every run of pixels the ellipse covers in a
// picture of `width` x `height`, edges included.
void ForEachBurnRun(unsigned width, unsigned height, const PictureEllipse& e,
                    const std::function<void(const BurnRun&)>& visit);

// Paints the solid gray ellipse into the 24-bit `picture`; `width` and `height`
// clamp the painted area. Paints nothing for a null or non-24-bit picture, or when the clamps
// are larger than the picture itself.
void BurnEllipse(FIBITMAP* picture, unsigned width, unsigned height, const PictureEllipse& e);
