#include "framework/Wnd.h"

#include "framework/WaylandPointerConfinement.h"

#include <QWidget>

#include <utility>

void CWnd::Invalidate(BOOL bErase)
{
    InvalidateRect(nullptr, bErase);
}

void CWnd::InvalidateRect(const CRect* rect, BOOL /*bErase*/)
{
    // Qt always paints the background under an update, so erasing is implied.
    if (rect)
        GetWidget()->update(rect->ToQRect());
    else
        GetWidget()->update();
}

void CWnd::UpdateWindow()
{
    GetWidget()->repaint();
}

BOOL CWnd::ShowWindow(int nCmdShow)
{
    QWidget* w = GetWidget();
    const BOOL wasVisible = w->isVisible();
    if (nCmdShow == SW_SHOWMAXIMIZED)
        w->showMaximized();
    else
        w->show();
    return wasVisible;
}

void CWnd::GetClientRect(CRect* rect) const
{
    const QWidget* w = GetWidget();
    *rect = CRect(0, 0, w->width(), w->height());
}

void CWnd::ClientToScreen(CPoint* point) const
{
    *point = CPoint(GetWidget()->mapToGlobal(point->ToQPoint()));
}

void CWnd::ClientToScreen(CRect* rect) const
{
    CPoint topLeft = rect->TopLeft();
    CPoint bottomRight = rect->BottomRight();
    ClientToScreen(&topLeft);
    ClientToScreen(&bottomRight);
    *rect = CRect(topLeft, bottomRight);
}

void CWnd::SetCapture()
{
    // A Wayland compositor keeps the pointer with the pressed window by itself
    // and lets a program grab it only for a popup; Qt would complain on stderr.
    if (!AfxIsWaylandClient())
        GetWidget()->grabMouse();
}

void ReleaseCapture()
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

LRESULT CWnd::Default()
{
    return m_default ? m_default() : 0;
}

const AFX_MSGMAP_ENTRY* CWnd::FindHandler(UINT message, AfxSig sig) const
{
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message);
    return e && e->sig == sig ? e : nullptr;
}

LRESULT CWnd::CallHandler(const AFX_MSGMAP_ENTRY* row, const std::function<LRESULT()>& base,
                          const std::function<LRESULT(const AfxHandler&)>& call)
{
    if (!row)
        return base();
    std::function<LRESULT()> saved = std::exchange(m_default, base);
    const LRESULT result = call(row->handler);
    m_default = std::move(saved);
    return result;
}

bool CWnd::Dispatch(UINT message, AfxSig sig, const std::function<void()>& base,
                    const std::function<void(const AfxHandler&)>& call)
{
    const AFX_MSGMAP_ENTRY* row = FindHandler(message, sig);
    CallHandler(
        row, [&] { base(); return LRESULT(0); }, [&](const AfxHandler& h) { call(h); return LRESULT(0); });
    return row != nullptr;
}

bool CWnd::DispatchMouse(UINT message, UINT flags, CPoint point, const std::function<void()>& base)
{
    return Dispatch(message, AfxSig::Mouse, base, [&](const AfxHandler& h) { h.mouse(this, flags, point); });
}

bool CWnd::DispatchKey(UINT message, UINT nChar, UINT repeat, UINT flags, const std::function<void()>& base)
{
    return Dispatch(message, AfxSig::Key, base, [&](const AfxHandler& h) { h.key(this, nChar, repeat, flags); });
}

bool CWnd::DispatchVoid(UINT message, const std::function<void()>& base)
{
    return Dispatch(message, AfxSig::Void, base, [&](const AfxHandler& h) { h.command(this); });
}

BOOL CWnd::DispatchWheel(UINT flags, short delta, CPoint point, const std::function<LRESULT()>& base)
{
    const LRESULT used = CallHandler(FindHandler(WM_MOUSEWHEEL, AfxSig::Wheel), base,
                                     [&](const AfxHandler& h) { return LRESULT(h.wheel(this, flags, delta, point)); });
    return used != 0;
}
