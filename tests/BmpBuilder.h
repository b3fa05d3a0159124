#pragma once

#include <FreeImage.h>

#include <QByteArray>

#include <array>
#include <functional>
#include <cstdint>
#include <vector>

// BMP files written byte by byte, with any of the info header sizes in use
// (40, 52, 56, 108, 124), so that tests need no outside tool to make them.
struct BmpShape {
    quint32 infoSize = 40;
    unsigned width = 1;
    unsigned height = 1;
    bool topDown = false;
    quint16 bitCount = 24;
    quint32 compression = 0;                       // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
    std::array<quint32, 4> masks{};               // red, green, blue, alpha (bit fields)
    std::vector<RGBQUAD> palette;
    QByteArray pixelData;                          // as stored, rows padded to 4 bytes
    quint32 gapAfterPalette = 0;                   // bytes between palette and pixels
};

QByteArray BuildBmp(const BmpShape& shape);

// Rows of pixel values of `bitCount` bits, first stored row first, each padded to 4 bytes.
QByteArray PackRows(unsigned width, unsigned height, unsigned bitCount,
                    const std::function<std::uint32_t(unsigned x, unsigned row)>& value);
