#pragma once

#include <FreeImage.h>

#include <cstddef>

// Writes the 24-bit `picture` as an outWidth by outHeight gray picture into
// `out` (rows from the top, `stride` bytes apart), each output pixel the mean
// of the picture pixels it covers. Sizes no larger than the picture's.
void ReduceToGray(FIBITMAP* picture, unsigned outWidth, unsigned outHeight, unsigned char* out, std::ptrdiff_t stride);
