#include "framework/WinApp.h"

#include "framework/AfxRes.h"
#include "framework/CommandLine.h"
#include "framework/DialogHost.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/FrameWnd.h"
#include "framework/ResourceTable.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <iostream>
#include <optional>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND(ID_APP_EXIT, &CWinApp::OnAppExit)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName)
{
    g_app = this;
    if (appName)
        m_pszAppName = QString::fromLocal8Bit(appName);
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::InitApplicationName()
{
    if (m_pszAppName.isEmpty())
        m_pszAppName = AfxLoadString(AFX_IDS_APP_TITLE);
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return 0;
}

void CWinApp::SetRegistryKey(const CString& key)
{
    m_pszRegistryKey = key;
}

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate)
{
    m_templates.push_back(std::move(docTemplate));
}

CDocTemplate* CWinApp::GetFirstDocTemplate() const
{
    return m_templates.empty() ? nullptr : m_templates.front().get();
}

void CWinApp::CloseAllDocuments()
{
    m_templates.clear();
    m_pMainWnd = nullptr;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info)
{
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--"))
            continue;
        if (info.m_strFileName.isEmpty()) {
            info.m_strFileName = args[i];
            info.m_nShellCommand = CCommandLineInfo::FileOpen;
        }
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    CDocTemplate* docTemplate = GetFirstDocTemplate();
    if (!docTemplate)
        return FALSE;
    if (info.m_nShellCommand != CCommandLineInfo::FileOpen)
        return docTemplate->OpenDocumentFile(nullptr) != nullptr;
    // The message box tells the user; the terminal that started the program hears it too.
    CMessageRecorder shown;
    if (docTemplate->OpenDocumentFile(&info.m_strFileName))
        return TRUE;
    AfxReportOpenFailure(m_pszAppName, info.m_strFileName, shown.LastMessage(), std::cerr);
    return FALSE;
}

void CWinApp::OnFileNew()
{
    if (CDocTemplate* docTemplate = GetFirstDocTemplate())
        docTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd)
        m_pMainWnd->close();
}

void CWinApp::DoWaitCursor(int nCode)
{
    if (nCode > 0) {
        ++m_waitCursorCount;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (nCode < 0 && m_waitCursorCount > 0) {
        --m_waitCursorCount;
        QGuiApplication::restoreOverrideCursor();
    }
}

int AfxWinMain(CWinApp& app, int argc, char** argv)
{
    // Answered before Qt starts, so they work without a display.
    app.InitApplicationName();
    if (const std::optional<int> status =
            AfxAnswerCommandLine(app.m_pszAppName, app.m_pszVersion, app.m_commandLineTexts, argc, argv,
                                 std::cout, std::cerr))
        return *status;
    std::optional<CDisplayStartGuard> displayStart(std::in_place, app.m_pszAppName);
    QApplication qtApp(argc, argv);
    displayStart.reset();
    QApplication::setQuitOnLastWindowClosed(false);
    QCoreApplication::setApplicationVersion(app.m_pszVersion);
    int result = EXIT_FAILURE;   // start-up failed: no window was shown
    if (app.InitInstance())
        result = QApplication::exec();
    app.ExitInstance();
    app.CloseAllDocuments();
    return result;
}
