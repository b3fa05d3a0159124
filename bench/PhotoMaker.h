#pragma once

#include <FreeImage.h>

#include <memory>

struct BitmapUnloader {
    void operator()(FIBITMAP* dib) const { if (dib) FreeImage_Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapUnloader>;

// A 24-bit picture that compresses like a photograph: smooth light and
// colour, some texture and a fine grain. The same size gives the same picture.
Bitmap MakePhoto(unsigned width, unsigned height);
