#pragma once

#include "framework/CRect.h"

// Where a picture of w by h pixels is shown in a client area: the scale and
// the display rectangle, centred, one side filling the client.
struct FitLayout {
    double scale = 1.0;
    CRect displayRect;
};

FitLayout FitPicture(int clientWidth, int clientHeight, unsigned pictureWidth, unsigned pictureHeight);

// Top centre of the display rectangle, the point the ellipse is measured from.
CPoint DisplayOrigin(const CRect& displayRect);

// The ellipse before any is stored, and when a stored one does not fit: 100 by 150 pixels,
// centred under the origin, 50 pixels below it.
CRect DefaultEllipse(CPoint origin);
