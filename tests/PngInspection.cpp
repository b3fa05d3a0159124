#include "tests/PngInspection.h"

#include <QtEndian>

#include <array>
#include <cstdint>

namespace {

constexpr qsizetype kSignature = 8;
constexpr qsizetype kIhdrEnd = kSignature + 12 + 13;

std::uint32_t Crc32(const QByteArray& bytes)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) crc = table[(crc ^ std::uint8_t(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray BigEndian(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

qsizetype ChunkLength(const QByteArray& png, qsizetype pos)
{
    return qsizetype(qFromBigEndian<quint32>(png.constData() + pos));
}

} // namespace

std::vector<std::string> PngChunks(const QByteArray& png)
{
    std::vector<std::string> chunks;
    for (qsizetype pos = kSignature; pos + 12 <= png.size();) {
        const qsizetype length = ChunkLength(png, pos);
        if (pos + 12 + length > png.size()) break;
        chunks.push_back(png.mid(pos + 4, 4).toStdString());
        pos += 12 + length;
    }
    return chunks;
}

QByteArray PngWithChunk(const QByteArray& png, const char* type, const QByteArray& payload)
{
    const QByteArray body = QByteArray(type, 4) + payload;
    return png.left(kIhdrEnd) + BigEndian(std::uint32_t(payload.size())) + body + BigEndian(Crc32(body)) +
           png.mid(kIhdrEnd);
}

QByteArray PngWithoutChunk(const QByteArray& png, const char* type)
{
    QByteArray kept = png.left(kSignature);
    for (qsizetype pos = kSignature; pos + 12 <= png.size();) {
        const qsizetype size = 12 + ChunkLength(png, pos);
        if (png.mid(pos + 4, 4) != QByteArray(type, 4)) kept += png.mid(pos, size);
        pos += size;
    }
    return kept;
}
