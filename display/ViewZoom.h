#pragma once

#include "display/Resampling.h"
#include "document/CoverEllipse.h"
#include "framework/CRect.h"

#include <QPointF>
#include <QSize>
#include <QSizeF>

// A point through the picture's transform: picture pixels (x from the left,
// y from the top) to view pixels and back.
QPointF ToViewPoint(const ViewTransform& t, QPointF picturePoint);
QPointF ToPicturePoint(const ViewTransform& t, QPointF viewPoint);

// The largest zoom: one picture pixel shown as four screen pixels, unless
// the fitted view already shows it larger.
double MaximumZoom(double fitted);
// The next scale of a zoom in or out from `scale`: steps of about 1.25x on
// levels that meet 100 %, from the fitted scale up to the largest zoom.
double ZoomedIn(double scale, double fitted);
double ZoomedOut(double scale, double fitted);

// The transform at `scale` that keeps the picture point under `anchor` where
// it is, as far as the picture's edges allow.
ViewTransform ZoomAround(const ViewTransform& now, double scale, QPointF anchor, QSizeF picture, QSizeF view);
// The picture moved by `delta` view pixels, as far as its edges allow.
ViewTransform PanBy(const ViewTransform& now, QPointF delta, QSizeF picture, QSizeF view);
// After the view changed size from `before`: the picture point at the
// view's centre stays at its centre.
ViewTransform KeepCentre(const ViewTransform& now, QSizeF before, QSizeF picture, QSizeF view);
// The picture point `centre` moved to the view's centre, as far as the
// picture's edges allow.
ViewTransform CentredOn(const ViewTransform& now, QPointF centre, QSizeF picture, QSizeF view);
// A picture larger than the view on an axis covers it from edge to edge;
// a smaller one is centred on it.
ViewTransform ClampToView(const ViewTransform& transform, QSizeF picture, QSizeF view);

// What a zoomed view shows: the whole view pixels the picture covers, and
// the area of the picture that the display copy of that rectangle shows.
// Crisp pixels from 100 % up, the fitted view's bilinear rule below.
struct ShownPart {
    CRect displayRect;
    SourceArea area;
};
ShownPart ShownPartOf(const ViewTransform& transform, QSizeF picture, QSize view);
