#pragma once

#include "framework/CRect.h"

class QWidget;

// Keeps the pointer inside a screen rectangle by the display server itself,
// so no move or release can land outside it. Only an X11 display can do this;
// elsewhere Confine() answers false and the caller falls back.
class CPointerConfinement {
public:
    ~CPointerConfinement() { Release(); }

    // `window` is the widget whose window receives the pointer meanwhile.
    bool Confine(QWidget* window, const CRect& screenRect);
    void Release();

private:
    unsigned m_helper = 0;   // the input-only window the pointer is confined to
};
