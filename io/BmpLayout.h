#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// How a BMP file is handed to FreeImage: as it is, or with a newer info
// header (52, 56, 108 or 124 bytes, which the library refuses) replaced by the
// 40-byte form it reads, followed by the file's own bytes from `resumeAt` on.
struct BmpLayout {
    QByteArray replacedHeaders;   // file header and info header; empty: the file goes as it is
    std::uint64_t resumeAt = 0;
    // The pixel data is far too short for the picture the header claims.
    bool pixelDataTooShort = false;
};

// nullopt when a newer info header contradicts itself or the file.
std::optional<BmpLayout> ReadBmpLayout(const uchar* bytes, std::uint64_t size);
