#include "app/MainFrm.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"

#include "framework/DialogHost.h"

namespace {
// The overlay colour each colour key picks; Z is a second key for black.
struct ColourKey {
    UINT key;
    COLORREF colour;
};
constexpr ColourKey kColourKeys[] = {
    {'B', RGB(0, 0, 255)},     {'G', RGB(0, 255, 0)}, {'R', RGB(255, 0, 0)},   {'S', RGB(0, 0, 0)},
    {'W', RGB(255, 255, 255)}, {'Y', RGB(255, 255, 0)}, {'Z', RGB(0, 0, 0)},
};
} // namespace

void CVeilcutView::OnKeyDown(UINT nChar, UINT /*nRepCnt*/, UINT /*nFlags*/)
{
    CVeilcutDoc* doc = GetDocument();
    if (nChar == VK_LEFT && doc->m_picture)
        doc->OnRotateLeft();
    else if (nChar == VK_RIGHT && doc->m_picture)
        doc->OnRotateRight();
    else if (nChar == 'T')
        doc->OnKeyT();
    else if (nChar == 'F' && GetKeyState(VK_SHIFT) < 0)
        OnCoverFaces();
    else if (nChar == 'F')
        OnFindFace();
    else if (nChar == VK_INSERT)
        OnAddEllipse();
    else if (nChar == VK_DELETE || nChar == VK_BACK)
        OnDeleteEllipse();
    else if (nChar == VK_TAB)
        SelectStep(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
    for (const ColourKey& entry : kColourKeys) {
        if (entry.key == nChar) {
            m_color = entry.colour;
            Invalidate(FALSE);
        }
    }
    Default();
}

BOOL CVeilcutView::OnMouseWheel(UINT /*nFlags*/, short /*zDelta*/, CPoint /*pt*/)
{
    return BOOL(Default());
}

void CVeilcutView::OnRButtonDown(UINT /*nFlags*/, CPoint /*point*/)
{
    if (auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame())) {
        if (!(frame->m_wndToolBar.GetStyle() & WS_VISIBLE))
            frame->ShowControlBar(&frame->m_wndToolBar, TRUE, FALSE);
    }
    Default();
}

void CVeilcutView::OnHotKeys()
{
    CString text = "F1\t=\tHot keys\n\n";
    text += "B\t=\tBlue\nG\t=\tGreen\nR\t=\tRed\nY\t=\tYellow\nS\t=\tBlack\nW\t=\tWhite\n";
    text += "\nLeft arrow   =  Rotate Left\nRight arrow =  Rotate Right\n";
    text += "\nF\t=\tFind face (again: next face)\n";
    text += "Shift+F\t=\tCover every face\n";
    text += "\nInsert\t=\tAdd ellipse\nDelete\t=\tDelete ellipse (also Backspace)\n";
    text += "Tab\t=\tSelect next ellipse (Shift+Tab: previous)\n";
    text += "\nCtrl+Z\t=\tUndo (also Alt+Backspace)\nCtrl+Y\t=\tRedo (also Ctrl+Shift+Z)\n";
    text += "\nRight mouse-button = show Toolbar\n                         (if it is not visible)";
    AfxMessageBox(text, MB_OK, 0);
}
