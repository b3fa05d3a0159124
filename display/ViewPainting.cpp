#include "display/VeilcutView.h"
#include "io/MaskBurn.h"
#include "document/VeilcutDoc.h"

#include <QPainter>
#include <QTimer>

namespace {

const QString caption = QStringLiteral("ONLY COVER FACE!");
const QColor fillGray(kMaskGray, kMaskGray, kMaskGray);

QColor ColorOf(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// The platform draws an ellipse inscribed in a rectangle whose right and
// bottom edges lie outside; a Qt outline of width 1 covers one pixel more.
QRect EllipseBounds(const CRect& r)
{
    return QRect(r.left, r.top, r.Width() - 1, r.Height() - 1);
}

} // namespace

bool CVeilcutView::IsDragging() const
{
    return m_dragLeft || m_dragRight || m_dragTop || m_dragBottom || m_dragMove;
}

void CVeilcutView::OnDraw(CDC* pDC)
{
    const CVeilcutDoc* doc = GetDocument();
    if (!doc->m_picture || !doc->m_display)
        return;
    pDC->drawImage(QPoint(m_displayRect.left, m_displayRect.top), m_displayImage);
    DrawCaption(pDC);
    DrawOverlay(pDC);
}

void CVeilcutView::DrawCaption(CDC* pDC)
{
    pDC->save();
    pDC->setBackgroundMode(Qt::TransparentMode);
    pDC->setPen(ColorOf(m_color));
    pDC->setFont(font());
    const QFontMetrics metrics(font());
    pDC->drawText(QPoint(m_displayRect.left + 5, m_displayRect.top + 2 + metrics.ascent()), caption);
    pDC->restore();
}

void CVeilcutView::DrawOverlay(CDC* pDC)
{
    const CoveredAreas& covered = GetDocument()->m_covered;
    pDC->save();
    pDC->setRenderHint(QPainter::Antialiasing, false);
    pDC->setBackgroundMode(Qt::TransparentMode);
    pDC->setClipRect(m_displayRect.ToQRect(), Qt::IntersectClip);
    const QPen solid(ColorOf(m_color), 0, Qt::SolidLine);
    pDC->setPen(solid);
    pDC->setBrush(fillGray);
    // The selected ellipse comes last, over the others, with its handles.
    for (std::size_t i = 0; i < covered.ellipses.size(); ++i) {
        if (i != covered.selected)
            pDC->drawEllipse(EllipseBounds(EllipseRect(i)));
    }
    if (covered.selected) {
        const CRect selected = EllipseRect(*covered.selected);
        if (IsDragging()) {
            pDC->setPen(QPen(ColorOf(m_color), 0, Qt::DotLine));
            pDC->setBrush(Qt::NoBrush);
            pDC->drawEllipse(EllipseBounds(selected));
        } else {
            pDC->drawEllipse(EllipseBounds(selected));
            DrawHandles(pDC, selected, m_handleSize);
        }
    }
    pDC->restore();
}

void DrawHandles(CDC* pDC, const CRect& r, int halfSize)
{
    const CPoint c0(r.right - 1, r.top), c1(r.left, r.top), c2(r.left, r.bottom - 1), c3(r.right - 1, r.bottom - 1);
    auto mid = [](CPoint a, CPoint b) { return CPoint((a.x + b.x) / 2, (a.y + b.y) / 2); };
    DrawHandle(pDC, mid(c0, c1), halfSize);
    DrawHandle(pDC, mid(c1, c2), halfSize);
    DrawHandle(pDC, mid(c2, c3), halfSize);
    DrawHandle(pDC, mid(c3, c0), halfSize);
}

void DrawHandle(CDC* pDC, CPoint c, int h)
{
    const QPoint points[5] = {{c.x + h, c.y + h}, {c.x - h, c.y + h}, {c.x - h, c.y - h}, {c.x + h, c.y - h},
                              {c.x + h, c.y + h}};
    pDC->save();
    pDC->setBrush(Qt::NoBrush);
    pDC->drawPolyline(points, 5);
    pDC->restore();
}

QRegion CVeilcutView::OverlayRegion() const
{
    QRect overlay = SelectedRect().ToQRect().normalized();
    overlay.adjust(-m_handleSize - 1, -m_handleSize - 1, m_handleSize + 1, m_handleSize + 1);
    const QFontMetrics metrics(font());
    const QRect captionRect(m_displayRect.left + 5, m_displayRect.top + 2,
                            metrics.horizontalAdvance(caption) + 2, metrics.height() + 2);
    return QRegion(overlay.intersected(m_displayRect.ToQRect())) + QRegion(captionRect);
}

void CVeilcutView::InvalidateRect(const CRect* rect, BOOL bErase)
{
    CView::InvalidateRect(rect, bErase);
    if (!rect)
        return;
    // A paint covers only the invalid area, yet the caption and the whole
    // overlay must come out whole; the ellipse may also move before the
    // paint, so its area is taken once the current message is done.
    update(OverlayRegion());
    if (m_overlayRefreshQueued)
        return;
    m_overlayRefreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_overlayRefreshQueued = false;
        update(OverlayRegion());
    });
}
