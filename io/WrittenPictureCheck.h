#pragma once

#include "io/MaskBurn.h"
#include "io/PictureReadAlong.h"

#include <FreeImage.h>

#include <vector>

// Reads back the picture file just written through `fd` and tells whether it
// is what the save meant to write: it decodes as `format` with `width` x
// `height` pixels, carries nothing but the picture (no metadata, no bytes
// after its end) and shows the gray of the burn on the `covered` runs
// (CoveredRuns of the burnt ellipses). What "shows" means differs by format:
// a BMP and a PNG hold the exact gray on every covered pixel; a JPEG, decoded
// at 1/8 scale, is near the gray on every 8 x 8 block lying wholly inside the
// covered runs (covered pixels in no such block are not looked at).
// A started `decoding` of the same file stands in for decoding it again.
bool WrittenPictureHoldsMask(int fd, FREE_IMAGE_FORMAT format, unsigned width, unsigned height,
                             const std::vector<BurnRun>& covered, PictureReadAlong* decoding = nullptr);

// What a decoder reading alongside the writer must find in the pixels of a
// `format` file; empty for a format checked on its bytes alone (BMP).
PictureVerdict WrittenPixelsVerdict(FREE_IMAGE_FORMAT format, unsigned width, unsigned height,
                                    const std::vector<BurnRun>& covered);
