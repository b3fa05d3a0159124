#pragma once

#include "io/DecodedPicture.h"
#include "io/PieceStream.h"

// Decodes the first page of a TIFF file with libtiff, flattened over white
// into a 24-bit bitmap, with the orientation its tag gives. The size is
// checked before the pixels are allocated; an error while reading the pixels
// leaves the rest white and the picture marked damaged, a warning does not.
DecodedPicture DecodeTiff(const PictureBytes& bytes);
