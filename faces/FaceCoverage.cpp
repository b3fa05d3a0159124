#include "faces/FaceCoverage.h"

#include <algorithm>
#include <utility>

namespace {
using Span = std::pair<long long, long long>;

// Pixels in the union of `spans`.
long long UnionLength(std::vector<Span>& spans)
{
    std::sort(spans.begin(), spans.end());
    long long length = 0, reached = 0;
    for (const Span& s : spans) {
        const long long first = std::max(s.first, reached);
        if (s.second > first) {
            length += s.second - first;
            reached = s.second;
        }
    }
    return length;
}
} // namespace

double CoveredShare(const FaceBox& face, const std::vector<PictureEllipse>& ellipses, unsigned width,
                    unsigned height)
{
    const long long left = std::max(0, face.left), right = std::min<long long>(width, 0LL + face.left + face.width);
    const long long top = std::max(0, face.top), bottom = std::min<long long>(height, 0LL + face.top + face.height);
    if (right <= left || bottom <= top)
        return 1.0;
    // Burnt spans of each box row; the burn counts rows from the bottom.
    std::vector<std::vector<Span>> rows(size_t(bottom - top));
    for (const PictureEllipse& e : ellipses) {
        ForEachBurnRun(width, height, e, [&](const BurnRun& run) {
            const long long y = height - 1LL - run.row;
            const long long first = std::max<long long>(run.first, left), end = std::min<long long>(run.end, right);
            if (y >= top && y < bottom && end > first)
                rows[size_t(y - top)].push_back({first, end});
        });
    }
    long long covered = 0;
    for (std::vector<Span>& spans : rows)
        covered += UnionLength(spans);
    return double(covered) / double((right - left) * (bottom - top));
}

std::vector<FaceBox> UncoveredFaces(const std::vector<FaceBox>& faces, const std::vector<PictureEllipse>& ellipses,
                                    unsigned width, unsigned height)
{
    std::vector<FaceBox> uncovered;
    for (const FaceBox& face : faces) {
        if (CoveredShare(face, ellipses, width, height) < kCoveredShare)
            uncovered.push_back(face);
    }
    return uncovered;
}
