#pragma once

#include "document/MaskBurn.h"

#include <FreeImage.h>
#include <QByteArray>

// Reads back the picture file just written at `path` and tells whether it is
// what the save meant to write: it decodes as `format` with `width` x
// `height` pixels, carries nothing but the picture (no metadata, no bytes
// after its end) and shows the gray of the ellipse `burn` burnt into it.
bool WrittenPictureHoldsMask(const QByteArray& path, FREE_IMAGE_FORMAT format, unsigned width, unsigned height,
                             const PictureEllipse& burn);
