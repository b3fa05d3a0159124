#pragma once

#include "framework/CRect.h"

class QWidget;
struct zwp_confined_pointer_v1;

// Keeps the pointer inside a screen rectangle through the compositor's
// pointer constraints, where the program runs as a Wayland client and the
// compositor offers them; elsewhere Confine() answers false.
class CWaylandPointerConfinement {
public:
    ~CWaylandPointerConfinement() { Release(); }

    // `window` is the widget whose window receives the pointer meanwhile.
    bool Confine(QWidget* window, const CRect& screenRect);
    void Release();

private:
    zwp_confined_pointer_v1* m_confined = nullptr;
};

// Whether the program runs as a Wayland client, which can neither move the
// pointer nor grab it outside a popup.
bool AfxIsWaylandClient();
