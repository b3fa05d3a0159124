#include "tests/FakeDialogHost.h"

#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

#include <QCursor>
#include <QGuiApplication>

FakeDialogHost::FakeDialogHost()
{
    AfxSetDialogHost(this);
}

FakeDialogHost::~FakeDialogHost()
{
    AfxSetDialogHost(nullptr);
}

int FakeDialogHost::MessageBox(const CString& text, const CString& caption, UINT type)
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    const CWinApp* app = AfxGetApp();
    const bool windowShown = app && app->m_pMainWnd && app->m_pMainWnd->isVisible();
    messages.push_back({text, caption, type, !cursor || cursor->shape() == Qt::ArrowCursor, windowShown});
    if (m_messageAnswers.empty()) {
        switch (type & MB_TYPEMASK) {
        case MB_YESNOCANCEL: return IDCANCEL;
        case MB_YESNO: return IDNO;
        default: return IDOK;
        }
    }
    const int answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

int FakeDialogHost::RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer)
{
    fileDialogs.push_back(request);
    if (m_fileAnswers.empty())
        return IDCANCEL;
    *answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return answer->path.isEmpty() ? IDCANCEL : IDOK;
}

int FakeDialogHost::RunModal(CDialog& dialog)
{
    modalDialogs.push_back(dialog.GetTemplateId());
    return IDCANCEL;
}
