#pragma once

#include "io/BitmapPtr.h"
#include "io/MaskBurn.h"

#include <FreeImage.h>
#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <string>

struct Bgr {
    BYTE blue, green, red;
    bool operator==(const Bgr&) const = default;
};

// A 24-bit bitmap whose pixel (x, y) (y counted from the bottom, as FreeImage
// counts) is colour(x, y).
BitmapPtr MakePicture(unsigned width, unsigned height,
                      const std::function<Bgr(unsigned x, unsigned y)>& colour);
// A 24-bit bitmap of random pixels; the same seed gives the same picture.
BitmapPtr MakeNoisePicture(unsigned width, unsigned height, unsigned seed);

Bgr PixelAt(FIBITMAP* dib, unsigned x, unsigned y);
// Pixel (x, y) of an upright display copy, y counted from the bottom as in a bitmap.
Bgr PixelAt(const QImage& display, unsigned x, unsigned y);

// Empty when both bitmaps have the same size and the same blue, green and red
// bytes; otherwise says where the first difference is and what both hold.
std::string DescribeDifference(FIBITMAP* expected, FIBITMAP* actual);
// The same against an upright display copy, read as PixelAt reads it.
std::string DescribeDifference(FIBITMAP* expected, const QImage& actual);

// The picture FreeImage itself reads from `path`, without the program's guards.
BitmapPtr PlainLoad(FREE_IMAGE_FORMAT format, const QString& path, int flags = 0);

// The bytes FreeImage writes for `dib` in `format` with `flags`; empty when it cannot.
QByteArray EncodePicture(FREE_IMAGE_FORMAT format, FIBITMAP* dib, int flags);

// Paints the burnt ellipse (x0, y0)-(x1, y1), in picture pixels, into
// `picture` the slow way, row by row.
void PaintExpectedEllipse(FIBITMAP* picture, int x0, int y0, int x1, int y1);

// A view rectangle `e` in picture pixels by the screen-side definition: each
// distance from the display rectangle's left or bottom edge divided by
// `scale`, 0.5 added and truncated toward zero.
PictureEllipse ScreenEllipseToPicture(const CRect& e, const CRect& displayRect, double scale);

// A fresh empty folder under the test build tree, removed at the end of the run.
QString MakeScratchFolder(const QString& name);

// Writes `bytes` as the whole of the file at `path`; fails the test when it cannot.
void WriteFile(const QString& path, const QByteArray& bytes);
