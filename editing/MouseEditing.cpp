#include "display/VeilcutView.h"
#include "editing/EllipseHitTest.h"

namespace {
// What a press starts: the first hit in the order left, right, top, bottom, interior.
enum class Grip { None, Left, Right, Top, Bottom, Interior };

Grip GripAt(CPoint point, const CRect& ellipse, int s)
{
    if (PtInLeftHandle(point, ellipse, s)) return Grip::Left;
    if (PtInRightHandle(point, ellipse, s)) return Grip::Right;
    if (PtInTopHandle(point, ellipse, s)) return Grip::Top;
    if (PtInBottomHandle(point, ellipse, s)) return Grip::Bottom;
    if (PtInEllipse(point, ellipse)) return Grip::Interior;
    return Grip::None;
}
} // namespace

void CVeilcutView::OnLButtonDown(UINT /*nFlags*/, CPoint point)
{
    const Grip grip = GripAt(point, m_ellipse, m_handleSize);
    if (grip != Grip::None) {
        m_lastPoint = point;
        SetCapture();
        // Where the picture is on the screen now: the window may have moved
        // or the toolbar docked elsewhere since the layout.
        m_clipRect = m_displayRect;
        ClientToScreen(&m_clipRect);
        ClipCursor(&m_clipRect);
        CRect grown = m_ellipse;
        grown.InflateRect(m_handleSize, m_handleSize);
        InvalidateRect(&grown, FALSE);
        switch (grip) {
        case Grip::Left: SetCursor(m_cursorSizeWE); m_dragLeft = TRUE; break;
        case Grip::Right: SetCursor(m_cursorSizeWE); m_dragRight = TRUE; break;
        case Grip::Top: SetCursor(m_cursorSizeNS); m_dragTop = TRUE; break;
        case Grip::Bottom: SetCursor(m_cursorSizeNS); m_dragBottom = TRUE; break;
        default: SetCursor(m_cursorClosedHand); m_dragMove = TRUE; break;
        }
    }
    Default();
}

HCURSOR CVeilcutView::CursorAt(CPoint point) const
{
    const int s = m_handleSize;
    if (PtInLeftHandle(point, m_ellipse, s) || PtInRightHandle(point, m_ellipse, s) || m_dragLeft || m_dragRight)
        return m_cursorSizeWE;
    if (PtInTopHandle(point, m_ellipse, s) || PtInBottomHandle(point, m_ellipse, s) || m_dragTop || m_dragBottom)
        return m_cursorSizeNS;
    if (PtInEllipse(point, m_ellipse))
        return m_dragMove ? m_cursorClosedHand : m_cursorOpenHand;
    return m_cursorArrow;
}

void CVeilcutView::OnMouseMove(UINT /*nFlags*/, CPoint point)
{
    SetCursor(CursorAt(point));
    if (IsDragging()) {
        InvalidateRect(&m_ellipse, FALSE);
        DragStep(point.x - m_lastPoint.x, point.y - m_lastPoint.y);
        m_ellipse.NormalizeRect();
        m_lastPoint = point;
    }
    Default();
}

void CVeilcutView::DragStep(int dx, int dy)
{
    // A side moves only while the ellipse stays wider (higher) than the
    // handle half-size; a step that would break that is dropped whole.
    const int W = m_ellipse.Width();
    const int H = m_ellipse.Height();
    const int s = m_handleSize;
    if (m_dragLeft) {
        if (dx < W - s) m_ellipse.left += dx;
    } else if (m_dragRight) {
        if (-dx < W - s) m_ellipse.right += dx;
    } else if (m_dragTop) {
        if (dy < H - s) m_ellipse.top += dy;
    } else if (m_dragBottom) {
        if (-dy < H - s) m_ellipse.bottom += dy;
    } else {
        m_ellipse.OffsetRect(dx, dy);
    }
}

void CVeilcutView::OnLButtonUp(UINT /*nFlags*/, CPoint /*point*/)
{
    m_dragLeft = m_dragRight = m_dragTop = m_dragBottom = m_dragMove = FALSE;
    ReleaseCapture();
    ClipCursor(nullptr);
    InvalidateRect(&m_ellipse, FALSE);
    Default();
}
