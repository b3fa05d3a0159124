#pragma once

#include "framework/AfxTypes.h"
#include "framework/CRect.h"

// The settings kept between runs: the ellipse relative to the display
// origin, the overlay colour and the two folders.
struct MaskSettings {
    CRect offsetRect;
    COLORREF color = 0;
    CString openDir;
    CString saveDir;
};

// The profile section that holds them.
inline const CString MaskSettingsSection = QStringLiteral("VeilcutIni");
