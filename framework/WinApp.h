#pragma once

#include "framework/CmdTarget.h"
#include "framework/CommandLine.h"

#include <QStringList>

#include <memory>
#include <vector>

class CDocTemplate;
class CFrameWnd;

// What the command line asks for: a new document, or one file to open.
class CCommandLineInfo {
public:
    enum Shell { FileNew, FileOpen };
    Shell m_nShellCommand = FileNew;
    CString m_strFileName;
};

// The application: start-up, the document templates, the profile, the wait
// cursor, and the last stop of command routing.
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    // Without a name of its own the application takes string AFX_IDS_APP_TITLE.
    void InitApplicationName();
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    void SetRegistryKey(const CString& key);
    void LoadStdProfileSettings(UINT maxRecentFiles = 4);
    void AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    void ParseCommandLine(CCommandLineInfo& info);
    BOOL ProcessShellCommand(CCommandLineInfo& info);
    void AddToRecentFileList(const CString& path);
    const QStringList& GetRecentFileList() const { return m_recentFiles; }
    CDocTemplate* GetFirstDocTemplate() const;
    // Destroys the templates with their documents and windows.
    void CloseAllDocuments();

    void DoWaitCursor(int nCode);

    // The profile: section and value names under the registry key and the
    // application name. Integers are 32-bit signed.
    int GetProfileInt(const CString& section, const CString& entry, int defaultValue) const;
    BOOL WriteProfileInt(const CString& section, const CString& entry, int value);
    CString GetProfileString(const CString& section, const CString& entry,
                             const CString& defaultValue = CString()) const;
    BOOL WriteProfileString(const CString& section, const CString& entry, const CString& value);

    void OnFileNew();
    void OnAppExit();

    CFrameWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;
    CString m_pszVersion;
    CString m_pszRegistryKey;
    CommandLineTexts m_commandLineTexts;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void SaveStdProfileSettings();

    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    QStringList m_recentFiles;
    UINT m_maxRecentFiles = 0;
    int m_waitCursorCount = 0;
};

CWinApp* AfxGetApp();

// Shows the application's wait cursor for as long as it lives.
class CWaitCursor {
public:
    CWaitCursor() { m_app->DoWaitCursor(1); }
    ~CWaitCursor() { m_app->DoWaitCursor(-1); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    CWinApp* m_app = AfxGetApp();
};

// Creates the Qt application, runs the application's InitInstance and the message loop.
int AfxWinMain(CWinApp& app, int argc, char** argv);
