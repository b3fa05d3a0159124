#include "display/FitLayout.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"

void CVeilcutDoc::FitToView()
{
    CVeilcutView& view = *m_view;
    const unsigned w = m_picture ? FreeImage_GetWidth(m_picture.get()) : 0;
    const unsigned h = m_picture ? FreeImage_GetHeight(m_picture.get()) : 0;
    m_pictureRect = CRect(0, 0, int(w), int(h));

    view.GetClientRect(&view.m_clientRect);
    const FitLayout layout = FitPicture(view.m_clientRect.Width(), view.m_clientRect.Height(), w, h);
    if (m_picture)
        m_scale = layout.scale;
    view.m_displayRect = layout.displayRect;

    if (!m_firstLayout) {
        m_maskOffset = view.m_ellipse;
        m_maskOffset.OffsetRect(-view.m_origin.x, -view.m_origin.y);
    }
    view.m_origin = DisplayOrigin(view.m_displayRect);
    view.m_clipRect = view.m_displayRect;
    view.ClientToScreen(&view.m_clipRect);

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
