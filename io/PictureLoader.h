#pragma once

#include "io/DecodedPicture.h"
#include "io/PieceStream.h"

#include <FreeImage.h>
#include <QFile>
#include <QString>

// Decodes a picture file's bytes as `format` (JPEG, PNG, BMP, WebP, TIFF or
// HEIF) with `flags`, safe against damaged metadata and absurd sizes: the
// metadata blocks never reach a decoder, the orientation is read from them
// first, and the size a file claims is checked before any decoder allocates
// the pixels. The bitmap comes at the depth its decoder gives it.
DecodedPicture DecodePicture(FREE_IMAGE_FORMAT format, const PictureBytes& bytes, int flags);

// The same, like FreeImage_Load: the bitmap, or null with *failure set.
BitmapPtr LoadPictureFile(FREE_IMAGE_FORMAT format, const QString& path, int flags, PictureLoadFailure* failure);
BitmapPtr LoadPictureBytes(FREE_IMAGE_FORMAT format, const PictureBytes& bytes, int flags,
                           PictureLoadFailure* failure);

// A picture file's bytes, mapped; the decoders read them through `bytes`.
class MappedPicture {
public:
    explicit MappedPicture(const QString& path);
    // False when the file cannot be opened or mapped, or is empty.
    bool IsOpen() const { return m_bytes.data != nullptr; }
    const PictureBytes& Bytes() const { return m_bytes; }

private:
    QFile m_file;
    PictureBytes m_bytes;
};
