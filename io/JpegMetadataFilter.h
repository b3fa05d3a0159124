#pragma once

#include "io/PieceStream.h"

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <vector>

// What a JPEG's frame header (SOFn) and first scan header say about the
// memory its decoding takes.
struct JpegFrame {
    struct Component {
        unsigned horizontalSampling;
        unsigned verticalSampling;
    };
    unsigned width = 0;
    unsigned height = 0;
    std::vector<Component> components;
    // The decoder keeps every coefficient of the picture until the last scan.
    bool holdsAllCoefficients = false;
};

// The pieces of a JPEG file the decoder is given: everything but the
// APP1-APP13, APP15 and COM segments before the first scan, every APPn and
// COM segment between and after the scans, the bytes between segments before
// the first scan that the decoder would skip anyway, and what follows the
// image end.
struct JpegLayout {
    std::vector<BytePiece> kept;
    JpegFrame frame;
    // The body of the first Exif APP1 segment, from its "Exif\0\0"; empty when there is none.
    BytePiece exif{0, 0};
};

// nullopt when the decoder would refuse the file before its first scan: no
// SOI at the start, a segment running past the end, a second SOI, an EOI, a
// frame header it cannot use or no scan at all.
std::optional<JpegLayout> WalkJpeg(const uchar* bytes, std::uint64_t size);
