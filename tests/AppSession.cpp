#include "tests/AppSession.h"

#include "framework/CmdUI.h"
#include "framework/DocTemplate.h"
#include "framework/Profile.h"
#include "app/MaskSettings.h"
#include "app/MainFrm.h"
#include "app/VeilcutApp.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include "faces/FaceDetector.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

bool ActivateAndWait(QWidget* window)
{
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

namespace {
// The faces of a session's pictures: none. Every save looks for faces left
// uncovered, and the real search is the face tests' business, not each save's.
struct NoFaces : CFaceDetector {
    FaceSearch Find(FIBITMAP*, const FaceProgress&) override { return {}; }
};
} // namespace

bool CommandEnabled(CCmdTarget* target, unsigned id)
{
    CCmdUI ui(id);
    ui.DoUpdate(target);
    return ui.m_bEnabled;
}

AppSession::AppSession(const QString& commandLinePath, Settings settings, Start start)
{
    theApp.CloseAllDocuments();
    UseProgramProfile();
    if (settings == Settings::Cleared)
        ClearSettings();
    theApp.AddDocTemplate(CSingleDocTemplate::Make<CVeilcutDoc, CMainFrame, CVeilcutView>(IDR_MAINFRAME));
    CCommandLineInfo info;
    if (!commandLinePath.isEmpty()) {
        info.m_nShellCommand = CCommandLineInfo::FileOpen;
        info.m_strFileName = commandLinePath;
    }
    m_started = start == Start::WindowFirst ? theApp.ShowWindowThenOpen(info) : theApp.ProcessShellCommand(info);
    if (doc())
        doc()->m_faces.UseDetector(std::make_unique<NoFaces>());
}

AppSession::~AppSession()
{
    theApp.CloseAllDocuments();
    QCoreApplication::processEvents();
}

CMainFrame* AppSession::frame() const
{
    return static_cast<CMainFrame*>(theApp.m_pMainWnd);
}

CVeilcutView* AppSession::view() const
{
    return frame() ? static_cast<CVeilcutView*>(frame()->GetActiveView()) : nullptr;
}

CVeilcutDoc* AppSession::doc() const
{
    return view() ? view()->GetDocument() : nullptr;
}

void AppSession::SetClientSize(int w, int h)
{
    CMainFrame* f = frame();
    f->showNormal();
    QCoreApplication::processEvents();
    for (int attempt = 0; attempt < 5 && view()->size() != QSize(w, h); ++attempt) {
        const QSize extra = f->size() - view()->size();
        f->resize(QSize(w, h) + extra);
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(view()->size(), QSize(w, h));
}

std::unique_ptr<QSettings> AppSession::UseProgramProfile()
{
    theApp.InitApplicationName();
    theApp.SetRegistryKey(QStringLiteral("Local AppWizard-Generated Applications"));
    return AfxOpenProfile(theApp.m_pszRegistryKey, theApp.m_pszAppName);
}

void AppSession::ClearSettings()
{
    UseProgramProfile()->remove(MaskSettingsSection);
}

void AppSession::LayOutBlankPicture(int W, int H, unsigned w, unsigned h)
{
    SetClientSize(W, H);
    CVeilcutDoc* document = doc();
    document->m_picture.reset(FreeImage_Allocate(int(w), int(h), 24));
    document->FitToView();
}

void AppSession::Command(unsigned id)
{
    frame()->SendCommand(id);
}
