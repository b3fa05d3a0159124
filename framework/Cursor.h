#pragma once

#include "framework/AfxTypes.h"
#include "framework/CRect.h"

class QCursor;
class QWidget;
using HCURSOR = const QCursor*;

// Standard cursors by their system ids.
constexpr int IDC_ARROW = 32512;
constexpr int IDC_SIZEWE = 32644;
constexpr int IDC_SIZENS = 32645;

HCURSOR AfxLoadStandardCursor(int idc);
// A cursor from the resources: a 32 by 32 picture with its hot spot at the centre.
HCURSOR AfxLoadCursor(UINT resourceId);

// Sets the shape shown over the window under the pointer (the view).
HCURSOR SetCursor(HCURSOR cursor);
// The window whose shape SetCursor changes: it has no cursor of its own.
void AfxSetCursorWindow(QWidget* window);
HCURSOR GetCursor();
// Moves the pointer where the platform lets a program do so.
void SetCursorPos(int x, int y);

// Confines the pointer to a screen rectangle until called with null: on X11
// by the display server, on Wayland by the compositor where it offers
// pointer constraints, elsewhere by moving it back after each move.
void ClipCursor(const CRect* rect);
// Whether the display server holds the pointer, so no move needs correcting.
bool IsClipCursorOnServer();
const CRect* GetClipCursor();
// The screen point moved inside the confining rectangle, if there is one.
CPoint ConfineToClipCursor(CPoint screenPoint);
