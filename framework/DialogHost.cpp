#include "DialogHost.h"

#include "QtDialogHost.h"
#include "WinApp.h"

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

int AfxMessageBox(const CString& text, UINT type, UINT /*helpId*/)
{
    const CWinApp* app = AfxGetApp();
    return AfxGetDialogHost().MessageBox(text, app ? app->m_pszAppName : CString(), type);
}
