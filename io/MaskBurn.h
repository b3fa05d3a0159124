#pragma once

#include "framework/CRect.h"

#include <FreeImage.h>

#include <functional>
#include <vector>

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

// What the ellipses cover together in a picture of `width` x `height`: every
// scan line's runs from ForEachBurnRun, overlaps merged, from the bottom up and
// left to right, no two touching.
std::vector<BurnRun> CoveredRuns(unsigned width, unsigned height, const std::vector<PictureEllipse>& ellipses);

// Paints the solid gray of every ellipse into the 24-bit `picture` in one pass
// over what they cover; `width` and `height` clamp the painted area. Paints
// nothing for a null or non-24-bit picture, or when the clamps are larger than
// the picture itself.
void BurnEllipses(FIBITMAP* picture, unsigned width, unsigned height, const std::vector<PictureEllipse>& ellipses);

// A burn that can be taken back: the covered pixels' originals are kept (3
// bytes a covered pixel, far less than a copy of the picture) until Undo puts
// them back.
class UndoableBurn {
public:
    UndoableBurn(FIBITMAP* picture, const std::vector<PictureEllipse>& ellipses);
    UndoableBurn(const UndoableBurn&) = delete;
    UndoableBurn& operator=(const UndoableBurn&) = delete;

    // Whether any picture pixel is covered.
    bool CoversAnything() const { return !m_runs.empty(); }
    void Undo();

private:
    FIBITMAP* m_picture;
    std::vector<BurnRun> m_runs;
    std::vector<BYTE> m_originals;
};
