#include "app/VeilcutApp.h"

#include "app/AboutDialog.h"
#include "framework/DocTemplate.h"
#include "framework/FrameWnd.h"
#include "app/MainFrm.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "io/DecoderComplaints.h"
#include "resources/Resources.h"
#include "resources/resource.h"

#include <csignal>

CVeilcutApp theApp;

CVeilcutApp& VeilcutApp()
{
    return theApp;
}

BEGIN_MESSAGE_MAP(CVeilcutApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, &CVeilcutApp::OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
END_MESSAGE_MAP()

CVeilcutApp::CVeilcutApp()
{
    m_pszVersion = QStringLiteral(VEILCUT_VERSION);
    m_commandLineTexts = {
        QStringLiteral("Usage: %1 [PICTURE]\n"
                       "Hides a face in a photograph: open a picture, cover the face with the\n"
                       "ellipse and save a masked copy.\n\n"
                       "  PICTURE     a JPEG, PNG, WebP, HEIC, TIFF or BMP file to open at start\n"
                       "  --help      show this help and exit\n"
                       "  --version   show the version and exit\n"),
        QStringLiteral("only one picture can be opened at a time"),
    };
    VeilcutResources();
    // Under a file-size limit the kernel would kill the program halfway through
    // a save; ignored, the write fails with EFBIG and the save reports it.
    std::signal(SIGXFSZ, SIG_IGN);
    DecoderComplaints::Install();
}

BOOL CVeilcutApp::InitInstance()
{
    SetRegistryKey(QStringLiteral("Local AppWizard-Generated Applications"));
    LoadStdProfileSettings(4);

    AddDocTemplate(CSingleDocTemplate::Make<CVeilcutDoc, CMainFrame, CVeilcutView>(IDR_MAINFRAME));

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    return ShowWindowThenOpen(cmdInfo);
}

BOOL CVeilcutApp::ShowWindowThenOpen(CCommandLineInfo& cmdInfo)
{
    CCommandLineInfo empty;
    if (!ProcessShellCommand(empty))
        return FALSE;
    m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
    m_pMainWnd->UpdateWindow();
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen)
        ProcessShellCommand(cmdInfo);
    return TRUE;
}

void CVeilcutApp::OnAppAbout()
{
    CAboutDialog aboutDlg;
    aboutDlg.DoModal();
}
