#include "tests/AppSession.h"
#include "tests/GeometryPrinting.h"
#include "tests/TestPictures.h"
#include "display/Resampling.h"
#include "display/VeilcutView.h"
#include "display/ViewZoom.h"
#include "framework/Cursor.h"
#include "document/VeilcutDoc.h"

#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>

namespace {

// 1200x900 in an 800x600 view: fitted at 2/3 from (0, 0), so the ladder runs
// 0.8, 1, 1.25, 1.5625, 1.953125, 2.44140625, 3.0517578125, 4.
constexpr int kViewW = 800, kViewH = 600;
constexpr unsigned kPictureW = 1200, kPictureH = 900;

class ZoomView : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.SetClientSize(kViewW, kViewH);
        doc()->m_picture = MakeNoisePicture(kPictureW, kPictureH, 27);
        doc()->FitToView();
        fitted = view()->m_transform;
    }
    void TearDown() override
    {
        for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton})
            QTest::mouseRelease(view(), button, {}, QPoint(1, 1));
    }

    CVeilcutView* view() const { return session.view(); }
    CVeilcutDoc* doc() const { return session.doc(); }

    void Wheel(QPoint at, int notches)
    {
        QWheelEvent event(QPointF(at), QPointF(view()->mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view(), &event);
    }
    void Drag(Qt::MouseButton button, QPoint from, QPoint to)
    {
        QTest::mousePress(view(), button, {}, from);
        QTest::mouseMove(view(), (from + to) / 2);
        QTest::mouseMove(view(), to);
        QTest::mouseRelease(view(), button, {}, to);
    }
    QPointF PictureUnder(QPoint p) const { return ToPicturePoint(view()->m_transform, QPointF(p)); }
    QPointF Offset() const { return QPointF(view()->m_transform.offsetX, view()->m_transform.offsetY); }

    // What the fitted layout shows, byte for byte, after every way back to it.
    void ExpectFitted(const char* how)
    {
        SCOPED_TRACE(how);
        EXPECT_FALSE(view()->m_zoom.has_value());
        EXPECT_EQ(view()->m_transform, fitted);
        EXPECT_EQ(view()->m_displayRect, CRect(0, 0, kViewW, kViewH));
        const BitmapPtr expected(FreeImage_Allocate(kViewW, kViewH, 24));
        ResamplePixelByPixel(doc()->m_picture.get(), kPictureW, kPictureH, SourceArea{fitted.scale}, expected.get());
        EXPECT_EQ(DescribeDifference(expected.get(), doc()->m_display), "");
    }

    AppSession session;
    ViewTransform fitted;
};

TEST_F(ZoomView, WheelZoomsAroundThePointUnderThePointer)
{
    struct Case {
        QPoint at;
        int notches;
        double scale;
    };
    const Case cases[] = {{{400, 300}, 1, 0.8}, {{10, 10}, 2, 1.0}, {{790, 20}, 3, 1.25},
                          {{123, 456}, 8, 4.0}, {{600, 500}, 12, 4.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.notches << " notches at " << c.at.x() << ", " << c.at.y());
        const QPointF under = PictureUnder(c.at);
        Wheel(c.at, c.notches);
        EXPECT_EQ(view()->m_transform.scale, c.scale);
        EXPECT_NEAR(PictureUnder(c.at).x(), under.x(), 1e-9);
        EXPECT_NEAR(PictureUnder(c.at).y(), under.y(), 1e-9);
        // The picture is larger than the view: it covers it, and the display copy with it.
        EXPECT_EQ(view()->m_displayRect, CRect(0, 0, kViewW, kViewH));
        Wheel(c.at, -c.notches);
        ExpectFitted("wheel back");
    }
    Wheel(QPoint(400, 300), -3);
    ExpectFitted("no zoom below the fitted view");
}

TEST_F(ZoomView, KeysZoomAroundTheCentreAndZeroFits)
{
    struct Case {
        Qt::Key key;
        double scale;
    };
    const Case steps[] = {{Qt::Key_Plus, 0.8}, {Qt::Key_Equal, 1.0}, {Qt::Key_Plus, 1.25}, {Qt::Key_Minus, 1.0}};
    const QPoint centre(kViewW / 2, kViewH / 2);
    const QPointF under = PictureUnder(centre);
    for (const Case& step : steps) {
        QTest::keyClick(view(), step.key);
        EXPECT_EQ(view()->m_transform.scale, step.scale) << "key " << step.key;
        EXPECT_NEAR(PictureUnder(centre).x(), under.x(), 1e-9);
        EXPECT_NEAR(PictureUnder(centre).y(), under.y(), 1e-9);
    }
    QTest::keyClick(view(), Qt::Key_0);
    ExpectFitted("0");
}

