#pragma once

#include "io/BitmapPtr.h"
#include "io/PieceStream.h"

#include <FreeImage.h>
#include <QString>

#include <optional>

enum class OpenFailure { None, Unsupported, Unreadable, TooLarge, NotBitmap };

// A picture as the program keeps it, read from a file: 24 bits per pixel,
// opaque, upright as its orientation tag says, with the format its bytes
// are in (FIF_UNKNOWN when they are in none the program reads). `damaged`:
// the decoder gave the pixels but said part of them are missing or wrong.
struct OpenedPicture {
    BitmapPtr picture;
    FREE_IMAGE_FORMAT format = FIF_UNKNOWN;
    OpenFailure failure = OpenFailure::None;
    bool damaged = false;
};

// The format a file's first bytes announce, without decoding it; nullopt for
// a file the program cannot read or whose bytes are in no format it reads.
std::optional<FREE_IMAGE_FORMAT> ContentFormatOfFile(const QString& path);

// The format comes from the file's first bytes, never from its name.
OpenedPicture OpenPictureFile(const QString& path);
OpenedPicture OpenPictureBytes(const PictureBytes& bytes);
