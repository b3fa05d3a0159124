#pragma once

#include "display/Resampling.h"

#include <FreeImage.h>
#include <QImage>
#include <QSize>

// The display copy the view paints 1:1 into a display rectangle of `viewSize`
// view pixels showing `area` of the picture. On a screen of `ratio` device
// pixels per view pixel the same area is resampled by the same rule for every
// device pixel and marked with the ratio, so it covers the same view pixels.
// `width` and `height` are the picture's. Null when there is nothing to show.
// The memory of a `spent` copy of the same size is used again.
QImage DisplayImage(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area, QSize viewSize,
                    double ratio, QImage spent = {});
