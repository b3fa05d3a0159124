#include "tests/AppSession.h"

#include "app/MainFrm.h"
#include "app/MaskSettings.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "resources/Resources.h"
#include "resources/resource.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionToolBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

namespace {

QToolBar* BarOf(AppSession& session)
{
    return session.frame()->m_wndToolBar.GetToolBar();
}

void ShowActive(AppSession& session)
{
    session.frame()->showNormal();
    ASSERT_TRUE(ActivateAndWait(session.frame()));
}

// Drags the bar by its gripper to `to`, in the frame's coordinates.
void DragBar(AppSession& session, QPoint to)
{
    QToolBar* bar = BarOf(session);
    QStyleOptionToolBar option;
    option.initFrom(bar);
    option.state |= bar->orientation() == Qt::Horizontal ? QStyle::State_Horizontal : QStyle::State_None;
    option.features = QStyleOptionToolBar::Movable;
    const QPoint from = bar->style()->subElementRect(QStyle::SE_ToolBarHandle, &option, bar).center();
    // In screen coordinates, since the bar moves under the mouse once it floats.
    const QPoint start = bar->mapToGlobal(from);
    const QPoint end = session.frame()->mapToGlobal(to);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 10; ++step)
        QTest::mouseMove(bar, bar->mapFromGlobal(start + (end - start) * step / 10));
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, bar->mapFromGlobal(end));
    QCoreApplication::processEvents();
}

QToolButton* CloseButtonOf(QToolBar* bar)
{
    for (QToolButton* button : bar->findChildren<QToolButton*>()) {
        if (button->text() == QStringLiteral("Close"))
            return button;
    }
    return nullptr;
}

// Whether hovering `widget` shows a tooltip, asked the way the platform asks.
bool ShowsTooltip(QWidget* widget)
{
    QToolTip::hideText();
    const QPoint centre = widget->rect().center();
    QTest::mouseMove(widget, centre);
    QHelpEvent help(QEvent::ToolTip, centre, widget->mapToGlobal(centre));
    QCoreApplication::sendEvent(widget, &help);
    const bool shown = QToolTip::isVisible() && !QToolTip::text().isEmpty();
    QToolTip::hideText();
    return shown;
}

class MainFrameTest : public ::testing::Test {
protected:
    CMainFrame* frame() const { return session.frame(); }
    QToolBar* bar() { return BarOf(session); }

    AppSession session;
};

} // namespace

TEST_F(MainFrameTest, RestoredWindowIsTheSizeOfThePrimaryScreen)
{
    const QSize screen = QGuiApplication::primaryScreen()->size();
    frame()->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame()->frameGeometry().size(), screen) << "caption and border included";
    EXPECT_LT(frame()->height(), screen.height());

    frame()->showMaximized();
    QCoreApplication::processEvents();
    frame()->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame()->frameGeometry().size(), screen);
}

// From the left: folder, floppy disk, the empty picture, anticlockwise, clockwise arrow.
TEST_F(MainFrameTest, ToolbarButtonsShowTheFivePicturesInOrder)
{
    const UINT pictures[] = {IDB_OPEN, IDB_SAVE_AS, IDI_EMPTY, IDB_ROTATE_LEFT, IDB_ROTATE_RIGHT};
    const CImageList& images = frame()->m_toolImages;
    ASSERT_EQ(images.GetImageCount(), 5);
    EXPECT_EQ(images.GetImageSize(), QSize(40, 40));
    EXPECT_EQ(bar()->iconSize(), QSize(40, 40));

    CToolBar& toolBar = frame()->m_wndToolBar;
    int picture = 0;
    for (int i = 0; i < toolBar.GetButtonCount(); ++i) {
        if (!toolBar.GetButton(i))
            continue;
        SCOPED_TRACE(i);
        ASSERT_LT(picture, 5);
        const QImage shown = toolBar.GetButton(i)->icon().pixmap(40, 40).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(images.GetImage(picture).size(), QSize(40, 40));
        if (pictures[picture] == IDI_EMPTY) {
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 40; ++x)
                    ASSERT_EQ(qAlpha(shown.pixel(x, y)), 0) << x << "," << y;
        } else {
            const QImage expected = QImage(VeilcutResources().FindImage(pictures[picture])).convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(shown, expected);
        }
        ++picture;
    }
    EXPECT_EQ(picture, 5);
}

TEST_F(MainFrameTest, HoveringAButtonShowsNoTooltip)
{
    ShowActive(session);
    CToolBar& toolBar = frame()->m_wndToolBar;
    for (int i = 0; i < toolBar.GetButtonCount(); ++i) {
        if (QAction* button = toolBar.GetButton(i)) {
            SCOPED_TRACE(i);
            EXPECT_FALSE(ShowsTooltip(bar()->widgetForAction(button)));
        }
    }
    // The check itself sees a tooltip when there is one.
    toolBar.GetButton(0)->setToolTip(QStringLiteral("tip"));
    EXPECT_TRUE(ShowsTooltip(bar()->widgetForAction(toolBar.GetButton(0))));
}

// Qt's menu over the menu bar and the toolbar names the toolbar readably.
TEST_F(MainFrameTest, FrameMenuNamesTheToolbarAndHidesIt)
{
    ShowActive(session);
    std::unique_ptr<QMenu> menu(frame()->createPopupMenu());
    ASSERT_NE(menu, nullptr);
    QAction* entry = nullptr;
    for (QAction* action : menu->actions()) {
        EXPECT_FALSE(action->isSeparator() ? false : action->text().isEmpty()) << "an unlabelled entry";
        if (action->text() == QStringLiteral("Toolbar"))
            entry = action;
    }
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isChecked());
    entry->trigger();
    EXPECT_FALSE(bar()->isVisible());
    EXPECT_EQ(frame()->m_wndToolBar.GetStyle() & WS_VISIBLE, 0);
}

