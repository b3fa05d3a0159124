#pragma once

#include "framework/CRect.h"
#include "framework/WaylandPointerConfinement.h"

class QWidget;

// Keeps the pointer inside a screen rectangle by the display server itself,
// so no move or release can land outside it: an X11 display, or a Wayland
// compositor with pointer constraints. Elsewhere Confine() answers false and
// the caller falls back.
class CPointerConfinement {
public:
    ~CPointerConfinement() { Release(); }

    // `window` is the widget whose window receives the pointer meanwhile.
    bool Confine(QWidget* window, const CRect& screenRect);
    void Release();

private:
    bool ConfineOnX11(QWidget* window, const CRect& screenRect);

    unsigned m_helper = 0;   // the input-only window the pointer is confined to
    CWaylandPointerConfinement m_wayland;
};
