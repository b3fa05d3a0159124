#pragma once

#include "io/BitmapPtr.h"

// A 24-bit picture that compresses like a photograph: smooth light and
// colour, some texture and a fine grain. The same size gives the same picture.
BitmapPtr MakePhoto(unsigned width, unsigned height);
