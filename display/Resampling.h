#pragma once

#include <FreeImage.h>
#include <QImage>
#include <QSize>

// How a display pixel takes its colour from the picture.
enum class SampleRule {
    Bilinear,  // the four neighbours weighted, as the fitted view has always shown
    Nearest,   // the picture pixel the position falls in: crisp pixels when zoomed in
};

// The part of the picture a display copy shows. Display pixel (x, y), y
// counted from the bottom, takes the picture's colour at
// (left + x / scale, bottom + y / scale), picture rows counted from the bottom
// too. The fitted view shows from (0, 0).
struct SourceArea {
    double scale = 1.0;  // display pixels per picture pixel
    double left = 0.0;
    double bottom = 0.0;
    SampleRule rule = SampleRule::Bilinear;
};

// Bilinear colour of `picture` at (x, y), y counted from the bottom. FALSE when a neighbour lies outside.
BOOL SampleBilinear(FIBITMAP* picture, double x, double y, RGBQUAD* quad);
// How a scan line is made: by vector instructions where the processor has
// them, or by plain code everywhere. Both give the same bytes.
enum class ResampleRoute { Fastest, Plain };
// Fills the whole of `display` from `area` of `picture`; `width` and `height`
// are the picture size used by the inside test.
void Resample(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area, FIBITMAP* display,
              ResampleRoute route = ResampleRoute::Fastest);
// The same pixels made straight into an upright image of `size` the painter
// copies as it is; null when there is nothing to show or no memory for it.
// A `spent` image of that size and no other user is written over instead of
// allocating fresh memory, as zoom and pan steps follow each other.
QImage ResampleToImage(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area, QSize size,
                       ResampleRoute route = ResampleRoute::Fastest, QImage spent = {});
// One FreeImage read per neighbour and one write per display pixel: the
// definition the fast path must match.
void ResamplePixelByPixel(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area,
                          FIBITMAP* display);
