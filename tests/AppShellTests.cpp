#include "tests/AppSession.h"
#include "framework/CmdUI.h"
#include "framework/ResourceTable.h"
#include "app/AboutDialog.h"
#include "app/MainFrm.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QAbstractButton>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct MenuItem {
    QString text;
    bool separator = false;
};

std::vector<MenuItem> ItemsOf(QMenu* menu)
{
    std::vector<MenuItem> items;
    for (QAction* a : menu->actions())
        items.push_back({a->text(), a->isSeparator()});
    return items;
}

QAction* ActionNamed(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* a : actions) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

QMenu* PopupNamed(CMainFrame* frame, const QString& text)
{
    QAction* entry = ActionNamed(frame->menuBar()->actions(), text);
    return entry ? entry->menu() : nullptr;
}

QAction* MenuItemNamed(QMenu* menu, const QString& text)
{
    return ActionNamed(menu->actions(), text);
}

// A real event loop, which goes idle between events (QTest::qWait never does).
void RunEventLoopFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TEST(AppShell, MenuBarHoldsFileEditRotateHotKeysAbout)
{
    AppSession session;
    ASSERT_TRUE(session.started());
    QStringList bar;
    for (QAction* a : session.frame()->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&Edit", "Rotate", "Hot keys", "About"}));

    QMenu* file = PopupNamed(session.frame(), QStringLiteral("&File"));
    ASSERT_NE(file, nullptr);
    const std::vector<MenuItem> fileItems = ItemsOf(file);
    ASSERT_EQ(fileItems.size(), 4u);
    EXPECT_EQ(fileItems[0].text, QStringLiteral("&Open...\tCtrl+O"));
    EXPECT_EQ(fileItems[1].text, QStringLiteral("Save &As...\tCtrl+S"));
    EXPECT_TRUE(fileItems[2].separator);
    EXPECT_EQ(fileItems[3].text, QStringLiteral("E&xit\tAlt+F4"));

    QMenu* edit = PopupNamed(session.frame(), QStringLiteral("&Edit"));
    ASSERT_NE(edit, nullptr);
    QStringList editItems;
    for (const MenuItem& item : ItemsOf(edit))
        editItems << (item.separator ? QStringLiteral("-") : item.text);
    EXPECT_EQ(editItems, (QStringList{"&Undo\tCtrl+Z", "&Redo\tCtrl+Y", "-", "&Add ellipse\tInsert",
                                      "&Delete ellipse\tDel", "&Cover every face\tShift+F"}));

    QMenu* rotate = PopupNamed(session.frame(), QStringLiteral("Rotate"));
    ASSERT_NE(rotate, nullptr);
    const std::vector<MenuItem> rotateItems = ItemsOf(rotate);
    ASSERT_EQ(rotateItems.size(), 2u);
    EXPECT_EQ(rotateItems[0].text, QStringLiteral("Left\t<--"));
    EXPECT_EQ(rotateItems[1].text, QStringLiteral("Right\t -->"));

    EXPECT_EQ(PopupNamed(session.frame(), QStringLiteral("Hot keys")), nullptr) << "no pop-up under Hot keys";
    EXPECT_EQ(PopupNamed(session.frame(), QStringLiteral("About")), nullptr) << "no pop-up under About";
}

TEST(AppShell, PictureCommandsFollowTheDocumentBeforeThePopupOpens)
{
    AppSession session;
    QMenu* file = PopupNamed(session.frame(), QStringLiteral("&File"));
    QMenu* rotate = PopupNamed(session.frame(), QStringLiteral("Rotate"));
    auto showMenus = [&] {
        emit file->aboutToShow();
        emit rotate->aboutToShow();
    };
    showMenus();
    EXPECT_TRUE(MenuItemNamed(file, QStringLiteral("&Open...\tCtrl+O"))->isEnabled());
    EXPECT_FALSE(MenuItemNamed(file, QStringLiteral("Save &As...\tCtrl+S"))->isEnabled());
    EXPECT_TRUE(MenuItemNamed(file, QStringLiteral("E&xit\tAlt+F4"))->isEnabled());
    EXPECT_FALSE(MenuItemNamed(rotate, QStringLiteral("Left\t<--"))->isEnabled());
    EXPECT_FALSE(MenuItemNamed(rotate, QStringLiteral("Right\t -->"))->isEnabled());

    session.doc()->m_picture.reset(FreeImage_Allocate(4, 4, 24));
    showMenus();
    EXPECT_TRUE(MenuItemNamed(file, QStringLiteral("Save &As...\tCtrl+S"))->isEnabled());
    EXPECT_TRUE(MenuItemNamed(rotate, QStringLiteral("Left\t<--"))->isEnabled());
    EXPECT_TRUE(MenuItemNamed(rotate, QStringLiteral("Right\t -->"))->isEnabled());
}

TEST(AppShell, ToolbarButtonsFollowTheDocumentWhenIdle)
{
    AppSession session;
    session.frame()->show();
    CToolBar& bar = session.frame()->m_wndToolBar;
    ASSERT_EQ(bar.GetButtonCount(), 7);
    const UINT ids[] = {ID_FILE_OPEN, ID_FILE_SAVE_AS, 0, ID_TOOLBAR_BUTTON_32774, 0, ID_ROTATE_LEFT, ID_ROTATE_RIGHT};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(bar.GetItemID(i), ids[i]);
        EXPECT_EQ(bar.GetButton(i) == nullptr, ids[i] == 0) << "separators have no button";
    }
    RunEventLoopFor(20);
    auto enabled = [&](int i) { return bar.GetButton(i)->isEnabled(); };
    EXPECT_TRUE(enabled(0));
    EXPECT_FALSE(enabled(1));
    EXPECT_FALSE(enabled(3));
    EXPECT_FALSE(enabled(5));
    EXPECT_FALSE(enabled(6));

    session.doc()->m_picture.reset(FreeImage_Allocate(4, 4, 24));
    RunEventLoopFor(20);
    EXPECT_TRUE(enabled(1));
    EXPECT_FALSE(enabled(3)) << "the empty button has no handler and stays disabled";
    EXPECT_TRUE(enabled(5));
    EXPECT_TRUE(enabled(6));
    EXPECT_TRUE(bar.GetButton(0)->toolTip().isEmpty() || bar.GetButton(0)->text().isEmpty());
}

