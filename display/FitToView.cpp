#include "display/FitLayout.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"

namespace {
// What every layout does: the picture's size, the scale, the display
// rectangle, its origin, its place on the screen and the picture's transform.
void FitDisplay(CVeilcutDoc& doc, CVeilcutView& view)
{
    const unsigned w = doc.m_picture ? FreeImage_GetWidth(doc.m_picture.get()) : 0;
    const unsigned h = doc.m_picture ? FreeImage_GetHeight(doc.m_picture.get()) : 0;
    doc.m_pictureRect = CRect(0, 0, int(w), int(h));

    view.GetClientRect(&view.m_clientRect);
    const FitLayout layout = FitPicture(view.m_clientRect.Width(), view.m_clientRect.Height(), w, h);
    if (doc.m_picture)
        doc.m_scale = layout.scale;
    view.m_displayRect = layout.displayRect;
    view.m_origin = DisplayOrigin(view.m_displayRect);
    view.m_clipRect = view.m_displayRect;
    view.ClientToScreen(&view.m_clipRect);
    view.m_transform = FittedTransform(view.m_displayRect, doc.m_scale, h);
}
} // namespace

void CVeilcutDoc::FitToView()
{
    CVeilcutView& view = *m_view;
    if (!m_firstLayout && m_covered.selected) {
        m_maskOffset = view.SelectedOffset();
    }
    FitDisplay(*this, view);

    CRect placed = m_maskOffset;
    placed.OffsetRect(view.m_origin);
    const bool fits = view.m_displayRect.PtInRect(placed.TopLeft()) &&
                      view.m_displayRect.PtInRect(placed.BottomRight());
    if (!fits)
        placed = DefaultEllipse(view.m_origin);
    // A view too small to show anything has no picture pixels to place it on.
    if (view.m_transform.scale > 0) {
        m_openPlace = ToPicture(placed, view.m_transform);
        m_covered = OnlyEllipse(*m_openPlace);
    }
    m_undo.clear();

    // Only a layout of a picture uses up the stored position; one without a
    // picture (Open cancelled at start) leaves it for the first picture.
    if (m_picture)
        m_firstLayout = FALSE;
    view.BuildDisplayImage();
}

void CVeilcutDoc::Relayout()
{
    FitDisplay(*this, *m_view);
    m_view->BuildDisplayImage();
}

bool CVeilcutDoc::RefitToView()
{
    CRect client;
    m_view->GetClientRect(&client);
    // Before the first layout of a picture there is no place to keep.
    if (!m_picture || m_firstLayout || client == m_view->m_clientRect)
        return false;
    Relayout();
    return true;
}
