#pragma once

#include "framework/CRect.h"

// Where a point lies against the mask ellipse in `rect` and its four square
// handles of half-size `s`, all in client coordinates.
bool PtInEllipse(CPoint point, const CRect& rect);
bool PtInLeftHandle(CPoint point, const CRect& rect, int s);
bool PtInRightHandle(CPoint point, const CRect& rect, int s);
bool PtInTopHandle(CPoint point, const CRect& rect, int s);
bool PtInBottomHandle(CPoint point, const CRect& rect, int s);
