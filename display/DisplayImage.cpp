#include "display/DisplayImage.h"

#include <cmath>
#include <utility>

QImage DisplayImage(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area, QSize viewSize,
                    double ratio, QImage spent)
{
    if (ratio == 1.0)
        return ResampleToImage(picture, width, height, area, viewSize, ResampleRoute::Fastest, std::move(spent));
    SourceArea device = area;
    device.scale = area.scale * ratio;
    const QSize size(int(std::lround(viewSize.width() * ratio)), int(std::lround(viewSize.height() * ratio)));
    QImage image = ResampleToImage(picture, width, height, device, size, ResampleRoute::Fastest, std::move(spent));
    image.setDevicePixelRatio(ratio);
    return image;
}
