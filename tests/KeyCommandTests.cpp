#include "tests/AppSession.h"
#include "tests/GeometryPrinting.h"
#include "tests/TestPictures.h"
#include "app/MainFrm.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QCursor>
#include <QFile>
#include <QMenuBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <functional>

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
                             "\nMouse wheel\t=\tZoom in or out at the pointer (up to 400 %)\n" +
                             "+ (or =), -\t=\tZoom in, out\n0\t=\tWhole picture\n" +
                             "Middle mouse-button drag = move the zoomed picture\n"
                             "                         (also left button beside the ellipses)\n" +
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

// What the editing keys leave, on a 320x240 picture shown twice as large over
// the whole 640x480 view; the first ellipse stands at its open-time place
// (270, 50, 370, 200). A key is pressed with the pointer at the point before it.
struct KeyPress {
    QPoint pointer;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
struct EditingCase {
    const char* name;
    std::vector<KeyPress> presses;
    std::vector<CRect> shown;
    std::optional<std::size_t> selected;
};
const CRect kOpened(270, 50, 370, 200);
const EditingCase kEditing[] = {
    {"Insert under the pointer", {{{100, 300}, Qt::Key_Insert}}, {kOpened, {50, 225, 150, 375}}, 1},
    {"Insert off the view: the picture's centre", {{{-30, -30}, Qt::Key_Insert}}, {kOpened, {270, 165, 370, 315}}, 1},
    {"Insert over a dragged-away ellipse", {{{5, 5}, Qt::Key_Insert}}, {kOpened, {-45, -70, 55, 80}}, 1},
    {"Delete the only one", {{{}, Qt::Key_Delete}}, {}, std::nullopt},
    {"Backspace deletes too", {{{}, Qt::Key_Backspace}}, {}, std::nullopt},
    {"Delete with none left does nothing", {{{}, Qt::Key_Delete}, {{}, Qt::Key_Delete}}, {}, std::nullopt},
    {"Tab from the rightmost goes round to the leftmost",
     {{{100, 300}, Qt::Key_Insert}, {{600, 100}, Qt::Key_Insert}, {{}, Qt::Key_Tab}},
     {kOpened, {50, 225, 150, 375}, {550, 25, 650, 175}}, 1},
    {"Tab twice, Shift+Tab once",
     {{{100, 300}, Qt::Key_Insert}, {{600, 100}, Qt::Key_Insert}, {{}, Qt::Key_Tab}, {{}, Qt::Key_Tab},
      {{}, Qt::Key_Backtab, Qt::ShiftModifier}},
     {kOpened, {50, 225, 150, 375}, {550, 25, 650, 175}}, 1},
    {"Delete selects the next to the right",
     {{{600, 100}, Qt::Key_Insert}, {{100, 300}, Qt::Key_Insert}, {{}, Qt::Key_Delete}},
     {kOpened, {550, 25, 650, 175}}, 0},
    {"Delete of the rightmost selects the leftmost",
     {{{600, 100}, Qt::Key_Insert}, {{100, 300}, Qt::Key_Insert}, {{}, Qt::Key_Tab}, {{}, Qt::Key_Tab},
      {{}, Qt::Key_Delete}},
     {kOpened, {50, 225, 150, 375}}, 1},
};

TEST_F(KeyCommands, EditingKeysAddDeleteAndSelectEllipses)
{
    for (const EditingCase& c : kEditing) {
        SCOPED_TRACE(c.name);
        // Placed anew from the first run's offset, not carried from the row before.
        doc()->m_firstLayout = TRUE;
        doc()->m_maskOffset = CRect(-50, 50, 50, 200);
        ShowPicture(320, 240);
        ASSERT_EQ(view()->EllipseRects(), std::vector<CRect>{kOpened});
        for (const KeyPress& press : c.presses) {
            QCursor::setPos(view()->mapToGlobal(press.pointer));
            QTest::keyClick(view(), press.key, press.modifiers);
        }
        EXPECT_EQ(view()->EllipseRects(), c.shown);
        EXPECT_EQ(doc()->m_covered.selected, c.selected);
        EXPECT_FALSE(doc()->IsModified());
    }
}

// Undo and redo over sequences of changes: each change is one step, a turn is
// taken back by the opposite turn, and only turns leave the document modified.
class UndoSequences : public KeyCommands {
public:
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(view(), Qt::LeftButton, {}, from);
        for (int step = 1; step <= 3; ++step)
            QTest::mouseMove(view(), from + (to - from) * step / 3);
        QTest::mouseRelease(view(), Qt::LeftButton, {}, to);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(view(), key, modifiers);
    }
    void Undo() { Key(Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { Key(Qt::Key_Y, Qt::ControlModifier); }
    // The covered areas, the picture's pixels and the modified flag now.
    struct State {
        CoveredAreas covered;
        BitmapPtr picture;
        BOOL modified;
    };
    State Now() const { return {doc()->m_covered, BitmapPtr(FreeImage_Clone(doc()->m_picture.get())), doc()->IsModified()}; }
    void ExpectState(const State& expected) const
    {
        EXPECT_EQ(doc()->m_covered.ellipses.size(), expected.covered.ellipses.size());
        EXPECT_TRUE(doc()->m_covered == expected.covered);
        EXPECT_EQ(DescribeDifference(expected.picture.get(), doc()->m_picture.get()), "");
        EXPECT_EQ(doc()->IsModified(), expected.modified);
    }
    void Open(unsigned seed)
    {
        static const QString folder = MakeScratchFolder(QStringLiteral("undo"));
        const QString path = folder + QStringLiteral("/picture%1.bmp").arg(seed);
        ASSERT_TRUE(FreeImage_Save(FIF_BMP, MakeNoisePicture(48, 36, seed).get(), QFile::encodeName(path).constData(), 0));
        session.dialogs.ChooseFile(path);
        session.Command(ID_FILE_OPEN);
    }
};

TEST_F(UndoSequences, EachChangeIsOneStepBackAndForth)
{
    struct Row {
        const char* name;
        std::function<void(UndoSequences&)> change;
    };
    const Row rows[] = {
        {"drag", [](UndoSequences& t) { t.Drag(QPoint(320, 125), QPoint(400, 200)); }},
        {"handle", [](UndoSequences& t) { t.Drag(QPoint(369, 125), QPoint(420, 125)); }},
        {"add", [](UndoSequences& t) { t.Key(Qt::Key_Insert); }},
        {"delete", [](UndoSequences& t) { t.Key(Qt::Key_Delete); }},
        {"turn right", [](UndoSequences& t) { t.Key(Qt::Key_Right); }},
        {"turn left", [](UndoSequences& t) { t.Key(Qt::Key_Left); }},
        {"two steps", [](UndoSequences& t) {
             t.Key(Qt::Key_Right);
             t.Drag(QPoint(320, 125), QPoint(330, 140));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Open(7);
        QCursor::setPos(view()->mapToGlobal(QPoint(100, 100)));
        const State before = Now();
        row.change(*this);
        const State after = Now();
        ASSERT_FALSE(after.covered == before.covered && !after.modified) << "the change changed nothing";
        // Both undo keys and both redo keys, each pressed twice (a row makes two steps at most).
        Undo();
        Undo();
        ExpectState(before);
        Redo();
        Redo();
        ExpectState(after);
        Key(Qt::Key_Backspace, Qt::AltModifier);
        Key(Qt::Key_Backspace, Qt::AltModifier);
        ExpectState(before);
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        ExpectState(after);
        // A selection alone is no step.
        Key(Qt::Key_Tab);
        Undo();
        ExpectState(before);
    }
}

TEST_F(UndoSequences, SavesAndOpensBoundWhatUndoReaches)
{
    Open(3);
    const QString saved = MakeScratchFolder(QStringLiteral("undo-saved")) + QStringLiteral("/saved.bmp");
    Key(Qt::Key_Right);
    ASSERT_TRUE(doc()->IsModified());
    session.dialogs.ChooseFile(saved);
    session.Command(ID_FILE_SAVE_AS);
    ASSERT_FALSE(doc()->IsModified());
    const State savedState = Now();
    // Taking back a turn made before the save leaves a picture unlike the saved one.
    Undo();
    EXPECT_TRUE(doc()->IsModified());
    Redo();
    ExpectState(savedState);
    // The burnt ellipse stays when the ellipse moves back.
    Undo();
    Key(Qt::Key_Right);
    EXPECT_EQ(DescribeDifference(savedState.picture.get(), doc()->m_picture.get()), "");

    CCmdTarget* frame = session.frame();
    EXPECT_TRUE(CommandEnabled(frame, ID_EDIT_UNDO));
    session.dialogs.AnswerMessage(IDNO);
    Open(4);
    EXPECT_FALSE(CommandEnabled(frame, ID_EDIT_UNDO)) << "nothing before the Open is taken back";
    EXPECT_FALSE(CommandEnabled(frame, ID_EDIT_REDO));
    const State opened = Now();
    Undo();
    ExpectState(opened);
}

TEST_F(KeyCommands, EditMenuFollowsThePictureTheSelectionAndTheSteps)
{
    CCmdTarget* frame = session.frame();
    const unsigned kEdit[] = {ID_EDIT_UNDO, ID_EDIT_REDO, ID_EDIT_ADD_ELLIPSE, ID_EDIT_DELETE_ELLIPSE,
                              ID_EDIT_COVER_FACES};
    auto states = [&] {
        std::vector<bool> enabled;
        for (unsigned id : kEdit)
            enabled.push_back(CommandEnabled(frame, id));
        return enabled;
    };
    EXPECT_EQ(states(), (std::vector<bool>{false, false, false, false, false}));
    ShowPicture(320, 240);
    EXPECT_EQ(states(), (std::vector<bool>{false, false, true, true, true}));
    session.Command(ID_EDIT_DELETE_ELLIPSE);
    EXPECT_EQ(states(), (std::vector<bool>{true, false, true, false, true}));
    session.Command(ID_EDIT_UNDO);
    EXPECT_EQ(states(), (std::vector<bool>{false, true, true, true, true}));
    session.Command(ID_EDIT_ADD_ELLIPSE);
    EXPECT_EQ(doc()->m_covered.ellipses.size(), 2u);
}

} // namespace
