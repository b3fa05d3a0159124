#include "tests/AppSession.h"
#include "tests/GeometryPrinting.h"
#include "framework/Cursor.h"
#include "app/MainFrm.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "editing/EllipseHitTest.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

const CRect kEllipse(100, 100, 200, 250);
constexpr int kS = 7;

// The bounding box of the points in `area` for which `hit` holds, and how many there are.
struct Hits {
    CRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    int count = 0;
};
Hits Scan(const CRect& area, const std::function<bool(CPoint)>& hit)
{
    Hits h;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (hit(CPoint(x, y))) {
                h.box = CRect(std::min(h.box.left, x), std::min(h.box.top, y), std::max(h.box.right, x + 1),
                              std::max(h.box.bottom, y + 1));
                ++h.count;
            }
    return h;
}

TEST(EllipseHitTest, InteriorAlongTheWorkedRowAndColumn)
{
    const Hits row = Scan(CRect(0, 174, 300, 175), [](CPoint p) { return PtInEllipse(p, kEllipse); });
    EXPECT_EQ(row.box, CRect(100, 174, 199, 175));
    EXPECT_EQ(row.count, 99);
    const Hits column = Scan(CRect(149, 0, 150, 400), [](CPoint p) { return PtInEllipse(p, kEllipse); });
    EXPECT_EQ(column.box, CRect(149, 100, 150, 249));
    EXPECT_EQ(column.count, 149);
    // Flat rectangles only come from stored settings: nothing is inside them.
    EXPECT_FALSE(PtInEllipse(CPoint(150, 100), CRect(100, 100, 200, 100)));
    EXPECT_FALSE(PtInEllipse(CPoint(100, 150), CRect(100, 100, 100, 200)));
}

struct HandleCase {
    const char* name;
    bool (*test)(CPoint, const CRect&, int);
    CRect covered;   // columns and rows, right and bottom exclusive
};
const HandleCase kHandles[] = {
    {"Left", PtInLeftHandle, {93, 168, 107, 182}},
    {"Right", PtInRightHandle, {193, 168, 207, 182}},
    {"Top", PtInTopHandle, {143, 93, 157, 107}},
    {"Bottom", PtInBottomHandle, {143, 243, 157, 257}},
};

TEST(EllipseHitTest, HandleSquaresCoverTheirWorkedColumnsAndRows)
{
    for (const HandleCase& c : kHandles) {
        SCOPED_TRACE(c.name);
        const Hits h = Scan(CRect(0, 0, 300, 300), [&](CPoint p) { return c.test(p, kEllipse, kS); });
        EXPECT_EQ(h.box, c.covered);
        EXPECT_EQ(h.count, 2 * kS * 2 * kS);
    }
}

// A picture shown over the whole 800 by 600 client, the ellipse at the worked rectangle.
class EllipseDrag : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.SetClientSize(800, 600);
        doc()->m_picture.reset(FreeImage_Allocate(400, 300, 24));
        doc()->FitToView();
        view()->PlaceSelected(kEllipse);
    }
    void TearDown() override { QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(1, 1)); }
    CVeilcutView* view() const { return session.view(); }
    CVeilcutDoc* doc() const { return session.doc(); }
    void Press(int x, int y) { QTest::mousePress(view(), Qt::LeftButton, {}, QPoint(x, y)); }
    void MoveTo(int x, int y) { QTest::mouseMove(view(), QPoint(x, y)); }
    void Release(int x, int y) { QTest::mouseRelease(view(), Qt::LeftButton, {}, QPoint(x, y)); }
    std::vector<BOOL> Flags() const
    {
        const CVeilcutView* v = view();
        return {v->m_dragLeft, v->m_dragRight, v->m_dragTop, v->m_dragBottom, v->m_dragMove};
    }

    AppSession session;
};

// Which flag a press sets: the first hit of left, right, top, bottom, interior.
struct PressCase {
    const char* name;
    CRect ellipse;
    CPoint point;
    int flag;   // index into Flags(), -1: none
    HCURSOR CVeilcutView::*cursor;
};
const PressCase kPresses[] = {
    {"OuterHalfOfLeftHandle", kEllipse, {94, 174}, 0, &CVeilcutView::m_cursorSizeWE},
    {"OuterHalfOfRightHandle", kEllipse, {205, 170}, 1, &CVeilcutView::m_cursorSizeWE},
    {"OuterHalfOfTopHandle", kEllipse, {150, 94}, 2, &CVeilcutView::m_cursorSizeNS},
    {"OuterHalfOfBottomHandle", kEllipse, {144, 255}, 3, &CVeilcutView::m_cursorSizeNS},
    {"Interior", kEllipse, {150, 175}, 4, &CVeilcutView::m_cursorClosedHand},
    {"Nothing", kEllipse, {300, 300}, -1, nullptr},
    // On a 10 by 8 ellipse the squares overlap each other and the interior.
    {"LeftOverRight", {100, 100, 110, 108}, {103, 104}, 0, &CVeilcutView::m_cursorSizeWE},
    {"RightOverTop", {100, 100, 110, 108}, {108, 101}, 1, &CVeilcutView::m_cursorSizeWE},
    {"TopOverBottom", {100, 100, 130, 108}, {115, 103}, 2, &CVeilcutView::m_cursorSizeNS},
    {"BottomOverInterior", {100, 100, 130, 120}, {114, 115}, 3, &CVeilcutView::m_cursorSizeNS},
};

