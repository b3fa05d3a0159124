#pragma once

#include "display/Resampling.h"
#include "framework/CRect.h"

#include <QPointF>
#include <QSize>
#include <QSizeF>

// Where the picture lies in the view while zoomed: picture point p (picture
// pixels, x from the left, y from the top) is at view point p * scale + offset.
struct ZoomPlacement {
    double scale = 1.0;
    QPointF offset;

    bool operator==(const ZoomPlacement&) const = default;
    QPointF ToView(QPointF picturePoint) const { return picturePoint * scale + offset; }
    QPointF ToPicture(QPointF viewPoint) const { return (viewPoint - offset) / scale; }
};

// The largest zoom: one picture pixel shown as four screen pixels, unless
// the fitted view already shows it larger.
double MaximumZoom(double fitted);
// The next scale of a zoom in or out from `scale`: steps of about 1.25x on
// levels that meet 100 %, from the fitted scale up to the largest zoom.
double ZoomedIn(double scale, double fitted);
double ZoomedOut(double scale, double fitted);

// The placement at `scale` that keeps the picture point under `anchor` where
// it is, as far as the picture's edges allow.
ZoomPlacement ZoomAround(const ZoomPlacement& now, double scale, QPointF anchor, QSizeF picture, QSizeF view);
// The picture moved by `delta` view pixels, as far as its edges allow.
ZoomPlacement PanBy(const ZoomPlacement& now, QPointF delta, QSizeF picture, QSizeF view);
// After the view changed size from `before`: the picture point at the
// view's centre stays at its centre.
ZoomPlacement KeepCentre(const ZoomPlacement& now, QSizeF before, QSizeF picture, QSizeF view);
// A picture larger than the view on an axis covers it from edge to edge;
// a smaller one is centred on it.
ZoomPlacement ClampToView(const ZoomPlacement& placement, QSizeF picture, QSizeF view);

// What a zoomed view shows: the whole view pixels the picture covers, and
// the area of the picture that the display copy of that rectangle shows.
// Crisp pixels from 100 % up, the fitted view's bilinear rule below.
struct ShownPart {
    CRect displayRect;
    SourceArea area;
};
ShownPart ShownPartOf(const ZoomPlacement& placement, QSizeF picture, QSize view);
