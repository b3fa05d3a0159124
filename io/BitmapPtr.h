#pragma once

#include <FreeImage.h>

#include <memory>

// Owns a FreeImage bitmap: it is unloaded when its owner lets it go.
struct BitmapDeleter {
    void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using BitmapPtr = std::unique_ptr<FIBITMAP, BitmapDeleter>;
