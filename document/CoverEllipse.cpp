#include "document/CoverEllipse.h"

#include "editing/EllipseHitTest.h"

#include <climits>
#include <cmath>

namespace {

int RoundHalfUp(double v)
{
    return int(std::floor(v + 0.5));
}

// Adds 0.5 and truncates toward zero, saturating instead of overflowing.
int BurnPixel(double value)
{
    const double v = value + 0.5;
    if (std::isnan(v)) return 0;
    if (v <= double(INT_MIN)) return INT_MIN;
    if (v >= double(INT_MAX)) return INT_MAX;
    return int(v);
}

Grip SelectedGrip(CPoint point, const CRect& r, int s)
{
    if (PtInLeftHandle(point, r, s)) return Grip::Left;
    if (PtInRightHandle(point, r, s)) return Grip::Right;
    if (PtInTopHandle(point, r, s)) return Grip::Top;
    if (PtInBottomHandle(point, r, s)) return Grip::Bottom;
    if (PtInEllipse(point, r)) return Grip::Interior;
    return Grip::None;
}

} // namespace

ViewTransform FittedTransform(const CRect& displayRect, double scale, unsigned pictureHeight)
{
    return {scale, double(displayRect.left), displayRect.bottom - pictureHeight * scale};
}

CRect ToView(const CoverEllipse& e, const ViewTransform& t)
{
    const auto x = [&](double v) { return RoundHalfUp(t.offsetX + v * t.scale); };
    const auto y = [&](double v) { return RoundHalfUp(t.offsetY + v * t.scale); };
    return CRect(x(e.left), y(e.top), x(e.right), y(e.bottom));
}

CoverEllipse ToPicture(const CRect& shown, const ViewTransform& t)
{
    const auto x = [&](int v) { return (v - t.offsetX) / t.scale; };
    const auto y = [&](int v) { return (v - t.offsetY) / t.scale; };
    return {x(shown.left), y(shown.top), x(shown.right), y(shown.bottom)};
}

CoverEllipse TurnEllipse(const CoverEllipse& e, QuarterTurn turn, unsigned width, unsigned height)
{
    // Clockwise a point (x, y) goes to (height - y, x); counter-clockwise to (y, width - x).
    if (turn == QuarterTurn::Right)
        return {height - e.bottom, e.left, height - e.top, e.right};
    return {e.top, width - e.right, e.bottom, width - e.left};
}

PictureEllipse MapEllipseToPicture(const CoverEllipse& e, unsigned pictureHeight)
{
    return {BurnPixel(e.left), BurnPixel(pictureHeight - e.bottom), BurnPixel(e.right),
            BurnPixel(pictureHeight - e.top)};
}

std::optional<EllipseHit> HitEllipse(const std::vector<CRect>& shown, std::optional<std::size_t> selected,
                                     CPoint point, int handleSize)
{
    if (selected && *selected < shown.size()) {
        const Grip grip = SelectedGrip(point, shown[*selected], handleSize);
        if (grip != Grip::None)
            return EllipseHit{*selected, grip};
    }
    for (std::size_t i = shown.size(); i-- > 0;) {
        if (i != selected && PtInEllipse(point, shown[i]))
            return EllipseHit{i, Grip::Interior};
    }
    return std::nullopt;
}
