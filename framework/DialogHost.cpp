#include "framework/DialogHost.h"

#include "framework/QtDialogHost.h"
#include "framework/WinApp.h"

#include <QCursor>
#include <QGuiApplication>

namespace {
CDialogHost* g_host = nullptr;
}

CDialogHost& AfxGetDialogHost()
{
    static QtDialogHost desktopHost;
    return g_host ? *g_host : desktopHost;
}

void AfxSetDialogHost(CDialogHost* host)
{
    g_host = host;
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
