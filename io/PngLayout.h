#pragma once

#include "io/PieceStream.h"

#include <cstdint>
#include <optional>
#include <vector>

// What a PNG's header says, and the pieces of the file the decoder is given:
// the signature and the chunks that make the pixels (the critical ones and
// the transparency), without text, profiles, Exif or animation.
struct PngLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // Bits per pixel of the bitmap the decoder makes of it.
    unsigned decodedBits = 0;
    std::vector<BytePiece> kept;
    // The body of the first eXIf chunk; empty when there is none.
    BytePiece exif{0, 0};
};

// nullopt when the file has no PNG signature or no valid header chunk first.
// A chunk cut short by the end of the file is passed on as it is, for the
// decoder to report.
std::optional<PngLayout> WalkPng(const uchar* bytes, std::uint64_t size);
