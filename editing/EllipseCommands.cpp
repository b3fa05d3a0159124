#include "display/VeilcutView.h"

#include "framework/CmdUI.h"
#include "document/VeilcutDoc.h"

#include <QCursor>

namespace {
// The size of a new ellipse on the screen, as the first one has.
constexpr int kNewWidth = 100;
constexpr int kNewHeight = 150;
} // namespace

void CVeilcutView::OnAddEllipse()
{
    CVeilcutDoc* doc = GetDocument();
    if (!doc->m_picture || !(m_transform.scale > 0))
        return;
    CPoint centre(mapFromGlobal(QCursor::pos()));
    if (!m_displayRect.PtInRect(centre)) {
        const CRect& picture = doc->m_pictureRect;
        const double middleX = picture.Width() / 2.0, middleY = picture.Height() / 2.0;
        centre = ToView(CoverEllipse{middleX, middleY, middleX, middleY}, m_transform).TopLeft();
    }
    const CRect shown(centre.x - kNewWidth / 2, centre.y - kNewHeight / 2, centre.x + kNewWidth / 2,
                      centre.y + kNewHeight / 2);
    doc->ChangeCovered(WithAdded(doc->m_covered, ToPicture(shown, m_transform)));
}

void CVeilcutView::OnDeleteEllipse()
{
    CVeilcutDoc* doc = GetDocument();
    if (doc->m_covered.selected)
        doc->ChangeCovered(WithoutSelected(doc->m_covered));
}

void CVeilcutView::SelectStep(int step)
{
    CVeilcutDoc* doc = GetDocument();
    doc->m_covered.selected = SelectionStep(doc->m_covered, step);
    Invalidate(FALSE);
}

void CVeilcutView::OnUpdateAddEllipse(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetDocument()->m_picture != nullptr);
}

void CVeilcutView::OnUpdateDeleteEllipse(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetDocument()->m_covered.selected.has_value());
}

void CVeilcutView::OnUpdateCoverFaces(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetDocument()->m_picture != nullptr);
}
