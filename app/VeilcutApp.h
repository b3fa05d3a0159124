#pragma once

#include "WinApp.h"

class CVeilcutApp : public CWinApp {
public:
    CVeilcutApp();

    BOOL InitInstance() override;

    void OnAppAbout();
    // New, reachable from the document's Open command.
    void FileNew() { CWinApp::OnFileNew(); }

protected:
    DECLARE_MESSAGE_MAP()
};

extern CVeilcutApp theApp;
