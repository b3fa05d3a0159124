#include "tests/AppSession.h"
#include "app/MainFrm.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"

#include <QMenuBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

constexpr COLORREF kUnset = 0x00123456;

class KeyCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.SetClientSize(640, 480);
        ASSERT_TRUE(ActivateAndWait(session.frame()));
    }
    CVeilcutView* view() const { return session.view(); }
    CVeilcutDoc* doc() const { return session.doc(); }
    void ShowPicture(unsigned w, unsigned h) { session.LayOutBlankPicture(640, 480, w, h); }

    AppSession session;
};

// Each key with each modifier: the colour it leaves, or kUnset where the key
// does nothing here (no letter of its own, an accelerator's, or held with Alt).
struct KeyCase {
    Qt::Key key;
    COLORREF plain;
    bool ctrlIsAccelerator;
};
const KeyCase kKeys[] = {
    {Qt::Key_B, 0x00FF0000, false}, {Qt::Key_G, 0x0000FF00, false}, {Qt::Key_R, 0x000000FF, false},
    {Qt::Key_S, 0x00000000, true},  {Qt::Key_W, 0x00FFFFFF, false}, {Qt::Key_Y, 0x0000FFFF, true},
    {Qt::Key_Z, 0x00000000, true},  {Qt::Key_T, kUnset, false},     {Qt::Key_Q, kUnset, false},
    {Qt::Key_Up, kUnset, false},    {Qt::Key_F, kUnset, false},
};

TEST_F(KeyCommands, LettersPickTheOverlayColour)
{
    const Qt::KeyboardModifiers kModifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier,
                                                Qt::AltModifier};
    for (const KeyCase& c : kKeys) {
        for (Qt::KeyboardModifiers modifiers : kModifiers) {
            SCOPED_TRACE(QKeySequence(int(c.key) | int(modifiers)).toString().toStdString());
            view()->m_color = kUnset;
            QTest::keyClick(view(), c.key, modifiers);
            const bool taken = modifiers == Qt::AltModifier || (modifiers == Qt::ControlModifier && c.ctrlIsAccelerator);
            EXPECT_EQ(view()->m_color, taken ? kUnset : c.plain);
        }
    }
    EXPECT_FALSE(doc()->IsModified());
    EXPECT_EQ(doc()->m_picture, nullptr);
    // Without a picture F has nothing to search and says nothing.
    EXPECT_TRUE(session.dialogs.messages.empty());
}

TEST_F(KeyCommands, ArrowsTurnOnlyAPictureAndActOnEveryRepeat)
{
    QTest::keyClick(view(), Qt::Key_Left);
    QTest::keyClick(view(), Qt::Key_Right);
    EXPECT_EQ(doc()->m_picture, nullptr);
    EXPECT_FALSE(doc()->IsModified());

    ShowPicture(40, 30);
    QTest::keyClick(view(), Qt::Key_Right);
    EXPECT_EQ(FreeImage_GetWidth(doc()->m_picture.get()), 30u);
    EXPECT_TRUE(doc()->IsModified());
    QTest::keyClick(view(), Qt::Key_Left);
    EXPECT_EQ(FreeImage_GetWidth(doc()->m_picture.get()), 40u);
    // Holding the key down turns again on the repeat.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(view(), &repeat);
    EXPECT_EQ(FreeImage_GetWidth(doc()->m_picture.get()), 30u);
}

TEST_F(KeyCommands, HotKeysListComesFromTheMenuBarAndF1)
{
    const QString expected = QStringLiteral("F1\t=\tHot keys\n\n") +
                             "B\t=\tBlue\nG\t=\tGreen\nR\t=\tRed\nY\t=\tYellow\nS\t=\tBlack\nW\t=\tWhite\n" +
                             "\nLeft arrow   =  Rotate Left\nRight arrow =  Rotate Right\n" +
                             "\nF\t=\tFind face (again: next face)\n" + "Shift+F\t=\tCover every face\n" +
                             "\nInsert\t=\tAdd ellipse\nDelete\t=\tDelete ellipse (also Backspace)\n" +
                             "Tab\t=\tSelect next ellipse (Shift+Tab: previous)\n" +
                             "\nCtrl+Z\t=\tUndo (also Alt+Backspace)\nCtrl+Y\t=\tRedo (also Ctrl+Shift+Z)\n" +
                             "\nRight mouse-button = show Toolbar\n                         (if it is not visible)";
    for (QAction* entry : session.frame()->menuBar()->actions()) {
        if (entry->text() == QStringLiteral("Hot keys"))
            entry->trigger();
    }
    QTest::keyClick(view(), Qt::Key_F1);
    ASSERT_EQ(session.dialogs.messages.size(), 2u);
    for (const auto& shown : session.dialogs.messages) {
        EXPECT_EQ(shown.text, expected);
        EXPECT_EQ(shown.type, UINT(MB_OK));
        EXPECT_EQ(shown.caption, QStringLiteral("Veilcut"));
    }
}

TEST_F(KeyCommands, RightButtonBringsBackAHiddenToolbarOnly)
{
    QToolBar* bar = session.frame()->m_wndToolBar.GetToolBar();
    ASSERT_TRUE(bar->isVisible());
    QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_TRUE(bar->isVisible());
    session.frame()->ShowControlBar(&session.frame()->m_wndToolBar, FALSE, FALSE);
    ASSERT_FALSE(bar->isVisible());
    QTest::mouseClick(view(), Qt::RightButton, {}, QPoint(100, 100));
    EXPECT_TRUE(bar->isVisible());
}

TEST_F(KeyCommands, WheelChangesNothing)
{
    ShowPicture(40, 30);
    const CRect ellipse = view()->SelectedRect();
    FIBITMAP* picture = doc()->m_picture.get();
    QWheelEvent wheel(QPointF(100, 100), view()->mapToGlobal(QPointF(100, 100)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view(), &wheel);
    EXPECT_EQ(view()->SelectedRect(), ellipse);
    EXPECT_EQ(doc()->m_picture.get(), picture);
    EXPECT_FALSE(doc()->IsModified());
}

} // namespace
