#pragma once

#include "FakeDialogHost.h"

#include <QString>

#include <optional>

class CMainFrame;
class CVeilcutDoc;
class CVeilcutView;

// The program started as at launch (template registered, command line
// processed) with scripted dialogs, torn down again at the end of a test.
class AppSession {
public:
    // An empty path starts with a new document, as an empty command line does.
    explicit AppSession(const QString& commandLinePath = QString());
    ~AppSession();

    bool started() const { return m_started; }
    CVeilcutDoc* doc() const;
    CVeilcutView* view() const;
    CMainFrame* frame() const;

    // Shows the frame and sizes it so that the view's client area is exactly w by h.
    void SetClientSize(int w, int h);
    // Runs a command as a menu item, key or button would.
    void Command(unsigned id);

    FakeDialogHost dialogs;

private:
    bool m_started = false;
};
