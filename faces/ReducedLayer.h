#pragma once

#include <FreeImage.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels of 3 bytes in FreeImage's order, rows from the top: a 24-bit picture
// seen in place, or a reduced copy that owns its pixels.
class CReducedLayer {
public:
    // Sees the 24-bit `picture`, which must outlive the layer.
    explicit CReducedLayer(FIBITMAP* picture);
    // `from` reduced `shrink` times on `threads` threads: each pixel the mean,
    // rounded, of the shrink by shrink block of `from` it covers (fewer at the
    // right and bottom edges).
    CReducedLayer(const CReducedLayer& from, long long shrink, unsigned threads);

    long long Width() const { return m_width; }
    long long Height() const { return m_height; }
    const unsigned char* Row(long long y) const { return (m_owned.empty() ? m_top : m_owned.data()) + m_stride * y; }

private:
    void ReduceRow(const CReducedLayer& from, long long shrink, long long y, std::vector<std::uint64_t>& sums);

    long long m_width = 0, m_height = 0;
    const unsigned char* m_top = nullptr;
    std::ptrdiff_t m_stride = 0;
    std::vector<unsigned char> m_owned;
};
