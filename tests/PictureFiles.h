#pragma once

#include "io/BitmapPtr.h"

#include <FreeImage.h>
#include <QByteArray>

// Picture files of every format the program opens, made in memory from a
// bitmap, with or without an Exif orientation, for the loading tests and the
// fuzzing corpus.

// A `width` x `height` bitmap of `bits` (24 or 32) whose every pixel differs
// from its neighbours, with alpha running across when it has any.
BitmapPtr PatternBitmap(unsigned width, unsigned height, unsigned bits);

// FreeImage's encoder for JPEG, PNG, BMP and TIFF; libwebp's (lossless) for
// WebP; libheif's for HEIC (lossy, quality 90).
QByteArray EncodeInFormat(FREE_IMAGE_FORMAT format, FIBITMAP* picture);

// A deflated TIFF of `rowsPerStrip` rows a strip; EncodeInFormat writes 16.
QByteArray EncodeTiffInStrips(FIBITMAP* picture, unsigned rowsPerStrip);

// A TIFF block whose first directory holds one orientation tag.
QByteArray ExifWithOrientation(unsigned orientation, bool bigEndian = true);

// The same with an Exif block carrying `orientation` (any value, valid or
// not) where the format keeps it: a JPEG's APP1 segment, a PNG's eXIf chunk,
// a WebP's EXIF chunk, the orientation tag of a TIFF's first directory, a
// HEIC's Exif item. A BMP has none.
QByteArray EncodeOriented(FREE_IMAGE_FORMAT format, FIBITMAP* picture, unsigned orientation);

// A PNG header (and one empty data chunk) claiming `width` x `height` 8-bit RGB.
QByteArray ForgedPngHeader(unsigned width, unsigned height);

// A lossless WebP header claiming `width` x `height`, and a few bytes of data.
QByteArray ForgedWebpHeader(unsigned width, unsigned height);

// A TIFF whose one 8-bit gray strip claims `width` x `height`, with 16 bytes of data.
QByteArray ForgedTiffHeader(unsigned width, unsigned height);

// The HEIF file with the size in its first image-size property replaced.
QByteArray WithHeifSize(const QByteArray& heif, unsigned width, unsigned height);

// The HEIF file with the mirror and quarter turns that show its primary
// picture as the Exif `orientation` says added to its item properties, as a
// phone writes them; unchanged for 0, 1 and values out of range.
QByteArray HeifWithTransforms(const QByteArray& heif, unsigned orientation);

// A chunk of a PNG: length, type, body and CRC.
QByteArray PngChunk(const char* type, const QByteArray& body);

// The file's first `keep` bytes.
inline QByteArray Truncated(const QByteArray& file, qsizetype keep)
{
    return file.left(keep);
}