// The zoomed display copy is the visible part resampled by the definition.
TEST_F(ZoomView, DisplayCopyIsTheShownPartByTheDefinition)
{
    const QPoint anchors[] = {{333, 222}, {799, 599}, {0, 300}};
    for (const int notches : {1, 3, 8}) {
        for (const QPoint at : anchors) {
            SCOPED_TRACE(testing::Message() << notches << " notches at " << at.x() << ", " << at.y());
            Wheel(at, notches);
            const ShownPart part = ShownPartOf(view()->m_transform, QSizeF(kPictureW, kPictureH), QSize(kViewW, kViewH));
            EXPECT_EQ(part.area.rule, notches == 1 ? SampleRule::Bilinear : SampleRule::Nearest);
            const BitmapPtr expected(FreeImage_Allocate(part.displayRect.Width(), part.displayRect.Height(), 24));
            ResamplePixelByPixel(doc()->m_picture.get(), kPictureW, kPictureH, part.area, expected.get());
            EXPECT_EQ(DescribeDifference(expected.get(), doc()->m_display), "");
            QTest::keyClick(view(), Qt::Key_0);
        }
    }
}

// At 100 % around the centre the picture lies from (-200, -150); it can move
// 200 left or right and 150 up or down.
TEST_F(ZoomView, DragsBesideTheEllipsesMoveTheZoomedPictureUpToItsEdges)
{
    struct Case {
        Qt::MouseButton button;
        QPoint from, to;
        QPointF offset;
    };
    const Case cases[] = {
        {Qt::MiddleButton, {300, 300}, {350, 330}, {-150, -120}},
        {Qt::LeftButton, {100, 500}, {60, 480}, {-240, -170}},
        {Qt::LeftButton, {700, 500}, {100, 100}, {-400, -300}},
        {Qt::MiddleButton, {100, 100}, {790, 590}, {0, 0}},
        // The middle button moves the picture over an ellipse as well.
        {Qt::MiddleButton, {400, 100}, {390, 100}, {-210, -150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from.x() << ", " << c.from.y());
        QTest::keyClick(view(), Qt::Key_0);
        QTest::keyClick(view(), Qt::Key_Plus);
        QTest::keyClick(view(), Qt::Key_Plus);
        ASSERT_EQ(Offset(), QPointF(-200, -150));
        const CoveredAreas before = doc()->m_covered;
        Drag(c.button, c.from, c.to);
        EXPECT_EQ(Offset(), c.offset);
        EXPECT_EQ(doc()->m_covered.ellipses, before.ellipses) << "a move of the picture moves no ellipse";
    }
}

TEST_F(ZoomView, EllipseDragsStillWorkZoomedAndNothingPansTheFittedView)
{
    // The ellipse shown at (350, 50)-(450, 200) in the fitted view.
    const CoverEllipse start = doc()->m_covered.ellipses.at(0);
    Drag(Qt::LeftButton, QPoint(100, 500), QPoint(200, 400));
    Drag(Qt::MiddleButton, QPoint(100, 500), QPoint(200, 400));
    ExpectFitted("drags beside the ellipse");

    Wheel(QPoint(400, 100), 8);   // 4 times: one picture pixel is four view pixels
    const CRect shown = view()->SelectedRect();
    const QPoint inside((shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2);
    const ViewTransform zoomed = view()->m_transform;
    // While the ellipse is held, the pointer is kept on the shown part of the picture.
    QTest::mousePress(view(), Qt::LeftButton, {}, inside);
    CRect confined = view()->m_displayRect;
    view()->ClientToScreen(&confined);
    ASSERT_NE(GetClipCursor(), nullptr);
    EXPECT_EQ(*GetClipCursor(), confined);
    QTest::mouseRelease(view(), Qt::LeftButton, {}, inside);
    Drag(Qt::LeftButton, inside, inside + QPoint(40, -20));
    EXPECT_EQ(view()->m_transform, zoomed) << "the drag moved the ellipse, not the picture";
    const CoverEllipse moved = doc()->m_covered.ellipses.at(0);
    EXPECT_DOUBLE_EQ(moved.left - start.left, 10.0);
    EXPECT_DOUBLE_EQ(moved.top - start.top, -5.0);
    // The burn follows the picture pixels, whatever the zoom shows.
    QTest::keyClick(view(), Qt::Key_0);
    EXPECT_EQ(doc()->m_covered.ellipses.at(0), moved);
}

TEST_F(ZoomView, ResizeKeepsTheCentreAndTurnOrOpenFitsAgain)
{
    Wheel(QPoint(200, 150), 3);
    const QPointF centre = PictureUnder(QPoint(kViewW / 2, kViewH / 2));
    session.SetClientSize(700, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(view()->m_transform.scale, 1.25);
    EXPECT_NEAR(PictureUnder(QPoint(350, 250)).x(), centre.x(), 1e-9);
    EXPECT_NEAR(PictureUnder(QPoint(350, 250)).y(), centre.y(), 1e-9);

    const CRect offsetZoomed = view()->SelectedOffset();
    QTest::keyClick(view(), Qt::Key_0);
    EXPECT_EQ(view()->SelectedOffset(), offsetZoomed) << "the profile's offset never sees the zoom";

    session.SetClientSize(kViewW, kViewH);
    QCoreApplication::processEvents();
    ExpectFitted("resized back");
    Wheel(QPoint(200, 150), 3);
    doc()->OnRotateRight();
    EXPECT_FALSE(view()->m_zoom.has_value());
    EXPECT_EQ(view()->m_transform.scale, doc()->m_scale);
    doc()->OnRotateLeft();
    ExpectFitted("turned back");
}

}  // namespace
