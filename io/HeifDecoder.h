#pragma once

#include "io/DecodedPicture.h"
#include "io/PieceStream.h"

// Decodes the primary picture of a HEIF file with libheif into a 24-bit
// bitmap, or 32 bits with its alpha. libheif turns and mirrors it as the
// file's own transforms say, so the orientation is always "as stored" here:
// the Exif tag inside repeats those transforms and is not applied again.
// The size is checked before anything is decoded.
DecodedPicture DecodeHeif(const PictureBytes& bytes);
