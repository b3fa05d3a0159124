#pragma once

#include "io/BitmapPtr.h"
#include "io/ExifOrientation.h"

// The 24-bit `picture` shown upright: stored pixel (x, y), counted from the
// top left, lands where `orientation` puts it. Turns that swap width and
// height make a new bitmap; mirrors and the half turn work in place. Null
// when the new bitmap cannot be allocated.
BitmapPtr OrientPicture(BitmapPtr picture, Orientation orientation);

// True for the orientations that swap width and height.
bool SwapsSides(Orientation orientation);
