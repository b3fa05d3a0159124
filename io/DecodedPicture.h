#pragma once

#include "io/BitmapPtr.h"
#include "io/ExifOrientation.h"
#include "io/LoadBounds.h"

// What a decoder made of a file: the bitmap as it came (any depth), the
// orientation its metadata gave, and whether its decoder, though it gave
// pixels, said part of them are missing or wrong.
struct DecodedPicture {
    BitmapPtr bitmap;
    PictureLoadFailure failure = PictureLoadFailure::None;
    Orientation orientation = Orientation::AsStored;
    bool damaged = false;
};

inline DecodedPicture RefusedPicture(PictureLoadFailure reason)
{
    DecodedPicture refused;
    refused.failure = reason;
    return refused;
}
