#include "framework/AfxRes.h"
#include "framework/CmdUI.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "tests/AppSession.h"
#include "tests/FakeDialogHost.h"
#include "framework/FrameWnd.h"
#include "framework/View.h"
#include "app/VeilcutApp.h"
#include "resources/resource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// A document, view and frame of their own, each with a table that records
// which handler ran, to follow a command along the routing chain.
namespace {

enum : UINT {
    ID_VIEW_AND_DOC = 40001,
    ID_DOC_AND_FRAME,
    ID_FRAME_ONLY,
    ID_DISABLED_IN_DOC,
    ID_UPDATE_ONLY,
    ID_NOBODY,
    ID_UPDATE_IN_FRAME,
};
constexpr UINT kNoResources = 999;

std::vector<std::string> g_calls;

// The object a handler ran on and a member it read there: the view's and the
// frame's first base is a Qt class, so a `this` off by that base shows here.
using Receipt = std::pair<const void*, int>;
std::vector<Receipt> g_receipts;
int g_serials = 0;

// What the view's wheel handler answers: used, unused, or the default's answer.
enum class WheelAnswer { Used, Unused, Default };
WheelAnswer g_wheelAnswer = WheelAnswer::Default;

class RoutingDoc : public CDocument {
public:
    void OnViewAndDoc() { g_calls.push_back("doc:view-and-doc"); }
    void OnDocAndFrame() { g_calls.push_back("doc:doc-and-frame"); }
    void OnDisabled() { g_calls.push_back("doc:disabled"); }
    void OnUpdateDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnUpdateOnly(CCmdUI* ui) { ui->Enable(TRUE); }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(RoutingDoc, CDocument)
    ON_COMMAND(ID_VIEW_AND_DOC, &RoutingDoc::OnViewAndDoc)
    ON_COMMAND(ID_DOC_AND_FRAME, &RoutingDoc::OnDocAndFrame)
    ON_COMMAND(ID_DISABLED_IN_DOC, &RoutingDoc::OnDisabled)
    ON_UPDATE_COMMAND_UI(ID_DISABLED_IN_DOC, &RoutingDoc::OnUpdateDisabled)
    ON_UPDATE_COMMAND_UI(ID_UPDATE_ONLY, &RoutingDoc::OnUpdateOnly)
END_MESSAGE_MAP()

class RoutingView : public CView {
public:
    Receipt Own() const { return {this, m_serial}; }
    void OnDraw(CDC*) override {}
    void OnViewAndDoc()
    {
        g_receipts.push_back(Own());
        g_calls.push_back("view:view-and-doc");
    }
    void OnHelp() { g_calls.push_back("view:help"); }
    void OnLButtonDown(UINT, CPoint p)
    {
        g_receipts.push_back(Own());
        g_calls.push_back("view:lbuttondown " + std::to_string(p.x) + "," + std::to_string(p.y));
        Default();
    }
    void OnKeyDown(UINT nChar, UINT, UINT)
    {
        g_receipts.push_back(Own());
        g_calls.push_back("view:key " + std::to_string(nChar));
        Default();
    }
    BOOL OnMouseWheel(UINT, short zDelta, CPoint)
    {
        g_receipts.push_back(Own());
        g_calls.push_back("view:wheel " + std::to_string(zDelta));
        const LRESULT byDefault = Default();
        g_calls.push_back("view:default " + std::to_string(byDefault));
        switch (g_wheelAnswer) {
        case WheelAnswer::Used: return TRUE;
        case WheelAnswer::Unused: return FALSE;
        case WheelAnswer::Default: break;
        }
        return BOOL(byDefault);
    }

    int m_serial = ++g_serials;

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(RoutingView, CView)
    ON_COMMAND(ID_VIEW_AND_DOC, &RoutingView::OnViewAndDoc)
    ON_COMMAND(ID_HELP, &RoutingView::OnHelp)
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

class RoutingFrame : public CFrameWnd {
public:
    Receipt Own() const { return {this, m_serial}; }
    void OnDocAndFrame() { g_calls.push_back("frame:doc-and-frame"); }
    void OnFrameOnly()
    {
        g_receipts.push_back(Own());
        g_calls.push_back("frame:frame-only");
    }
    void OnUpdateInFrame(CCmdUI* ui)
    {
        g_receipts.push_back(Own());
        ui->Enable(TRUE);
    }
    int OnCreate(CREATESTRUCT& cs)
    {
        g_receipts.push_back(Own());
        return CFrameWnd::OnCreate(cs);
    }
    void OnClose()
    {
        g_receipts.push_back(Own());
        CFrameWnd::OnClose();
    }

