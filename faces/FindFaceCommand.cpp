#include "display/VeilcutView.h"

#include "framework/DialogHost.h"
#include "framework/WinApp.h"
#include "document/VeilcutDoc.h"
#include "faces/FaceMessages.h"
#include "faces/FacePlacement.h"

#include <optional>

void CVeilcutView::OnFindFace()
{
    CVeilcutDoc* doc = GetDocument();
    if (!doc->m_picture)
        return;
    CFaceCycle& faces = doc->m_faces;
    std::optional<FaceBox> face;
    {
        // Only a new search takes long; the next face of a known picture is at hand.
        std::optional<CWaitCursor> searching;
        if (!faces.Searched())
            searching.emplace();
        face = faces.Next(doc->m_picture.get());
    }
    if (!face) {
        AfxMessageBox(faces.Failure().isEmpty() ? FaceMessages::NoFace() : faces.Failure(), MB_OK, 0);
        return;
    }
    m_ellipse = EllipseOverFace(*face, m_displayRect, doc->m_scale, doc->m_pictureRect.Height());
    Invalidate(FALSE);
}
