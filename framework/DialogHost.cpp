#include "framework/DialogHost.h"

#include "framework/QtDialogHost.h"
#include "framework/WinApp.h"

#include <QCursor>
#include <QGuiApplication>

#include <utility>

namespace {
CDialogHost* g_host = nullptr;
}

CDialogHost& AfxGetDialogHost()
{
    static QtDialogHost desktopHost;
    return g_host ? *g_host : desktopHost;
}

CDialogHost* AfxSetDialogHost(CDialogHost* host)
{
    return std::exchange(g_host, host);
}

CMessageRecorder::CMessageRecorder() : m_next(AfxGetDialogHost()), m_previous(AfxSetDialogHost(this))
{
}

CMessageRecorder::~CMessageRecorder()
{
    AfxSetDialogHost(m_previous);
}

int CMessageRecorder::MessageBox(const CString& text, const CString& caption, UINT type)
{
    m_lastMessage = text;
    return m_next.MessageBox(text, caption, type);
}

int CMessageRecorder::RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer)
{
    return m_next.RunFileDialog(request, answer);
}

int CMessageRecorder::RunModal(CDialog& dialog)
{
    return m_next.RunModal(dialog);
}

int AfxRunWithArrowCursor(const std::function<int()>& runDialog)
{
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    const int result = runDialog();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
    return result;
}

int AfxMessageBox(const CString& text, UINT type, UINT /*helpId*/)
{
    const CWinApp* app = AfxGetApp();
    const CString caption = app ? app->m_pszAppName : CString();
    return AfxRunWithArrowCursor([&] { return AfxGetDialogHost().MessageBox(text, caption, type); });
}
