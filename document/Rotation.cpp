#include "document/VeilcutDoc.h"

#include "framework/WinApp.h"
#include "display/VeilcutView.h"
#include "io/PictureRotation.h"
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
    // The ellipse nobody moved yet stays the one Cover every face may move.
    if (m_openPlace)
        m_openPlace = TurnEllipse(*m_openPlace, turn, FreeImage_GetWidth(m_picture.get()),
                                  FreeImage_GetHeight(m_picture.get()));
    ReplacePicture(std::move(turned));
    m_covered = areas;
    // The turned picture is shown whole.
    m_view->m_zoom.reset();
    Relayout();
    m_turnsSinceClean += turns;
    CDocument::SetModifiedFlag(m_turnsSinceClean != 0);
    m_view->Invalidate(TRUE);
    return true;
}
