#include "document/UndoSteps.h"

#include "document/VeilcutDoc.h"

CCoverChangeStep::CCoverChangeStep(CVeilcutDoc& doc, CoveredAreas before, CoveredAreas after)
    : m_doc(doc), m_before(std::move(before)), m_after(std::move(after))
{
}

void CCoverChangeStep::undo()
{
    m_doc.ShowCovered(m_before);
}

void CCoverChangeStep::redo()
{
    m_doc.ShowCovered(m_after);
}

CQuarterTurnStep::CQuarterTurnStep(CVeilcutDoc& doc, QuarterTurn turn, CoveredAreas before, CoveredAreas after)
    : m_doc(doc), m_turn(turn), m_before(std::move(before)), m_after(std::move(after))
{
}

void CQuarterTurnStep::undo()
{
    const QuarterTurn back = m_turn == QuarterTurn::Left ? QuarterTurn::Right : QuarterTurn::Left;
    m_doc.ApplyTurn(back, m_before, -1);
}

void CQuarterTurnStep::redo()
{
    if (m_made) {
        m_made = false;
        return;
    }
    m_doc.ApplyTurn(m_turn, m_after, +1);
}
