#include "display/DisplayImage.h"

#include "display/Resampling.h"
#include "io/BitmapPtr.h"

#include <cmath>

QImage ToTopDownImage(FIBITMAP* display)
{
    if (!display || !FreeImage_HasPixels(display) || FreeImage_GetBPP(display) != 24)
        return {};
    const unsigned width = FreeImage_GetWidth(display), height = FreeImage_GetHeight(display);
    if (width == 0 || height == 0)
        return {};

    // RGB32 is what the painter blits without converting.
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    for (unsigned row = 0; row < height; ++row) {
        const BYTE* source = FreeImage_GetScanLine(display, int(height - 1 - row));
        auto* target = reinterpret_cast<QRgb*>(image.scanLine(int(row)));
        for (unsigned x = 0; x < width; ++x, source += 3)
            target[x] = qRgb(source[FI_RGBA_RED], source[FI_RGBA_GREEN], source[FI_RGBA_BLUE]);
    }
    return image;
}

QImage DeviceImage(FIBITMAP* picture, unsigned width, unsigned height, double scale, FIBITMAP* display,
                   double ratio)
{
    if (ratio == 1.0 || !display)
        return ToTopDownImage(display);
    const int w = int(std::lround(FreeImage_GetWidth(display) * ratio));
    const int h = int(std::lround(FreeImage_GetHeight(display) * ratio));
    const BitmapPtr sharp(FreeImage_Allocate(w, h, 24, 0, 0, 0));
    if (!sharp)
        return ToTopDownImage(display);
    ResampleBilinear(picture, width, height, scale * ratio, sharp.get());
    QImage image = ToTopDownImage(sharp.get());
    image.setDevicePixelRatio(ratio);
    return image;
}
