#include "display/VeilcutView.h"

#include "framework/DialogHost.h"
#include "framework/WinApp.h"
#include "document/VeilcutDoc.h"
#include "faces/FaceMessages.h"
#include "faces/FacePlacement.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {
// Searches the picture unless it was searched already; tells the user when
// there is no face to go to.
bool FacesFound(CFaceCycle& faces, FIBITMAP* picture)
{
    {
        // Only a new search takes long; the faces of a known picture are at hand.
        std::optional<CWaitCursor> searching;
        if (!faces.Searched())
            searching.emplace();
        if (!faces.All(picture).empty())
            return true;
    }
    if (faces.Cancelled())
        return false;
    AfxMessageBox(faces.Failure().isEmpty() ? FaceMessages::NoFace() : faces.Failure(), MB_OK, 0);
    return false;
}

bool CentreInside(const CoverEllipse& e, const FaceBox& face)
{
    const double x = (e.left + e.right) / 2, y = (e.top + e.bottom) / 2;
    return x >= face.left && x < face.left + face.width && y >= face.top && y < face.top + face.height;
}
} // namespace

CoverEllipse CVeilcutView::EllipseOverFaceInPicture(const FaceBox& face) const
{
    // Placed as in the fitted view, so the zoom never changes where it goes.
    const CVeilcutDoc* doc = GetDocument();
    return ToPicture(EllipseOverFace(face, m_fittedRect, doc->m_scale, doc->m_pictureRect.Height()), FittedView());
}

void CVeilcutView::OnFindFace()
{
    CVeilcutDoc* doc = GetDocument();
    if (!doc->m_picture || !FacesFound(doc->m_faces, doc->m_picture.get()))
        return;
    const FaceBox face = *doc->m_faces.Next(doc->m_picture.get());
    if (!(FittedView().scale > 0))
        return;
    const CoveredAreas before = doc->m_covered;
    CoveredAreas after = before;
    const CoverEllipse over = EllipseOverFaceInPicture(face);
    if (after.selected)
        after.ellipses[*after.selected] = over;
    else
        after = WithAdded(after, over);
    doc->m_covered = after;
    doc->RecordCoverChange(before);
    // Zoomed in, the view goes to the face when it is out of sight.
    const CRect shown = SelectedRect();
    if (m_zoom && !(m_displayRect.PtInRect(shown.TopLeft()) && m_displayRect.PtInRect(shown.BottomRight()))) {
        const QPointF middle((over.left + over.right) / 2, (over.top + over.bottom) / 2);
        ShowZoomed(CentredOn(m_transform, middle, PictureSize(), QSizeF(ClientSize())));
    }
    Invalidate(FALSE);
}

void CVeilcutView::OnCoverFaces()
{
    CVeilcutDoc* doc = GetDocument();
    if (!doc->m_picture || !(m_transform.scale > 0) || !FacesFound(doc->m_faces, doc->m_picture.get()))
        return;
    CoveredAreas after = doc->m_covered;
    // The ellipse nobody placed yet goes to the largest face rather than stay where it is.
    const auto untouched = std::find(after.ellipses.begin(), after.ellipses.end(), doc->m_openPlace);
    std::size_t spare = untouched == after.ellipses.end() ? SIZE_MAX : std::size_t(untouched - after.ellipses.begin());
    for (const FaceBox& face : doc->m_faces.All(doc->m_picture.get())) {
        bool covered = false;
        for (std::size_t i = 0; i < after.ellipses.size(); ++i)
            covered = covered || (i != spare && CentreInside(after.ellipses[i], face));
        if (covered)
            continue;
        const CoverEllipse over = EllipseOverFaceInPicture(face);
        if (spare < after.ellipses.size()) {
            after.ellipses[spare] = over;
            after.selected = spare;
            spare = SIZE_MAX;
        } else {
            after = WithAdded(after, over);
        }
    }
    doc->ChangeCovered(after);
}
