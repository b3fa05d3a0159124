#include "display/FitLayout.h"

#include <cmath>

namespace {
// Add 0.5 and truncate toward zero.
int RoundPixel(double v)
{
    return int(v + 0.5);
}
} // namespace

FitLayout FitPicture(int clientWidth, int clientHeight, unsigned pictureWidth, unsigned pictureHeight)
{
    FitLayout layout;
    if (pictureWidth == 0 || pictureHeight == 0)
        return layout;
    const double W = clientWidth, H = clientHeight;
    const double w = pictureWidth, h = pictureHeight;
    const double rW = W / w, rH = H / h;
    layout.scale = rH > rW ? rW : rH;
    const double dw = w * layout.scale, dh = h * layout.scale;
    const double ox = std::fabs(W - dw) / 2, oy = std::fabs(H - dh) / 2;
    CRect& r = layout.displayRect;
    r = CRect(RoundPixel(ox), RoundPixel(oy), RoundPixel(dw + ox), RoundPixel(dh + oy));
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > clientWidth) r.right = clientWidth;
    if (r.bottom > clientHeight) r.bottom = clientHeight;
    return layout;
}

CPoint DisplayOrigin(const CRect& displayRect)
{
    return CPoint((displayRect.left + displayRect.right) / 2, displayRect.top);
}

CRect DefaultEllipse(CPoint origin)
{
    return CRect(origin.x - 50, origin.y + 50, origin.x + 50, origin.y + 200);
}
