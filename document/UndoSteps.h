#pragma once

#include "document/CoveredAreas.h"

#include <QUndoCommand>

class CVeilcutDoc;

// One change of the covered areas; it holds the ellipses before and after.
class CCoverChangeStep : public QUndoCommand {
public:
    CCoverChangeStep(CVeilcutDoc& doc, CoveredAreas before, CoveredAreas after);
    void undo() override;
    void redo() override;

private:
    CVeilcutDoc& m_doc;
    CoveredAreas m_before;
    CoveredAreas m_after;
};

// A quarter turn already made. Undone by the opposite turn, so no copy of the
// picture is held; the ellipses come back exactly as they were.
class CQuarterTurnStep : public QUndoCommand {
public:
    CQuarterTurnStep(CVeilcutDoc& doc, QuarterTurn turn, CoveredAreas before, CoveredAreas after);
    void undo() override;
    void redo() override;

private:
    CVeilcutDoc& m_doc;
    QuarterTurn m_turn;
    CoveredAreas m_before;
    CoveredAreas m_after;
    bool m_made = true;   // the turn was made before the step was recorded
};
