#pragma once

#include <FreeImage.h>
#include <QImage>

// The bottom-up, padded BGR display copy as a top-down QImage for painting 1:1.
// Anything but a 24-bit bitmap with pixels gives a null QImage.
QImage ToTopDownImage(FIBITMAP* display);

// What the view draws for `display` on a screen of `ratio` device pixels per
// view pixel: at ratio 1 the display copy itself; above it the picture
// resampled by the same bilinear rule at `scale` times the ratio, so the
// photo uses every device pixel, marked with the ratio so it covers the same
// view pixels. `width` and `height` are the picture's.
QImage DeviceImage(FIBITMAP* picture, unsigned width, unsigned height, double scale, FIBITMAP* display,
                   double ratio);