TEST_F(MainFrameTest, FloatingToolbarClosesWithItsOwnButton)
{
    ShowActive(session);
    QToolButton* close = CloseButtonOf(bar());
    ASSERT_NE(close, nullptr);
    EXPECT_FALSE(close->isVisible()) << "only a floating bar has it";

    DragBar(session, QPoint(frame()->width() / 2, frame()->height() / 2));
    ASSERT_TRUE(bar()->isFloating());
    close = CloseButtonOf(bar());
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(close->isVisible());
    EXPECT_FALSE(ShowsTooltip(close));

    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(bar()->isVisible());
    frame()->ShowControlBar(&frame()->m_wndToolBar, TRUE, FALSE);
    EXPECT_TRUE(bar()->isVisible());
}

// Docked or floating, the bar leaves the keyboard with the main window, also
// when a window manager hands it to the floating bar's window.
TEST_F(MainFrameTest, ToolbarDocksAtEveryEdgeOrFloatsAndTheKeysStayWithTheView)
{
    ShowActive(session);
    EXPECT_EQ(frame()->toolBarArea(bar()), Qt::TopToolBarArea);
    EXPECT_EQ(bar()->allowedAreas(), Qt::AllToolBarAreas);
    const QRect view = frame()->GetActiveView()->geometry();
    struct Row { const char* name; QPoint to; Qt::ToolBarArea area; };   // no area: floating
    const Row rows[] = {
        {"floating", view.center(), Qt::NoToolBarArea},
        {"left", {view.left() + 2, view.center().y()}, Qt::LeftToolBarArea},
        {"bottom", {view.center().x(), view.bottom() - 2}, Qt::BottomToolBarArea},
        {"right", {view.right() - 2, view.center().y()}, Qt::RightToolBarArea},
        {"top", {view.center().x(), view.top() + 2}, Qt::TopToolBarArea},
    };
    QSignalSpy focusWindows(qApp, &QGuiApplication::focusWindowChanged);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DragBar(session, row.to);
        // The frame animates the bar into its place.
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar()->isFloating() == (row.area == Qt::NoToolBarArea); }));
        EXPECT_TRUE(row.area == Qt::NoToolBarArea || frame()->toolBarArea(bar()) == row.area);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == frame(); }));
    }
    DragBar(session, view.center());
    focusWindows.clear();
    bar()->activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return focusWindows.count() >= 2; }));
    EXPECT_EQ(focusWindows.constFirst().constFirst().value<QWindow*>(), bar()->windowHandle());
    EXPECT_EQ(QApplication::activeWindow(), frame());
    QTest::keyClick(bar(), Qt::Key_B);
    EXPECT_EQ(static_cast<CVeilcutView*>(frame()->GetActiveView())->m_color, RGB(0, 0, 255));
}

// Place and visibility of the toolbar are not kept between runs.
TEST(MainFrameRestart, ToolbarStartsDockedAtTheTopAgain)
{
    {
        AppSession first;
        ShowActive(first);
        DragBar(first, QPoint(first.frame()->width() / 2, first.frame()->height() / 2));
        ASSERT_TRUE(BarOf(first)->isFloating());
        BarOf(first)->hide();
        first.frame()->close();
        ASSERT_TRUE(first.frame()->IsDestroyed());
    }
    AppSession second;
    ShowActive(second);
    EXPECT_FALSE(BarOf(second)->isFloating());
    EXPECT_TRUE(BarOf(second)->isVisible());
    EXPECT_EQ(second.frame()->toolBarArea(BarOf(second)), Qt::TopToolBarArea);
}

namespace {

// Notes the colour the profile holds at the moment the save question is asked.
class PromptWatcher : public FakeDialogHost {
public:
    int MessageBox(const CString& text, const CString& caption, UINT type) override
    {
        storedAtPrompt = AppSession::UseProgramProfile()->value(MaskSettingsSection + "/Color").toString();
        return FakeDialogHost::MessageBox(text, caption, type);
    }
    QString storedAtPrompt;
};

} // namespace

// The close box, File Exit and Alt+F4 all write the settings, then ask; Cancel keeps the window.
TEST(MainFrameClose, EveryWayWritesTheSettingsBeforeTheSaveQuestion)
{
    struct Row { const char* name; std::function<void(AppSession&)> close; };
    const Row rows[] = {
        {"close box", [](AppSession& s) { s.frame()->close(); }},
        {"File, Exit", [](AppSession& s) { s.Command(ID_APP_EXIT); }},
        {"Alt+F4", [](AppSession& s) { QTest::keyClick(s.frame(), Qt::Key_F4, Qt::AltModifier); }},
    };
    COLORREF color = RGB(10, 20, 30);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AppSession session;
        ShowActive(session);
        session.LayOutBlankPicture(400, 300, 40, 30);
        session.doc()->SetModifiedFlag(TRUE);
        session.view()->m_color = ++color;
        PromptWatcher watcher;

        row.close(session);
        ASSERT_EQ(watcher.messages.size(), 1u);
        EXPECT_EQ(watcher.messages[0].type, UINT(MB_YESNOCANCEL));
        EXPECT_EQ(watcher.storedAtPrompt, QString::number(color));
        EXPECT_FALSE(session.frame()->IsDestroyed()) << "Cancel keeps the window open";
        EXPECT_TRUE(session.frame()->isVisible());
    }
}
