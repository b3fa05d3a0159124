#include "tests/BmpBuilder.h"

#include <QDataStream>
#include <QIODevice>

namespace {

constexpr quint32 kFileHeaderSize = 14;

void WriteInfoHeader(QDataStream& out, const BmpShape& shape)
{
    const qint32 height = shape.topDown ? -qint32(shape.height) : qint32(shape.height);
    out << shape.infoSize << qint32(shape.width) << height << quint16(1) << shape.bitCount << shape.compression
        << quint32(shape.pixelData.size()) << qint32(2835) << qint32(2835) << quint32(shape.palette.size())
        << quint32(0);
    if (shape.infoSize >= 52)
        out << shape.masks[0] << shape.masks[1] << shape.masks[2];
    if (shape.infoSize >= 56)
        out << shape.masks[3];
    if (shape.infoSize >= 108) {
        out << quint32(0x73524742);   // "sRGB"
        for (int i = 0; i < 12; ++i)
            out << quint32(0);        // end points and gamma
    }
    if (shape.infoSize >= 124)
        out << quint32(4) << quint32(0) << quint32(0) << quint32(0);   // intent, no profile
}

} // namespace

QByteArray BuildBmp(const BmpShape& shape)
{
    const bool masksAfterHeader = shape.infoSize == 40 && shape.compression == 3;
    const quint32 pixelOffset = kFileHeaderSize + shape.infoSize + (masksAfterHeader ? 12 : 0) +
                                quint32(shape.palette.size()) * 4 + shape.gapAfterPalette;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(pixelOffset + shape.pixelData.size()) << quint32(0) << pixelOffset;
    WriteInfoHeader(out, shape);
    if (masksAfterHeader)
        out << shape.masks[0] << shape.masks[1] << shape.masks[2];
    for (const RGBQUAD& entry : shape.palette)
        out << entry.rgbBlue << entry.rgbGreen << entry.rgbRed << entry.rgbReserved;
    bytes.append(QByteArray(qsizetype(shape.gapAfterPalette), '\x5A'));
    bytes.append(shape.pixelData);
    return bytes;
}

QByteArray PackRows(unsigned width, unsigned height, unsigned bitCount,
                    const std::function<std::uint32_t(unsigned x, unsigned row)>& value)
{
    const unsigned pitch = (width * bitCount + 31) / 32 * 4;
    QByteArray rows(qsizetype(pitch) * height, '\0');
    for (unsigned row = 0; row < height; ++row) {
        uchar* line = reinterpret_cast<uchar*>(rows.data()) + qsizetype(row) * pitch;
        for (unsigned x = 0; x < width; ++x) {
            const std::uint32_t v = value(x, row);
            if (bitCount < 8) {
                const unsigned bit = x * bitCount;
                line[bit / 8] |= uchar(v << (8 - bitCount - bit % 8));
            } else {
                for (unsigned b = 0; b < bitCount / 8; ++b)
                    line[x * (bitCount / 8) + b] = uchar(v >> (8 * b));
            }
        }
    }
    return rows;
}
