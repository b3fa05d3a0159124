#pragma once

#include "tests/FakeDialogHost.h"

#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

class CCmdTarget;
class CMainFrame;
class CVeilcutDoc;
class CVeilcutView;
class QWidget;

// Makes `window` the active one, the only one keys reach shortcuts in;
// false when it does not become active.
[[nodiscard]] bool ActivateAndWait(QWidget* window);

// Whether the update handlers on the routing chain from `target` enable command `id`.
bool CommandEnabled(CCmdTarget* target, unsigned id);

// The program started as at launch (template registered, command line
// processed) with scripted dialogs, torn down again at the end of a test.
class AppSession {
public:
    // Tests share one profile: a session starts from cleared settings unless
    // the test has stored some for it to read.
    enum class Settings { Cleared, AsStored };
    // Framework: the framework's shell command alone; WindowFirst: as the
    // program starts, the window shown before the picture opens.
    enum class Start { Framework, WindowFirst };

    // An empty path starts with a new document, as an empty command line does.
    explicit AppSession(const QString& commandLinePath = QString(), Settings settings = Settings::Cleared,
                        Start start = Start::Framework);
    ~AppSession();

    bool started() const { return m_started; }
    CVeilcutDoc* doc() const;
    CVeilcutView* view() const;
    CMainFrame* frame() const;

    // Shows the frame and sizes it so that the view's client area is exactly w by h.
    void SetClientSize(int w, int h);
    // Lays out a blank picture of w by h pixels in a client area of W by H.
    void LayOutBlankPicture(int W, int H, unsigned w, unsigned h);
    // Runs a command as a menu item, key or button would.
    void Command(unsigned id);

    // The profile the program reads, named as start-up names it.
    static std::unique_ptr<QSettings> UseProgramProfile();
    // Removes every stored setting of the program from the shared profile.
    static void ClearSettings();

    FakeDialogHost dialogs;

private:
    bool m_started = false;
};
