#pragma once

#include "io/DecodedPicture.h"
#include "io/PieceStream.h"

// Decodes a WebP file with libwebp into a 24-bit bitmap, or 32 bits with its
// alpha, reading the orientation from its EXIF chunk. The size is checked
// before anything is allocated.
DecodedPicture DecodeWebp(const PictureBytes& bytes);
