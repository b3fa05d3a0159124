#include "display/VeilcutView.h"

#include "framework/DialogHost.h"
#include "framework/WinApp.h"
#include "document/VeilcutDoc.h"
#include "faces/FaceCoverage.h"
#include "faces/FaceMessages.h"

#include <optional>

bool CVeilcutView::FacesCoveredForSave()
{
    CVeilcutDoc* doc = GetDocument();
    CFaceCycle& faces = doc->m_faces;
    if (!doc->m_picture || faces.UncoveredAccepted())
        return true;
    std::vector<FaceBox> uncovered;
    {
        // The search F made is used again; only a picture not yet searched waits.
        std::optional<CWaitCursor> searching;
        if (!faces.Searched())
            searching.emplace();
        const std::vector<FaceBox>& found = faces.All(doc->m_picture.get());
        uncovered = UncoveredFaces(found, doc->PictureEllipses(), unsigned(doc->m_pictureRect.Width()),
                                   unsigned(doc->m_pictureRect.Height()));
    }
    // A search stopped by the user stops the save too: nothing unchecked is written.
    if (faces.Cancelled())
        return false;
    if (uncovered.empty())
        return true;
    if (AfxMessageBox(FaceMessages::NotCovered(uncovered.size()), MB_YESNO, 0) == IDYES) {
        faces.AcceptUncovered();
        return true;
    }
    doc->ChangeCovered(WithAdded(doc->m_covered, EllipseOverFaceInPicture(uncovered.front())));
    Invalidate(FALSE);
    return false;
}