    int m_serial = ++g_serials;

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(RoutingFrame, CFrameWnd)
    ON_COMMAND(ID_DOC_AND_FRAME, &RoutingFrame::OnDocAndFrame)
    ON_COMMAND(ID_FRAME_ONLY, &RoutingFrame::OnFrameOnly)
    ON_UPDATE_COMMAND_UI(ID_UPDATE_IN_FRAME, &RoutingFrame::OnUpdateInFrame)
    ON_WM_CREATE()
    ON_WM_CLOSE()
END_MESSAGE_MAP()

class FrameworkRouting : public testing::Test {
protected:
    void Start(UINT resourceId)
    {
        theApp.CloseAllDocuments();
        theApp.InitApplicationName();
        theApp.AddDocTemplate(CSingleDocTemplate::Make<RoutingDoc, RoutingFrame, RoutingView>(resourceId));
        CCommandLineInfo info;
        g_receipts.clear();
        ASSERT_TRUE(theApp.ProcessShellCommand(info));
        frame = theApp.m_pMainWnd;
        ASSERT_NE(frame, nullptr);
        g_calls.clear();
    }
    void TearDown() override { theApp.CloseAllDocuments(); }

    // Keys reach shortcuts only in the active window.
    void ShowActive()
    {
        frame->show();
        ASSERT_TRUE(ActivateAndWait(frame));
    }

    // Whether the view kept the wheel turn for itself.
    bool WheelAccepted(short delta)
    {
        QWidget* view = frame->GetActiveView();
        QWheelEvent wheel(QPointF(5, 5), view->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // The view itself, not the parents an unused turn would go on to.
        static_cast<QObject*>(view)->event(&wheel);
        return wheel.isAccepted();
    }

    CFrameWnd* frame = nullptr;
    FakeDialogHost dialogs;
};

} // namespace

TEST_F(FrameworkRouting, FirstTableAlongViewDocumentFrameApplicationHandlesTheCommand)
{
    Start(kNoResources);
    frame->SendCommand(ID_VIEW_AND_DOC);
    frame->SendCommand(ID_DOC_AND_FRAME);
    frame->SendCommand(ID_FRAME_ONLY);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"view:view-and-doc", "doc:doc-and-frame", "frame:frame-only"}));

    // Nobody before the application handles About.
    frame->SendCommand(ID_APP_ABOUT);
    EXPECT_EQ(dialogs.modalDialogs, std::vector<UINT>{100});
}

TEST_F(FrameworkRouting, UpdateHandlersDecideEnableStates)
{
    Start(kNoResources);
    struct Case { UINT id; bool enabled; const char* why; };
    const Case cases[] = {
        {ID_VIEW_AND_DOC, true, "command handler without update handler"},
        {ID_FRAME_ONLY, true, "command handler in the frame"},
        {ID_APP_ABOUT, true, "command handler in the application"},
        {ID_DISABLED_IN_DOC, false, "update handler disables"},
        {ID_UPDATE_ONLY, true, "update handler enables"},
        {ID_UPDATE_IN_FRAME, true, "update handler in the frame enables"},
        {ID_NOBODY, false, "no handler anywhere"},
        {ID_EDIT_UNDO, false, "no handler anywhere"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(CommandEnabled(frame, c.id), c.enabled);
    }
}

TEST_F(FrameworkRouting, DisabledCommandDoesNotRun)
{
    Start(kNoResources);
    frame->SendCommand(ID_DISABLED_IN_DOC);
    frame->SendCommand(ID_NOBODY);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(FrameworkRouting, HelpKeyIssuesHelpCommandToTheView)
{
    Start(kNoResources);
    ShowActive();
    QTest::keyClick(frame->GetActiveView(), Qt::Key_F1);
    EXPECT_EQ(g_calls, std::vector<std::string>{"view:help"});
}

TEST_F(FrameworkRouting, AcceleratorWithoutHandlerIsTakenBeforeTheView)
{
    Start(IDR_MAINFRAME);
    ShowActive();
    QWidget* view = frame->GetActiveView();
    QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(view, Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(view, Qt::Key_F6);
    EXPECT_TRUE(g_calls.empty()) << g_calls.front();
    QTest::keyClick(view, Qt::Key_Z);
    EXPECT_EQ(g_calls, std::vector<std::string>{"view:key 90"});
}

TEST_F(FrameworkRouting, KeysHeldWithAltNeverReachTheKeyHandler)
{
    Start(kNoResources);
    QTest::keyClick(frame->GetActiveView(), Qt::Key_B, Qt::AltModifier);
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(FrameworkRouting, WindowMessagesReachTheViewTableWithClientCoordinates)
{
    Start(kNoResources);
    QWidget* view = frame->GetActiveView();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(12, 34));
    QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, QPoint(5, 6));
    EXPECT_EQ(g_calls, std::vector<std::string>{"view:lbuttondown 12,34"});
}

TEST_F(FrameworkRouting, SecondPressOfADoubleClickStartsNothing)
{
    Start(kNoResources);
    ShowActive();
    QWidget* view = frame->GetActiveView();
    // A double-click arrives as press, release, double-click, release.
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));
    QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(3, 4));
    EXPECT_EQ(g_calls, std::vector<std::string>{"view:lbuttondown 3,4"});
}

