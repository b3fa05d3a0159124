#include "display/FitLayout.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"

namespace {
// What every layout does first: the picture's size, the scale, the display
// rectangle, its origin and its place on the screen.
void FitDisplay(CVeilcutDoc& doc, CVeilcutView& view)
{
    const unsigned w = doc.m_picture ? FreeImage_GetWidth(doc.m_picture) : 0;
    const unsigned h = doc.m_picture ? FreeImage_GetHeight(doc.m_picture) : 0;
    doc.m_pictureRect = CRect(0, 0, int(w), int(h));

    view.GetClientRect(&view.m_clientRect);
    const FitLayout layout = FitPicture(view.m_clientRect.Width(), view.m_clientRect.Height(), w, h);
    if (doc.m_picture)
        doc.m_scale = layout.scale;
    view.m_displayRect = layout.displayRect;
    view.m_origin = DisplayOrigin(view.m_displayRect);
    view.m_clipRect = view.m_displayRect;
    view.ClientToScreen(&view.m_clipRect);
}
} // namespace

void CVeilcutDoc::FitToView()
{
    CVeilcutView& view = *m_view;
    if (!m_firstLayout) {
        m_maskOffset = view.m_ellipse;
        m_maskOffset.OffsetRect(-view.m_origin.x, -view.m_origin.y);
    }
    FitDisplay(*this, view);

    view.m_ellipse = m_maskOffset;
    view.m_ellipse.OffsetRect(view.m_origin);
    const bool fits = view.m_displayRect.PtInRect(view.m_ellipse.TopLeft()) &&
                      view.m_displayRect.PtInRect(view.m_ellipse.BottomRight());
    if (!fits)
        view.m_ellipse = DefaultEllipse(view.m_origin);

    // Only a layout of a picture uses up the stored position; one without a
    // picture (Open cancelled at start) leaves it for the first picture.
    if (m_picture)
        m_firstLayout = FALSE;
    view.BuildDisplayImage();
}

bool CVeilcutDoc::RefitToView()
{
    CVeilcutView& view = *m_view;
    CRect client;
    view.GetClientRect(&client);
    // Before the first layout of a picture there is no place to keep.
    if (!m_picture || m_firstLayout || client == view.m_clientRect)
        return false;
    const FitLayout before{m_scale, view.m_displayRect};
    FitDisplay(*this, view);
    // The ellipse stays over the same part of the picture, wherever the corners land.
    view.m_ellipse = CarryEllipse(view.m_ellipse, before, FitLayout{m_scale, view.m_displayRect});
    m_maskOffset = view.m_ellipse;
    m_maskOffset.OffsetRect(-view.m_origin.x, -view.m_origin.y);
    view.BuildDisplayImage();
    return true;
}
