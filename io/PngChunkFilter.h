#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Passes a PNG stream on with only its IHDR, IDAT and IEND chunks: the
// encoder adds a physical size (pHYs) on its own, and no other chunk is
// needed to show a 24-bit picture. Chunks may arrive in pieces of any size.
class PngChunkFilter {
public:
    using Sink = std::function<bool(const void* data, std::size_t size)>;
    explicit PngChunkFilter(Sink sink) : m_sink(std::move(sink)) {}

    // false once the sink refused a piece.
    bool Write(const void* data, std::size_t size);

private:
    std::size_t TakeHeader(const unsigned char* data, std::size_t size);

    Sink m_sink;
    std::uint64_t m_signatureLeft = 8;
    unsigned char m_header[8] = {};
    std::size_t m_headerHave = 0;
    std::uint64_t m_chunkLeft = 0;   // data and checksum of the current chunk
    bool m_keep = true;
};
