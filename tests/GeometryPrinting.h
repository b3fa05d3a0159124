#pragma once

#include "framework/CRect.h"
#include "document/CoverEllipse.h"

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

inline void PrintTo(const CoverEllipse& e, std::ostream* out)
{
    *out << "picture (" << e.left << ", " << e.top << ", " << e.right << ", " << e.bottom << ")";
}

inline void PrintTo(const PictureEllipse& e, std::ostream* out)
{
    *out << "burn (" << e.x0 << ", " << e.y0 << ", " << e.x1 << ", " << e.y1 << ")";
}
