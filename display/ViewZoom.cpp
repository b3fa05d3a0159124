#include "display/ViewZoom.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kLargestZoom = 4.0;
constexpr double kLevelRatio = 1.25;
// A step is at least this much, so the first step off the fitted view or
// onto the largest zoom never looks like nothing happened.
constexpr double kLeastStep = 1.1;

double Level(double exponent)
{
    return std::pow(kLevelRatio, exponent);
}

double LevelExponent(double scale)
{
    return std::log(scale) / std::log(kLevelRatio);
}

// The offset on one axis: edge to edge when the picture is the larger, centred when not.
double ClampAxis(double offset, double pictureExtent, double viewExtent)
{
    if (pictureExtent <= viewExtent)
        return (viewExtent - pictureExtent) / 2;
    return std::clamp(offset, viewExtent - pictureExtent, 0.0);
}

// Whole view pixels at the picture's edges; a rounding error of the
// placement must not cost a column.
constexpr double kEdgeTolerance = 1e-9;

int Ceil(double v)
{
    return int(std::ceil(v - kEdgeTolerance));
}

int Floor(double v)
{
    return int(std::floor(v + kEdgeTolerance));
}

QPointF Offset(const ViewTransform& t)
{
    return QPointF(t.offsetX, t.offsetY);
}

ViewTransform Placed(double scale, QPointF offset)
{
    return {scale, offset.x(), offset.y()};
}

}  // namespace

QPointF ToViewPoint(const ViewTransform& t, QPointF picturePoint)
{
    return picturePoint * t.scale + Offset(t);
}

QPointF ToPicturePoint(const ViewTransform& t, QPointF viewPoint)
{
    return (viewPoint - Offset(t)) / t.scale;
}

double MaximumZoom(double fitted)
{
    return std::max(kLargestZoom, fitted);
}

double ZoomedIn(double scale, double fitted)
{
    const double level = Level(std::ceil(LevelExponent(scale * kLeastStep)));
    const double largest = MaximumZoom(fitted);
    return level * kLeastStep > largest ? largest : level;
}

double ZoomedOut(double scale, double fitted)
{
    const double level = Level(std::floor(LevelExponent(scale / kLeastStep)));
    return level < fitted * kLeastStep ? fitted : std::min(level, MaximumZoom(fitted));
}

ViewTransform ClampToView(const ViewTransform& transform, QSizeF picture, QSizeF view)
{
    const double s = transform.scale;
    return {s, ClampAxis(transform.offsetX, picture.width() * s, view.width()),
            ClampAxis(transform.offsetY, picture.height() * s, view.height())};
}

ViewTransform ZoomAround(const ViewTransform& now, double scale, QPointF anchor, QSizeF picture, QSizeF view)
{
    const QPointF kept = ToPicturePoint(now, anchor);
    return ClampToView(Placed(scale, anchor - kept * scale), picture, view);
}

ViewTransform PanBy(const ViewTransform& now, QPointF delta, QSizeF picture, QSizeF view)
{
    return ClampToView(Placed(now.scale, Offset(now) + delta), picture, view);
}

ViewTransform KeepCentre(const ViewTransform& now, QSizeF before, QSizeF picture, QSizeF view)
{
    return CentredOn(now, ToPicturePoint(now, QPointF(before.width(), before.height()) / 2), picture, view);
}

ViewTransform CentredOn(const ViewTransform& now, QPointF centre, QSizeF picture, QSizeF view)
{
    const QPointF viewCentre = QPointF(view.width(), view.height()) / 2;
    return ClampToView(Placed(now.scale, viewCentre - centre * now.scale), picture, view);
}

ShownPart ShownPartOf(const ViewTransform& transform, QSizeF picture, QSize view)
{
    const double s = transform.scale;
    const QPointF topLeft = Offset(transform);
    const QPointF bottomRight = ToViewPoint(transform, QPointF(picture.width(), picture.height()));
    ShownPart part;
    // Display pixels sample at their lower left corner, as the fitted view's
    // do: the rectangle holds the view pixels whose corner lies on the picture.
    part.displayRect = CRect(std::max(0, Ceil(topLeft.x())), std::max(0, Floor(topLeft.y())),
                             std::min(view.width(), Ceil(bottomRight.x())),
                             std::min(view.height(), Floor(bottomRight.y())));
    part.area.scale = s;
    part.area.left = std::max(0.0, (part.displayRect.left - topLeft.x()) / s);
    part.area.bottom = std::max(0.0, (bottomRight.y() - part.displayRect.bottom) / s);
    part.area.rule = s >= 1.0 ? SampleRule::Nearest : SampleRule::Bilinear;
    return part;
}
