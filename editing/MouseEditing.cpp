#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "editing/EllipseHitTest.h"

void CVeilcutView::OnLButtonDown(UINT /*nFlags*/, CPoint point)
{
    CVeilcutDoc* doc = GetDocument();
    const std::optional<EllipseHit> hit = HitEllipse(EllipseRects(), doc->m_covered.selected, point, m_handleSize);
    if (hit) {
        m_dragBefore = doc->m_covered;
        doc->m_covered.selected = hit->index;
        m_lastPoint = point;
        SetCapture();
        // Where the picture is on the screen now: the window may have moved
        // or the toolbar docked elsewhere since the layout.
        m_clipRect = m_displayRect;
        ClientToScreen(&m_clipRect);
        ClipCursor(&m_clipRect);
        if (m_dragBefore->selected != hit->index)
            Invalidate(FALSE);   // the handles move to another ellipse
        CRect grown = SelectedRect();
        grown.InflateRect(m_handleSize, m_handleSize);
        InvalidateRect(&grown, FALSE);
        switch (hit->grip) {
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
    const std::optional<EllipseHit> hit =
        HitEllipse(EllipseRects(), GetDocument()->m_covered.selected, point, m_handleSize);
    const Grip grip = hit ? hit->grip : Grip::None;
    if (grip == Grip::Left || grip == Grip::Right || m_dragLeft || m_dragRight)
        return m_cursorSizeWE;
    if (grip == Grip::Top || grip == Grip::Bottom || m_dragTop || m_dragBottom)
        return m_cursorSizeNS;
    if (grip == Grip::Interior)
        return m_dragMove ? m_cursorClosedHand : m_cursorOpenHand;
    return m_cursorArrow;
}

void CVeilcutView::OnMouseMove(UINT /*nFlags*/, CPoint point)
{
    SetCursor(CursorAt(point));
    if (IsDragging() && GetDocument()->m_covered.selected) {
        CRect shown = SelectedRect();
        InvalidateRect(&shown, FALSE);
        DragStep(shown, point.x - m_lastPoint.x, point.y - m_lastPoint.y);
        shown.NormalizeRect();
        PlaceSelected(shown);
        m_lastPoint = point;
    }
    Default();
}

void CVeilcutView::DragStep(CRect& shown, int dx, int dy) const
{
    // A side moves only while the ellipse stays wider (higher) than the
    // handle half-size; a step that would break that is dropped whole.
    const int W = shown.Width();
    const int H = shown.Height();
    const int s = m_handleSize;
    if (m_dragLeft) {
        if (dx < W - s) shown.left += dx;
    } else if (m_dragRight) {
        if (-dx < W - s) shown.right += dx;
    } else if (m_dragTop) {
        if (dy < H - s) shown.top += dy;
    } else if (m_dragBottom) {
        if (-dy < H - s) shown.bottom += dy;
    } else {
        shown.OffsetRect(dx, dy);
    }
}

void CVeilcutView::OnLButtonUp(UINT /*nFlags*/, CPoint /*point*/)
{
    m_dragLeft = m_dragRight = m_dragTop = m_dragBottom = m_dragMove = FALSE;
    ReleaseCapture();
    ClipCursor(nullptr);
    const CRect shown = SelectedRect();
    InvalidateRect(&shown, FALSE);
    // The whole drag is one step to take back.
    if (m_dragBefore)
        GetDocument()->RecordCoverChange(*m_dragBefore);
    m_dragBefore.reset();
    Default();
}
