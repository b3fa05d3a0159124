#include "Wnd.h"

#include <QWidget>

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
    switch (nCmdShow) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWMAXIMIZED: w->showMaximized(); break;
    default: w->show(); break;
    }
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

long CWnd::GetStyle() const
{
    return GetWidget()->isVisible() ? WS_VISIBLE : 0;
}

void CWnd::SetCapture()
{
    GetWidget()->grabMouse();
}

void ReleaseCapture()
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

void CWnd::Default()
{
    if (m_default)
        m_default();
}

void CWnd::WithDefault(const std::function<void()>& base, const std::function<void()>& call)
{
    std::function<void()> saved = std::exchange(m_default, base);
    call();
    m_default = std::move(saved);
}

bool CWnd::Dispatch(UINT message, AfxSig sig, const std::function<void()>& base,
                    const std::function<void(const AfxHandler&)>& call)
{
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message);
    if (!e || e->sig != sig) {
        base();
        return false;
    }
    WithDefault(base, [&] { call(e->handler); });
    return true;
}

bool CWnd::DispatchMouse(UINT message, UINT flags, CPoint point, const std::function<void()>& base)
{
    return Dispatch(message, AfxSig::Mouse, base, [&](const AfxHandler& h) { (this->*(h.mouse))(flags, point); });
}

bool CWnd::DispatchKey(UINT message, UINT nChar, UINT repeat, UINT flags, const std::function<void()>& base)
{
    return Dispatch(message, AfxSig::Key, base,
                    [&](const AfxHandler& h) { (this->*(h.key))(nChar, repeat, flags); });
}

bool CWnd::DispatchWheel(UINT flags, short delta, CPoint point, const std::function<void()>& base)
{
    return Dispatch(WM_MOUSEWHEEL, AfxSig::Wheel, base,
                    [&](const AfxHandler& h) { (this->*(h.wheel))(flags, delta, point); });
}

bool CWnd::DispatchVoid(UINT message, const std::function<void()>& base)
{
    return Dispatch(message, AfxSig::Void, base, [&](const AfxHandler& h) { (this->*(h.command))(); });
}
