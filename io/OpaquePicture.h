#pragma once

#include "io/BitmapPtr.h"

// A decoded bitmap as the program keeps every picture: 24 bits per pixel.
// Alpha, where the format has it (`formatHasAlpha`: a BMP's fourth byte is
// mostly unused), is laid over white; 16 bits per channel become 8. Null for
// a bitmap that holds no picture channels (floating point, complex) or when
// the copy cannot be allocated.
BitmapPtr OpaquePicture(BitmapPtr decoded, bool formatHasAlpha);

// Gray, colour or colour with alpha, at 1 to 32 bits or 16 bits per channel:
// what OpaquePicture takes.
bool HoldsPictureChannels(FIBITMAP* decoded);

// The per-pixel definitions the conversion keeps to.
inline BYTE EightBitsOf(unsigned sixteenBits)
{
    return BYTE((sixteenBits * 255 + 32767) / 65535);
}
inline BYTE OverWhite(unsigned channel, unsigned alpha)
{
    return BYTE((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}
