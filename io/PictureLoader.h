#pragma once

#include "io/BitmapPtr.h"
#include "io/PieceStream.h"

#include <FreeImage.h>
#include <QString>

enum class PictureLoadFailure { None, Unreadable, TooLarge };

// Decodes the picture file at `path` as `format` with `flags`, like FreeImage_Load
// but safe against damaged metadata and absurd sizes. Returns the bitmap as
// FreeImage gives it (any depth; the caller converts), or null with *failure set.
BitmapPtr LoadPictureFile(FREE_IMAGE_FORMAT format, const QString& path, int flags, PictureLoadFailure* failure);

// The same for a file's bytes already at hand.
BitmapPtr LoadPictureBytes(FREE_IMAGE_FORMAT format, const PictureBytes& bytes, int flags,
                           PictureLoadFailure* failure);
