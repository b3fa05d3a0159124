#include "BmpBuilder.h"

#include <QDataStream>
#include <QIODevice>

namespace {

constexpr quint32 kFileHeaderSize = 14;

void WriteInfoHeader(QDataStream& out, const BmpSpec& spec)
{
    const qint32 height = spec.topDown ? -qint32(spec.height) : qint32(spec.height);
    out << spec.infoSize << qint32(spec.width) << height << quint16(1) << spec.bitCount << spec.compression
        << quint32(spec.pixelData.size()) << qint32(2835) << qint32(2835) << quint32(spec.palette.size())
        << quint32(0);
    if (spec.infoSize >= 52)
        out << spec.masks[0] << spec.masks[1] << spec.masks[2];
    if (spec.infoSize >= 56)
        out << spec.masks[3];
    if (spec.infoSize >= 108) {
        out << quint32(0x73524742);   // "sRGB"
        for (int i = 0; i < 12; ++i)
            out << quint32(0);        // end points and gamma
    }
    if (spec.infoSize >= 124)
        out << quint32(4) << quint32(0) << quint32(0) << quint32(0);   // intent, no profile
}

} // namespace

QByteArray BuildBmp(const BmpSpec& spec)
{
    const bool masksAfterHeader = spec.infoSize == 40 && spec.compression == 3;
    const quint32 pixelOffset = kFileHeaderSize + spec.infoSize + (masksAfterHeader ? 12 : 0) +
                                quint32(spec.palette.size()) * 4 + spec.gapAfterPalette;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(pixelOffset + spec.pixelData.size()) << quint32(0) << pixelOffset;
    WriteInfoHeader(out, spec);
    if (masksAfterHeader)
        out << spec.masks[0] << spec.masks[1] << spec.masks[2];
    for (const RGBQUAD& entry : spec.palette)
        out << entry.rgbBlue << entry.rgbGreen << entry.rgbRed << entry.rgbReserved;
    bytes.append(QByteArray(qsizetype(spec.gapAfterPalette), '\x5A'));
    bytes.append(spec.pixelData);
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
