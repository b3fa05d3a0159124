#pragma once

#include <QPoint>
#include <QRect>

#include <algorithm>

// Integer point and rectangle with the platform's rules: a rectangle's right
// and bottom edges lie outside it.
struct CPoint {
    int x = 0;
    int y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(int px, int py) : x(px), y(py) {}
    explicit CPoint(const QPoint& p) : x(p.x()), y(p.y()) {}

    QPoint ToQPoint() const { return QPoint(x, y); }
    constexpr bool operator==(const CPoint&) const = default;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(CPoint topLeft, CPoint bottomRight)
        : left(topLeft.x), top(topLeft.y), right(bottomRight.x), bottom(bottomRight.y) {}

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr CPoint TopLeft() const { return {left, top}; }
    constexpr CPoint BottomRight() const { return {right, bottom}; }
    // Halves the integer sums, rounding toward zero.
    constexpr CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }

    // Left and top inclusive, right and bottom exclusive.
    constexpr bool PtInRect(CPoint p) const
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr void NormalizeRect()
    {
        if (left > right) std::swap(left, right);
        if (top > bottom) std::swap(top, bottom);
    }
    constexpr void OffsetRect(int dx, int dy)
    {
        left += dx; right += dx;
        top += dy; bottom += dy;
    }
    constexpr void OffsetRect(CPoint d) { OffsetRect(d.x, d.y); }
    constexpr void InflateRect(int dx, int dy)
    {
        left -= dx; right += dx;
        top -= dy; bottom += dy;
    }

    // The same pixels as a QRect (which counts its right and bottom edges in).
    QRect ToQRect() const { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }
    static CRect FromQRect(const QRect& r) { return CRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }

    constexpr bool operator==(const CRect&) const = default;
};

inline bool PtInRect(const CRect& rect, CPoint p) { return rect.PtInRect(p); }
