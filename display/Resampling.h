#pragma once

#include <FreeImage.h>

// Bilinear colour of `picture` at (x, y), y counted from the bottom. FALSE when a neighbour lies outside.
BOOL SampleBilinear(FIBITMAP* picture, double x, double y, RGBQUAD* quad);
// How a scan line is made: by vector instructions where the processor has
// them, or by plain code everywhere. Both give the same bytes.
enum class ResampleRoute { Fastest, Plain };
// Fills the whole of `display` from `picture` shown at `scale`; `width` and `height` are the picture size used by the inside test.
void ResampleBilinear(FIBITMAP* picture, unsigned width, unsigned height, double scale, FIBITMAP* display,
                      ResampleRoute route = ResampleRoute::Fastest);
// The same with one FreeImage read per neighbour and one write per display pixel:
// the definition the fast path must match, and its fallback for unusual bitmaps.
void ResamplePixelByPixel(FIBITMAP* picture, unsigned width, unsigned height, double scale, FIBITMAP* display);