TEST(AppShell, CtrlSSendsTheFrameworkSaveNotSaveAs)
{
    AppSession session;
    session.frame()->show();
    ASSERT_TRUE(ActivateAndWait(session.frame()));
    session.dialogs.CancelFileDialog();
    // Save As is disabled without a picture, so a save dialog can only be the framework Save's.
    ASSERT_EQ(session.doc()->m_picture, nullptr);
    QTest::keyClick(session.view(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(session.dialogs.fileDialogs.size(), 1u);
    EXPECT_FALSE(session.dialogs.fileDialogs[0].open);
}

TEST(AppShell, AboutCommandRunsTheAboutBoxModally)
{
    AppSession session;
    session.Command(ID_APP_ABOUT);
    EXPECT_EQ(session.dialogs.modalDialogs, std::vector<UINT>{IDD_ABOUTBOX});
}

TEST(AppShell, AboutBoxShowsItsTextsAndClosesOnEscape)
{
    CAboutDialog about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Veilcut"));
    QStringList texts;
    for (QLabel* label : about.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Veilcut Version 1.0")));
    EXPECT_TRUE(texts.contains(QStringLiteral("Veilcut uses FreeImage.dll in\n      manipulating the pictures.")));
    EXPECT_TRUE(about.findChildren<QAbstractButton*>().isEmpty()) << "the About box has no buttons";
    EXPECT_GT(about.height(), about.width()) << "279 by 347 dialog units";

    about.open();
    ASSERT_TRUE(about.isVisible());
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

TEST(AppShell, StartsWithEmptyDocumentLinkedToViewAndFrame)
{
    AppSession session;
    ASSERT_TRUE(session.started());
    CVeilcutDoc* doc = session.doc();
    EXPECT_EQ(doc->m_view, session.view());
    EXPECT_EQ(session.frame()->m_doc, doc);
    EXPECT_EQ(doc->m_picture, nullptr);
    EXPECT_TRUE(doc->m_settingsLoaded);
    EXPECT_EQ(session.view()->SelectedRect(), CRect(-50, 50, 50, 200));
    EXPECT_EQ(session.frame()->windowTitle(), QStringLiteral("Untitled - Veilcut"));
}

TEST(AppShell, PointerStartsJustAboveTheShownViewsCorner)
{
    AppSession session;
    QCursor::setPos(0, 0);
    // The frame is placed away from the screen's corner, as a window manager would.
    session.frame()->move(40, 120);
    session.SetClientSize(500, 400);
    const QPoint corner = session.view()->mapToGlobal(QPoint(0, 0));
    ASSERT_NE(corner, QPoint(0, 0));
    EXPECT_EQ(QCursor::pos(), corner + QPoint(8, -15));

    // Once per run: later paints leave the pointer alone.
    QCursor::setPos(3, 4);
    session.view()->repaint();
    EXPECT_EQ(QCursor::pos(), QPoint(3, 4));
}

TEST(AppShell, StatusAndSystemMenuStringsAndTheSecondLanguageEntry)
{
    AppSession session;
    for (UINT id : {59136u, 59137u, 59138u, 59139u, 59140u, 59141u, 61184u, 61185u, 61186u, 61187u, 61188u,
                    61189u, 61190u, 61202u, 61203u})
        EXPECT_FALSE(AfxLoadString(id).isEmpty()) << id;
    EXPECT_EQ(AfxLoadString(59137), QStringLiteral("CAP"));
    EXPECT_EQ(AfxLoadString(ID_FILE_OPEN, 1043), QStringLiteral("Open Photo (JPG or BMP)"));
    EXPECT_EQ(AfxLoadString(ID_FILE_OPEN), QStringLiteral("Open an existing document\nOpen"));
    EXPECT_TRUE(AfxLoadString(ID_FILE_SAVE_AS, 1043).isEmpty());
}
