#include "faces/FacePlacement.h"

#include <algorithm>
#include <cmath>

namespace {
// A detector box runs from the brows to the mouth and from cheek to cheek;
// the whole face with its margin is this much wider and higher, and its
// centre lies this share of the box height above the box's centre.
constexpr double kWidthGrowth = 1.5;
constexpr double kHeightGrowth = 2.0;
constexpr double kCentreRaise = 0.15;
// A profile's box runs from the nose to the ear; the head that shows reaches
// further back than forward, so its ellipse moves this share of the box's
// width toward the back of the head.
constexpr double kProfileShift = 0.1;

int ToPixel(double v)
{
    return int(std::floor(v + 0.5));
}

// Moves the span [low, high] into [first, last] when it fits; otherwise it
// takes the whole of [first, last].
void ShiftInside(LONG& low, LONG& high, LONG first, LONG last)
{
    if (high - low > last - first) {
        low = first;
        high = last;
    } else if (low < first) {
        high += first - low;
        low = first;
    } else if (high > last) {
        low -= high - last;
        high = last;
    }
}
} // namespace

void OrderFaces(std::vector<FaceBox>& faces)
{
    std::stable_sort(faces.begin(), faces.end(), [](const FaceBox& a, const FaceBox& b) {
        const long long areaA = 1LL * a.width * a.height, areaB = 1LL * b.width * b.height;
        return areaA != areaB ? areaA > areaB : a.left < b.left;
    });
}

CRect EllipseOverFace(const FaceBox& face, const CRect& displayRect, double scale, int pictureHeight)
{
    // Grown and raised along the face: across the picture for a face lying on its side.
    const bool lying = face.turns % 2 == 1;
    const double along = lying ? face.width : face.height;
    const double raise = kCentreRaise * along;
    // Back of the head, along the face's own left-to-right direction.
    const double back = -face.facing * kProfileShift * (lying ? face.height : face.width);
    const int sideX[] = {1, 0, -1, 0}, sideY[] = {0, -1, 0, 1};
    const int t = face.turns % 4;
    const double cx = face.left + face.width / 2.0 + (t == 1 ? -raise : t == 3 ? raise : 0.0) + back * sideX[t];
    const double cy = face.top + face.height / 2.0 + (t == 0 ? -raise : t == 2 ? raise : 0.0) + back * sideY[t];
    const double halfWidth = face.width * (lying ? kHeightGrowth : kWidthGrowth) / 2;
    const double halfHeight = face.height * (lying ? kWidthGrowth : kHeightGrowth) / 2;
    // Rows count from the top here and from the bottom of the display rectangle
    // in the burn, so map through the bottom as the burn does.
    const auto viewX = [&](double x) { return ToPixel(displayRect.left + x * scale); };
    const auto viewY = [&](double y) { return ToPixel(displayRect.bottom - (pictureHeight - y) * scale); };
    CRect ellipse(viewX(cx - halfWidth), viewY(cy - halfHeight), viewX(cx + halfWidth), viewY(cy + halfHeight));
    // Both corners inside, as the layout asks of an ellipse it keeps.
    ShiftInside(ellipse.left, ellipse.right, displayRect.left, displayRect.right - 1);
    ShiftInside(ellipse.top, ellipse.bottom, displayRect.top, displayRect.bottom - 1);
    return ellipse;
}
