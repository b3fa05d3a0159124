#include "document/VeilcutDoc.h"

#include "framework/WinApp.h"
#include "display/VeilcutView.h"
#include "document/PictureRotation.h"

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
    CWaitCursor wait;
    BitmapPtr turned = TurnPicture(m_picture.get(), turn);
    if (!turned) {
        // No room for the turned copy: keep the picture and the document as they were.
        return;
    }
    ReplacePicture(std::move(turned));
    FitToView();
    SetModifiedFlag(TRUE);
    m_view->Invalidate(TRUE);
}
