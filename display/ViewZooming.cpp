#include "display/VeilcutView.h"

#include "document/VeilcutDoc.h"

#include <QPointF>

QSizeF CVeilcutView::PictureSize() const
{
    const CVeilcutDoc* doc = GetDocument();
    return QSizeF(doc->m_pictureRect.Width(), doc->m_pictureRect.Height());
}

QSize CVeilcutView::ClientSize() const
{
    return QSize(m_clientRect.Width(), m_clientRect.Height());
}

ViewTransform CVeilcutView::FittedView() const
{
    const CVeilcutDoc* doc = GetDocument();
    return FittedTransform(m_fittedRect, doc->m_scale, unsigned(doc->m_pictureRect.Height()));
}

SourceArea CVeilcutView::ShownArea() const
{
    if (m_zoom)
        return ShownPartOf(*m_zoom, PictureSize(), ClientSize()).area;
    return SourceArea{GetDocument()->m_scale};
}

CPoint CVeilcutView::ViewCentre() const
{
    return CPoint(m_clientRect.Width() / 2, m_clientRect.Height() / 2);
}

bool CVeilcutView::CanZoom() const
{
    return GetDocument()->m_picture && m_transform.scale > 0 && !IsDragging() && m_pan == PanButton::None;
}

void CVeilcutView::ZoomStep(bool in, CPoint anchor)
{
    if (!CanZoom())
        return;
    const double fitted = GetDocument()->m_scale;
    const double now = m_transform.scale;
    const double scale = in ? ZoomedIn(now, fitted) : ZoomedOut(now, fitted);
    if (scale == now)
        return;
    if (scale == fitted)
        ZoomToFit();
    else
        ShowZoomed(ZoomAround(m_transform, scale, QPointF(anchor.x, anchor.y), PictureSize(), QSizeF(ClientSize())));
}

void CVeilcutView::ZoomToFit()
{
    if (!m_zoom || !CanZoom())
        return;
    m_zoom.reset();
    GetDocument()->Relayout();
    Invalidate(TRUE);
}

void CVeilcutView::ShowZoomed(const ViewTransform& zoom)
{
    m_zoom = zoom;
    ApplyZoom();
    BuildDisplayImage();
    Invalidate(TRUE);
}

void CVeilcutView::ApplyZoom()
{
    m_transform = *m_zoom;
    m_displayRect = ShownPartOf(*m_zoom, PictureSize(), ClientSize()).displayRect;
    m_clipRect = m_displayRect;
    ClientToScreen(&m_clipRect);
}

void CVeilcutView::KeepZoom(const CRect& clientBefore)
{
    if (!m_zoom)
        return;
    // Grown so far that the fitted view shows the picture as large: fitted it is.
    if (!(m_zoom->scale > GetDocument()->m_scale)) {
        m_zoom.reset();
        return;
    }
    m_zoom = KeepCentre(*m_zoom, QSizeF(clientBefore.Width(), clientBefore.Height()), PictureSize(),
                        QSizeF(ClientSize()));
    ApplyZoom();
}

void CVeilcutView::StartPan(PanButton button, CPoint point)
{
    m_pan = button;
    m_panLast = point;
    SetCapture();
    SetCursor(m_cursorClosedHand);
}

void CVeilcutView::PanTo(CPoint point)
{
    const QPointF delta(point.x - m_panLast.x, point.y - m_panLast.y);
    m_panLast = point;
    if (m_zoom && !delta.isNull())
        ShowZoomed(PanBy(*m_zoom, delta, PictureSize(), QSizeF(ClientSize())));
}

void CVeilcutView::EndPan(PanButton button, CPoint point)
{
    if (m_pan != button)
        return;
    m_pan = PanButton::None;
    ReleaseCapture();
    SetCursor(CursorAt(point));
}