TEST_F(EllipseDrag, PressTakesTheFirstHitInOrder)
{
    for (const PressCase& c : kPresses) {
        SCOPED_TRACE(c.name);
        view()->PlaceSelected(c.ellipse);
        Press(c.point.x, c.point.y);
        std::vector<BOOL> expected(5, FALSE);
        if (c.flag >= 0)
            expected[size_t(c.flag)] = TRUE;
        EXPECT_EQ(Flags(), expected);
        EXPECT_EQ(QWidget::mouseGrabber(), c.flag >= 0 ? view() : nullptr);
        EXPECT_EQ(GetClipCursor() != nullptr, c.flag >= 0);
        if (c.cursor) {
            EXPECT_EQ(GetCursor(), view()->*c.cursor);
        }
        EXPECT_EQ(view()->m_lastPoint, c.flag >= 0 ? c.point : CPoint());
        // Every release ends the drag, whatever the press hit.
        Release(c.point.x, c.point.y);
        EXPECT_EQ(Flags(), std::vector<BOOL>(5, FALSE));
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
        EXPECT_EQ(GetClipCursor(), nullptr);
        view()->m_lastPoint = CPoint();
    }
}

// A drag from `press` through `moves`; the rectangle and last point after it.
struct DragCase {
    const char* name;
    CPoint press;
    std::vector<CPoint> moves;
    CRect ellipse;
    CPoint lastPoint;
};
const DragCase kDrags[] = {
    {"LeftEdgeToTheFloor", {100, 174}, {{192, 174}}, {192, 100, 200, 250}, {192, 174}},
    {"StepBelowTheFloorDropped", {100, 174}, {{192, 174}, {193, 174}}, {192, 100, 200, 250}, {193, 174}},
    {"HeldSideFollowsTheReturn", {100, 174}, {{192, 174}, {193, 174}, {183, 174}}, {182, 100, 200, 250}, {183, 174}},
    {"OvershootingStepMovesNothing", {100, 174}, {{193, 174}}, {100, 100, 200, 250}, {193, 174}},
    {"RightEdgeOutward", {200, 174}, {{260, 180}}, {100, 100, 260, 250}, {260, 180}},
    {"TopEdgeDownToTheFloor", {150, 100}, {{150, 242}, {150, 243}}, {100, 242, 200, 250}, {150, 243}},
    {"BottomEdgeUp", {150, 250}, {{150, 200}}, {100, 100, 200, 200}, {150, 200}},
    {"MoveLeavesTheDisplayRectangle", {150, 175}, {{40, 175}, {40, 20}}, {-10, -55, 90, 95}, {40, 20}},
};

TEST_F(EllipseDrag, StepsFollowThePointerWithTheSizeFloor)
{
    for (const DragCase& c : kDrags) {
        SCOPED_TRACE(c.name);
        view()->PlaceSelected(kEllipse);
        Press(c.press.x, c.press.y);
        for (CPoint p : c.moves)
            MoveTo(p.x, p.y);
        EXPECT_EQ(view()->SelectedRect(), c.ellipse);
        EXPECT_EQ(view()->m_lastPoint, c.lastPoint);
        Release(c.moves.back().x, c.moves.back().y);
        EXPECT_EQ(view()->SelectedRect(), c.ellipse);
    }
    EXPECT_FALSE(doc()->IsModified());
}

// The pointer is held where the picture is on the screen at the press, not
// where it was at the layout: the window may have moved since.
TEST_F(EllipseDrag, PressConfinesToWhereThePictureIsNow)
{
    const CRect atLayout = view()->m_clipRect;
    for (const QPoint place : {QPoint(40, 120), QPoint(333, 7)}) {
        session.frame()->move(place);
        QCoreApplication::processEvents();
        const CRect& r = view()->m_displayRect;
        const CRect shown(CPoint(view()->mapToGlobal(QPoint(r.left, r.top))),
                          CPoint(view()->mapToGlobal(QPoint(r.right, r.bottom))));
        ASSERT_NE(shown, atLayout) << "the window did not move";
        Press(150, 175);
        EXPECT_EQ(GetClipCursor() ? *GetClipCursor() : CRect(), shown);
        Release(150, 175);
    }
}

TEST_F(EllipseDrag, IdleMovesOnlyChooseTheCursor)
{
    const std::pair<CPoint, HCURSOR CVeilcutView::*> kPositions[] = {
        {{94, 174}, &CVeilcutView::m_cursorSizeWE},   {{206, 181}, &CVeilcutView::m_cursorSizeWE},
        {{150, 94}, &CVeilcutView::m_cursorSizeNS},   {{143, 256}, &CVeilcutView::m_cursorSizeNS},
        {{150, 175}, &CVeilcutView::m_cursorOpenHand}, {{101, 101}, &CVeilcutView::m_cursorArrow},
    };
    for (const auto& [point, cursor] : kPositions) {
        MoveTo(point.x, point.y);
        EXPECT_EQ(GetCursor(), view()->*cursor) << point.x << "," << point.y;
    }
    EXPECT_EQ(view()->SelectedRect(), kEllipse);
    EXPECT_EQ(view()->m_lastPoint, CPoint());
}

TEST_F(EllipseDrag, SecondPressOfADoubleClickStartsNoDrag)
{
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(150, 175), view()->mapToGlobal(QPointF(150, 175)),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view(), &second);
    EXPECT_EQ(Flags(), std::vector<BOOL>(5, FALSE));
}

TEST(EllipseDragWithoutPicture, WorksOnTheInitialRectangle)
{
    AppSession session;
    session.SetClientSize(400, 300);
    CVeilcutView* view = session.view();
    view->PlaceSelected(kEllipse);
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(150, 175));
    // No picture, no confinement to pin the pointer anywhere.
    EXPECT_EQ(GetClipCursor(), nullptr);
    QTest::mouseMove(view, QPoint(170, 185));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(170, 185));
    EXPECT_EQ(view->SelectedRect(), CRect(120, 110, 220, 260));
    EXPECT_FALSE(session.doc()->IsModified());
}

} // namespace
