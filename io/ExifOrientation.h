#pragma once

#include <QtGlobal>

#include <cstdint>

// How the stored pixels are to be turned and mirrored to show the picture
// upright, as the Exif orientation tag says it (1 to 8).
enum class Orientation {
    AsStored = 1,
    MirroredAcross = 2, // left and right swapped
    HalfTurn = 3,
    MirroredDown = 4,   // top and bottom swapped
    Transposed = 5,     // first stored row is the first column
    TurnedRight = 6,    // shown turned a quarter clockwise
    Transversed = 7,    // last stored row is the first column
    TurnedLeft = 8,     // shown turned a quarter counter-clockwise
};

// The orientation an Exif block gives (a TIFF header and its first directory,
// with or without the "Exif\0\0" of a JPEG's APP1 segment before it). A
// missing, damaged or out-of-range tag means the pixels are shown as stored.
Orientation ExifOrientationOf(const uchar* exif, std::uint64_t size);

// The orientation a TIFF-style tag value gives; as stored when out of range.
Orientation OrientationFromTag(unsigned value);
