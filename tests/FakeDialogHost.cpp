#include "FakeDialogHost.h"

#include "Dialog.h"

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
    messages.push_back({text, caption, type});
    if (m_messageAnswers.empty())
        return type == MB_YESNOCANCEL ? IDCANCEL : IDOK;
    const int answer = m_messageAnswers.front();
    m_messageAnswers.pop_front();
    return answer;
}

int FakeDialogHost::RunFileDialog(const FileDialogRequest& request, CString* chosenPath)
{
    fileDialogs.push_back(request);
    if (m_fileAnswers.empty())
        return IDCANCEL;
    const CString path = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    if (path.isEmpty())
        return IDCANCEL;
    *chosenPath = path;
    return IDOK;
}

int FakeDialogHost::RunModal(CDialog& dialog)
{
    modalDialogs.push_back(dialog.GetTemplateId());
    return IDCANCEL;
}
