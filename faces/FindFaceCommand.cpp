#include "display/VeilcutView.h"

#include "framework/DialogHost.h"
#include "app/VeilcutApp.h"
#include "document/VeilcutDoc.h"
#include "faces/FaceMessages.h"
#include "faces/FacePlacement.h"

void CVeilcutView::OnFindFace()
{
    CVeilcutDoc* doc = GetDocument();
    if (!doc->m_picture)
        return;
    CFaceCycle& faces = doc->m_faces;
    const bool searching = !faces.Searched();
    if (searching)
        theApp.DoWaitCursor(1);
    const std::optional<FaceBox> face = faces.Next(doc->m_picture);
    if (searching)
        theApp.DoWaitCursor(-1);
    if (!face) {
        AfxMessageBox(faces.Failure().isEmpty() ? FaceMessages::NoFace() : faces.Failure(), MB_OK, 0);
        return;
    }
    m_ellipse = EllipseOverFace(*face, m_displayRect, doc->m_scale, doc->m_pictureRect.Height());
    Invalidate(FALSE);
}
