#include "faces/ReducedLayer.h"

#include "faces/SharedWork.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kChannels = 3;
}

CReducedLayer::CReducedLayer(FIBITMAP* picture)
    : m_width(FreeImage_GetWidth(picture)), m_height(FreeImage_GetHeight(picture))
{
    // FreeImage keeps the bottom row first.
    m_top = FreeImage_GetScanLine(picture, int(m_height) - 1);
    m_stride = -std::ptrdiff_t(FreeImage_GetPitch(picture));
}

CReducedLayer::CReducedLayer(const CReducedLayer& from, long long shrink, unsigned threads)
    : m_width((from.m_width + shrink - 1) / shrink), m_height((from.m_height + shrink - 1) / shrink),
      m_stride(std::ptrdiff_t(m_width) * kChannels), m_owned(size_t(m_stride) * size_t(m_height))
{
    // 64-bit sums hold any block of a picture FreeImage can hold.
    std::vector<std::vector<std::uint64_t>> sums(threads, std::vector<std::uint64_t>(size_t(m_stride)));
    ShareWork(size_t(m_height), threads, [&](size_t y, unsigned thread) {
        ReduceRow(from, shrink, (long long)y, sums[thread]);
        return true;
    });
}

void CReducedLayer::ReduceRow(const CReducedLayer& from, long long shrink, long long y, std::vector<std::uint64_t>& sums)
{
    std::fill(sums.begin(), sums.end(), 0);
    const long long rowsEnd = std::min(from.m_height, (y + 1) * shrink);
    for (long long row = y * shrink; row < rowsEnd; ++row) {
        const unsigned char* pixel = from.Row(row);
        for (long long x = 0; x < m_width; ++x) {
            std::uint64_t* sum = &sums[size_t(x) * kChannels];
            const long long columns = std::min(shrink, from.m_width - x * shrink);
            for (long long i = 0; i < columns; ++i, pixel += kChannels) {
                sum[0] += pixel[0];
                sum[1] += pixel[1];
                sum[2] += pixel[2];
            }
        }
    }
    const std::uint64_t rows = std::uint64_t(rowsEnd - y * shrink);
    unsigned char* target = m_owned.data() + m_stride * y;
    for (long long x = 0; x < m_width; ++x) {
        const std::uint64_t count = rows * std::uint64_t(std::min(shrink, from.m_width - x * shrink));
        for (int c = 0; c < kChannels; ++c)
            target[x * kChannels + c] = (unsigned char)((sums[size_t(x) * kChannels + c] + count / 2) / count);
    }
}
