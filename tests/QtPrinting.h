#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

// Readable Qt strings and geometry in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (const QString& s : list) {
        PrintTo(s, os);
        *os << ' ';
    }
    *os << '}';
}

// Rectangles and points as their coordinates.
#include "CRect.h"

inline void PrintTo(const CPoint& p, std::ostream* os)
{
    *os << '(' << p.x << ", " << p.y << ')';
}

inline void PrintTo(const CRect& r, std::ostream* os)
{
    *os << '(' << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ')';
}
