#include "document/VeilcutDoc.h"

#include "framework/WinApp.h"
#include "display/VeilcutView.h"
#include "document/PictureRotation.h"
#include "document/UndoSteps.h"

void CVeilcutDoc::OnRotateLeft()
{
    TurnQuarter(QuarterTurn::Left);
}

void CVeilcutDoc::OnRotateRight()
{
    TurnQuarter(QuarterTurn::Right);
}

void CVeilcutDoc::TurnQuarter(QuarterTurn turn)
{
    if (!m_picture)
        return;
    const CoveredAreas before = m_covered;
    const CoveredAreas after = Turned(m_covered, turn, FreeImage_GetWidth(m_picture.get()),
                                      FreeImage_GetHeight(m_picture.get()));
    if (ApplyTurn(turn, after, +1))
        m_undo.push(new CQuarterTurnStep(*this, turn, before, after));
}

bool CVeilcutDoc::ApplyTurn(QuarterTurn turn, const CoveredAreas& areas, int turns)
{
    if (!m_picture)
        return false;
    CWaitCursor wait;
    BitmapPtr turned = TurnPicture(m_picture.get(), turn);
    if (!turned) {
        // No room for the turned copy: keep the picture and the document as they were.
        return false;
    }
    ReplacePicture(std::move(turned));
    m_covered = areas;
    Relayout();
    m_turnsSinceClean += turns;
    CDocument::SetModifiedFlag(m_turnsSinceClean != 0);
    m_view->Invalidate(TRUE);
    return true;
}
