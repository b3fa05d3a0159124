#pragma once

#include "framework/CRect.h"

#include <ostream>

// Readable rectangles and points in test failure messages.
inline void PrintTo(const CRect& r, std::ostream* out)
{
    *out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

inline void PrintTo(const CPoint& p, std::ostream* out)
{
    *out << "(" << p.x << ", " << p.y << ")";
}
