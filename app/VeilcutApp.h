#pragma once

#include "framework/WinApp.h"

struct MaskSettings;

class CVeilcutApp : public CWinApp {
public:
    CVeilcutApp();

    BOOL InitInstance() override;
    // The main window shows first, with no picture; the picture the command
    // line names then opens in it, and a failure is told in a box over it and
    // in a line on the terminal, the window staying open. False when the
    // window cannot be made.
    BOOL ShowWindowThenOpen(CCommandLineInfo& cmdInfo);

    void OnAppAbout();
    // New, reachable from the document's Open command.
    void FileNew() { CWinApp::OnFileNew(); }

    // The settings record in the profile section `section`; a value that is
    // missing or unusable leaves its field as it was.
    void ReadMaskSettings(const CString& section, MaskSettings* settings);
    void WriteMaskSettings(const CString& section, MaskSettings* settings);

protected:
    DECLARE_MESSAGE_MAP()
};

extern CVeilcutApp theApp;
// The running application, as the program's own code reaches it.
CVeilcutApp& VeilcutApp();
