#include "document/VeilcutDoc.h"

#include "framework/CmdUI.h"
#include "display/VeilcutView.h"
#include "document/UndoSteps.h"

std::vector<PictureEllipse> CVeilcutDoc::PictureEllipses() const
{
    std::vector<PictureEllipse> burnt;
    burnt.reserve(m_covered.ellipses.size());
    for (const CoverEllipse& e : m_covered.ellipses)
        burnt.push_back(MapEllipseToPicture(e, unsigned(m_pictureRect.Height())));
    return burnt;
}

void CVeilcutDoc::ChangeCovered(const CoveredAreas& after)
{
    const CoveredAreas before = m_covered;
    ShowCovered(after);
    RecordCoverChange(before);
}

void CVeilcutDoc::RecordCoverChange(const CoveredAreas& before)
{
    // A new selection alone is no step to take back.
    if (before.ellipses == m_covered.ellipses)
        return;
    m_undo.push(new CCoverChangeStep(*this, before, m_covered));
}

void CVeilcutDoc::ShowCovered(const CoveredAreas& areas)
{
    m_covered = areas;
    if (m_view)
        m_view->Invalidate(FALSE);
}

void CVeilcutDoc::OnEditUndo()
{
    m_undo.undo();
}

void CVeilcutDoc::OnEditRedo()
{
    m_undo.redo();
}

void CVeilcutDoc::OnUpdateEditUndo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_undo.canUndo());
}

void CVeilcutDoc::OnUpdateEditRedo(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_undo.canRedo());
}

void CVeilcutDoc::SetModifiedFlag(BOOL bModified)
{
    if (!bModified)
        m_turnsSinceClean = 0;
    CDocument::SetModifiedFlag(bModified);
}
