#include "io/PngChunkFilter.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsPictureChunk(const unsigned char* type)
{
    return std::memcmp(type, "IHDR", 4) == 0 || std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0;
}

std::uint64_t BigEndian32(const unsigned char* p)
{
    return std::uint64_t(p[0]) << 24 | std::uint64_t(p[1]) << 16 | std::uint64_t(p[2]) << 8 | p[3];
}

} // namespace

std::size_t PngChunkFilter::TakeHeader(const unsigned char* data, std::size_t size)
{
    const std::size_t taken = std::min(size, sizeof m_header - m_headerHave);
    std::memcpy(m_header + m_headerHave, data, taken);
    m_headerHave += taken;
    if (m_headerHave == sizeof m_header) {
        m_headerHave = 0;
        m_chunkLeft = BigEndian32(m_header) + 4;
        m_keep = IsPictureChunk(m_header + 4);
    }
    return taken;
}

bool PngChunkFilter::Write(const void* data, std::size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        std::size_t taken = 0;
        if (m_signatureLeft > 0) {
            taken = std::size_t(std::min<std::uint64_t>(size, m_signatureLeft));
            m_signatureLeft -= taken;
            if (!m_sink(bytes, taken))
                return false;
        } else if (m_chunkLeft > 0) {
            taken = std::size_t(std::min<std::uint64_t>(size, m_chunkLeft));
            m_chunkLeft -= taken;
            if (m_keep && !m_sink(bytes, taken))
                return false;
        } else {
            taken = TakeHeader(bytes, size);
            if (m_headerHave == 0 && m_keep && !m_sink(m_header, sizeof m_header))
                return false;
        }
        bytes += taken;
        size -= taken;
    }
    return true;
}
