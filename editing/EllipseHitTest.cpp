#include "editing/EllipseHitTest.h"

#include <cmath>

namespace {
bool PtInHandle(CPoint point, CPoint centre, int s)
{
    return PtInRect(CRect(centre.x - s, centre.y - s, centre.x + s, centre.y + s), point);
}
} // namespace

bool PtInEllipse(CPoint point, const CRect& rect)
{
    const int W = rect.Width();
    const int H = rect.Height();
    // Only stored settings can bring a flat rectangle; nothing lies inside it.
    if (W == 0 || H == 0)
        return false;
    const double k = double(W) / double(H);
    const double limit = (H - 1) / 2.0;
    const CPoint centre = rect.CenterPoint();
    const int u = point.x - centre.x + 1;
    const int v = point.y - centre.y + 1;
    const double d = std::sqrt(std::pow(double(v), 2.0) + std::pow(double(u), 2.0) / std::pow(k, 2.0));
    return d <= limit;
}

bool PtInLeftHandle(CPoint point, const CRect& rect, int s)
{
    return PtInHandle(point, CPoint(rect.left, (rect.top + rect.bottom) / 2), s);
}

bool PtInRightHandle(CPoint point, const CRect& rect, int s)
{
    return PtInHandle(point, CPoint(rect.right, (rect.top + rect.bottom) / 2), s);
}

bool PtInTopHandle(CPoint point, const CRect& rect, int s)
{
    return PtInHandle(point, CPoint((rect.left + rect.right) / 2, rect.top), s);
}

bool PtInBottomHandle(CPoint point, const CRect& rect, int s)
{
    return PtInHandle(point, CPoint((rect.left + rect.right) / 2, rect.bottom), s);
}