TEST_F(FrameworkRouting, FrameCaptionIsDocumentTitleThenWindowTitle)
{
    Start(IDR_MAINFRAME);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Untitled - Veilcut"));
    frame->GetActiveDocument()->SetTitle(QStringLiteral("face.jpg"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("face.jpg - Veilcut"));
}

TEST_F(FrameworkRouting, CloseAsksTheDocumentAndCancelKeepsTheWindow)
{
    Start(kNoResources);
    frame->show();
    frame->GetActiveDocument()->SetModifiedFlag(TRUE);
    dialogs.AnswerMessage(IDCANCEL);
    frame->close();
    EXPECT_FALSE(frame->IsDestroyed());
    EXPECT_TRUE(frame->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, MB_YESNOCANCEL);

    dialogs.AnswerMessage(IDNO);
    frame->close();
    EXPECT_TRUE(frame->IsDestroyed());
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(FrameworkRouting, NewReusesTheOneDocumentAndRunsTheInitialUpdateAgain)
{
    Start(kNoResources);
    CDocument* doc = frame->GetActiveDocument();
    doc->SetTitle(QStringLiteral("x"));
    frame->SendCommand(ID_FILE_NEW);
    EXPECT_EQ(frame->GetActiveDocument(), doc);
    EXPECT_EQ(theApp.m_pMainWnd, frame);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Untitled"));
}

TEST_F(FrameworkRouting, CommandLinePathThatCannotBeOpenedEndsStartUp)
{
    theApp.CloseAllDocuments();
    theApp.InitApplicationName();
    theApp.AddDocTemplate(CSingleDocTemplate::Make<RoutingDoc, RoutingFrame, RoutingView>(kNoResources));
    CCommandLineInfo info;
    info.m_nShellCommand = CCommandLineInfo::FileOpen;
    info.m_strFileName = QStringLiteral("/nonexistent/face.jpg");
    EXPECT_FALSE(theApp.ProcessShellCommand(info));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("/nonexistent/face.jpg")));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("Veilcut"));
}

TEST_F(FrameworkRouting, StandardSaveAsksForANameAndRecordsIt)
{
    Start(kNoResources);
    const QString path = QDir::homePath() + QStringLiteral("/saved-by-framework.dat");
    QFile::remove(path);
    theApp.LoadStdProfileSettings(4);
    dialogs.ChooseFile(path);
    frame->SendCommand(ID_FILE_SAVE);
    ASSERT_EQ(dialogs.fileDialogs.size(), 1u);
    EXPECT_FALSE(dialogs.fileDialogs[0].open);
    EXPECT_TRUE(dialogs.fileDialogs[0].filter.isEmpty());
    EXPECT_EQ(frame->GetActiveDocument()->GetPathName(), path);
    EXPECT_EQ(theApp.GetRecentFileList().value(0), path);
}

TEST_F(FrameworkRouting, HandlersOfQtBasedWindowsRunOnTheirOwnObject)
{
    Start(kNoResources);
    auto* view = dynamic_cast<RoutingView*>(frame->GetActiveView());
    auto* routingFrame = dynamic_cast<RoutingFrame*>(frame);
    ASSERT_TRUE(view && routingFrame);
    EXPECT_EQ(g_receipts, std::vector<Receipt>{routingFrame->Own()}) << "create";

    struct Row { const char* kind; std::function<void()> send; Receipt expected; };
    const Row rows[] = {
        {"command in the view", [&] { frame->SendCommand(ID_VIEW_AND_DOC); }, view->Own()},
        {"mouse", [&] { QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(1, 2)); }, view->Own()},
        {"key", [&] { QTest::keyClick(view, Qt::Key_Z); }, view->Own()},
        {"wheel", [&] { WheelAccepted(120); }, view->Own()},
        {"command in the frame", [&] { frame->SendCommand(ID_FRAME_ONLY); }, routingFrame->Own()},
        {"update in the frame", [&] { CommandEnabled(frame, ID_UPDATE_IN_FRAME); }, routingFrame->Own()},
        {"close", [&] { frame->close(); }, routingFrame->Own()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        g_receipts.clear();
        row.send();
        EXPECT_EQ(g_receipts, std::vector<Receipt>{row.expected});
    }
}

TEST_F(FrameworkRouting, WheelHandlerAnswerDecidesWhetherTheViewKeepsTheTurn)
{
    Start(kNoResources);
    // The view's own default processing leaves a wheel turn to the window around it.
    struct Case { WheelAnswer answer; bool accepted; const char* why; };
    const Case cases[] = {
        {WheelAnswer::Used, true, "handler used the turn"},
        {WheelAnswer::Unused, false, "handler left the turn"},
        {WheelAnswer::Default, false, "handler passed on the default's answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        g_wheelAnswer = c.answer;
        g_calls.clear();
        EXPECT_EQ(WheelAccepted(-240), c.accepted);
        EXPECT_EQ(g_calls, (std::vector<std::string>{"view:wheel -240", "view:default 0"}));
    }
    g_wheelAnswer = WheelAnswer::Default;
}
