#include "framework/Cursor.h"

#include "framework/PointerConfinement.h"
#include "framework/ResourceTable.h"

#include <QCursor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>

namespace {
HCURSOR g_current = nullptr;
QPointer<QWidget> g_cursorWindow;
std::optional<CRect> g_clip;
bool g_clipOnServer = false;

Qt::CursorShape ShapeOf(int idc)
{
    switch (idc) {
    case IDC_SIZEWE: return Qt::SizeHorCursor;
    case IDC_SIZENS: return Qt::SizeVerCursor;
    default: return Qt::ArrowCursor;
    }
}
} // namespace

HCURSOR AfxLoadStandardCursor(int idc)
{
    static std::map<int, std::unique_ptr<QCursor>> cursors;
    auto& slot = cursors[idc];
    if (!slot)
        slot = std::make_unique<QCursor>(ShapeOf(idc));
    return slot.get();
}

HCURSOR AfxLoadCursor(UINT resourceId)
{
    static std::map<UINT, std::unique_ptr<QCursor>> cursors;
    auto& slot = cursors[resourceId];
    if (!slot) {
        const QPixmap pixmap(AfxGetResources().FindImage(resourceId));
        if (pixmap.isNull())
            return nullptr;
        slot = std::make_unique<QCursor>(pixmap, pixmap.width() / 2, pixmap.height() / 2);
    }
    return slot.get();
}

HCURSOR SetCursor(HCURSOR cursor)
{
    HCURSOR previous = g_current;
    g_current = cursor;
    if (g_cursorWindow && cursor)
        g_cursorWindow->setCursor(*cursor);
    return previous;
}

void AfxSetCursorWindow(QWidget* window)
{
    g_cursorWindow = window;
}

HCURSOR GetCursor()
{
    return g_current;
}

void SetCursorPos(int x, int y)
{
    // A Wayland client cannot move the pointer; Qt would only complain on stderr.
    if (!AfxIsWaylandClient())
        QCursor::setPos(x, y);
}

void ClipCursor(const CRect* rect)
{
    static CPointerConfinement server;
    server.Release();
    g_clip.reset();
    // An empty rectangle (nothing laid out yet) would pin the pointer to a point.
    if (!rect || rect->IsRectEmpty())
        return;
    g_clip = *rect;
    g_clipOnServer = server.Confine(g_cursorWindow, *rect);
}

bool IsClipCursorOnServer()
{
    return g_clip && g_clipOnServer;
}

const CRect* GetClipCursor()
{
    return g_clip ? &*g_clip : nullptr;
}

CPoint ConfineToClipCursor(CPoint p)
{
    if (!g_clip)
        return p;
    const CRect& r = *g_clip;
    // Right and bottom edges lie outside the rectangle.
    p.x = std::clamp(p.x, r.left, std::max(r.left, r.right - 1));
    p.y = std::clamp(p.y, r.top, std::max(r.top, r.bottom - 1));
    return p;
}
