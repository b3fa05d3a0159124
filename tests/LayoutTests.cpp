#include "tests/AppSession.h"
#include "tests/GeometryPrinting.h"
#include "tests/TestPictures.h"

#include "display/FitLayout.h"
#include "display/Resampling.h"
#include "display/VeilcutView.h"
#include "io/MaskBurn.h"
#include "document/VeilcutDoc.h"

#include <QCoreApplication>
#include <QSize>
#include "tests/QtPrinting.h"
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct FitCase {
    int W, H;
    unsigned w, h;
};

std::ostream& operator<<(std::ostream& out, const FitCase& c)
{
    return out << "client " << c.W << "x" << c.H << ", picture " << c.w << "x" << c.h;
}

const FitCase kCases[] = {
    {1918, 1018, 3264, 2448}, {1918, 1018, 2448, 3264}, {1600, 1100, 640, 480}, {1918, 1018, 959, 509},
    {1918, 1018, 1, 1},       {1918, 1018, 5000, 10},   {1918, 1018, 10, 5000}, {800, 600, 801, 599},
    {800, 600, 799, 601},     {1600, 1100, 4000, 1000}, {640, 480, 640, 480},   {1001, 999, 3, 7},
    {1001, 999, 7, 3},        {333, 777, 1234, 567},
};

// The picture scaled to fit, centred, from Qt's own aspect-ratio scaling and
// integer cross-multiplication, allowing one pixel for rounding.
void CheckFit(const FitCase& c, double scale, const CRect& r)
{
    const bool heightFills = qint64(c.H) * c.w <= qint64(c.W) * c.h;
    const QSize fitted = QSize(int(c.w), int(c.h)).scaled(c.W, c.H, Qt::KeepAspectRatio);
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, c.W);
    EXPECT_LE(r.bottom, c.H);
    if (heightFills) {
        EXPECT_DOUBLE_EQ(scale, double(c.H) / c.h);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.bottom, c.H);
        EXPECT_LE(std::abs(r.Width() - fitted.width()), 1);
        EXPECT_LE(std::abs(r.left - (c.W - r.right)), 1);
    } else {
        EXPECT_DOUBLE_EQ(scale, double(c.W) / c.w);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.right, c.W);
        EXPECT_LE(std::abs(r.Height() - fitted.height()), 1);
        EXPECT_LE(std::abs(r.top - (c.H - r.bottom)), 1);
    }
}

TEST(FitPicture, WorkedNumbers)
{
    struct Row { FitCase c; double scale; CRect rect; CPoint origin; };
    const Row rows[] = {
        {{1918, 1018, 3264, 2448}, 1018.0 / 2448, {280, 0, 1638, 1018}, {959, 0}},
        {{1918, 1018, 2448, 3264}, 1018.0 / 3264, {577, 0, 1341, 1018}, {959, 0}},
        {{1600, 1100, 640, 480}, 1100.0 / 480, {67, 0, 1533, 1100}, {800, 0}},
        // Same aspect as the client: the whole client.
        {{1918, 1018, 959, 509}, 2.0, {0, 0, 1918, 1018}, {959, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.c));
        const FitLayout layout = FitPicture(row.c.W, row.c.H, row.c.w, row.c.h);
        EXPECT_DOUBLE_EQ(layout.scale, row.scale);
        EXPECT_EQ(layout.displayRect, row.rect);
        EXPECT_EQ(DisplayOrigin(layout.displayRect), row.origin);
    }
    EXPECT_EQ(DisplayOrigin(CRect(3, 0, 8, 10)), CPoint(5, 0));
    EXPECT_EQ(DefaultEllipse(CPoint(959, 0)), CRect(909, 50, 1009, 200));
}

TEST(FitPicture, AgreesWithAspectRatioScaling)
{
    for (const FitCase& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c));
        const FitLayout layout = FitPicture(c.W, c.H, c.w, c.h);
        CheckFit(c, layout.scale, layout.displayRect);
    }
}

class FitToViewTest : public ::testing::Test {
protected:
    void Layout(int W, int H, unsigned w, unsigned h) { session.LayOutBlankPicture(W, H, w, h); }
    // Resizes the window as a user would and lets the program catch up.
    void Resize(int W, int H)
    {
        session.SetClientSize(W, H);
        QCoreApplication::processEvents();
    }

    AppSession session;
};

TEST_F(FitToViewTest, FillsTheClientAndRecordsTheLayout)
{
    for (const FitCase& c : kCases) {
        SCOPED_TRACE(::testing::PrintToString(c));
        Layout(c.W, c.H, c.w, c.h);
        CVeilcutView* view = session.view();
        CVeilcutDoc* doc = session.doc();
        const CRect& r = view->m_displayRect;
        CheckFit(c, doc->m_scale, r);
        EXPECT_EQ(view->m_clientRect, CRect(0, 0, c.W, c.H));
        EXPECT_EQ(doc->m_pictureRect, CRect(0, 0, int(c.w), int(c.h)));
        EXPECT_EQ(view->m_origin.y, r.top);
        EXPECT_LE(std::abs(2 * view->m_origin.x - (r.left + r.right)), 1);
        EXPECT_EQ(view->m_clipRect, CRect(CPoint(view->mapToGlobal(QPoint(r.left, r.top))),
                                          CPoint(view->mapToGlobal(QPoint(r.right, r.bottom)))));
        ASSERT_NE(doc->m_display, nullptr);
        EXPECT_EQ(int(FreeImage_GetWidth(doc->m_display.get())), r.Width());
        EXPECT_EQ(int(FreeImage_GetHeight(doc->m_display.get())), r.Height());
    }
}

// The first layout puts the stored offset under the origin, if it fits.
TEST_F(FitToViewTest, FirstLayoutPlacesTheStoredOffset)
{
    EXPECT_EQ(session.doc()->m_maskOffset, CRect(-50, 50, 50, 200));
    struct Row { CRect offset; CRect expected; };
    const Row rows[] = {
        {{-50, 50, 50, 200}, {909, 50, 1009, 200}},
        {{-300, 10, 300, 1000}, {659, 10, 1259, 1000}},
        {{-700, 10, 0, 100}, {909, 50, 1009, 200}},   // left corner outside the picture
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.offset.left));
        session.doc()->m_firstLayout = TRUE;
        session.doc()->m_maskOffset = row.offset;
        Layout(1918, 1018, 3264, 2448);
        EXPECT_EQ(session.view()->SelectedRect(), row.expected);
        EXPECT_FALSE(session.doc()->m_firstLayout);
        EXPECT_DOUBLE_EQ(session.doc()->m_scale, 1018.0 / 2448);
        EXPECT_EQ(session.view()->m_displayRect, CRect(280, 0, 1638, 1018));
        EXPECT_EQ(session.view()->m_origin, CPoint(959, 0));
    }
}

// Later layouts keep the ellipse where it was relative to the top centre, or
// start again from the default when a corner would leave the picture.
TEST_F(FitToViewTest, LaterLayoutsCarryTheEllipseOver)
{
    // Display rects in a 1918x1018 client: portrait (577,0,1341,1018),
    // landscape (280,0,1638,1018), wide (0,269,1918,749).
    struct Size { unsigned w, h; };
    const Size portrait{2448, 3264}, landscape{3264, 2448}, wide{4000, 1000};
    struct Row { const char* name; Size from, to; CRect offset; bool kept; };
    const Row rows[] = {
        {"portrait to wide", portrait, wide, {-300, 20, 300, 200}, true},
        {"wide to portrait", wide, portrait, {-300, 20, 300, 200}, true},
        {"left of the portrait", wide, portrait, {-450, 20, 300, 200}, false},
        {"below the wide picture", portrait, wide, {-50, 300, 50, 500}, false},
        {"just inside the right edge", landscape, landscape, {-100, 100, 678, 300}, true},
        {"on the right edge", landscape, landscape, {-100, 100, 679, 300}, false},
        {"just inside the bottom edge", landscape, landscape, {-50, 100, 50, 1017}, true},
        {"on the bottom edge", landscape, landscape, {-50, 100, 50, 1018}, false},
        {"on the left edge", landscape, landscape, {-679, 100, 0, 300}, true},
        {"left of the left edge", landscape, landscape, {-680, 100, 0, 300}, false},
        {"on the top edge", landscape, landscape, {-50, 0, 50, 100}, true},
        {"above the top edge", landscape, landscape, {-50, -1, 50, 100}, false},
        {"swapped corners inside", landscape, landscape, {100, 300, -100, 100}, true},
        {"swapped corner outside", landscape, landscape, {700, 100, -100, 300}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Layout(1918, 1018, row.from.w, row.from.h);
        CVeilcutView* view = session.view();
        CRect moved = row.offset;
        moved.OffsetRect(view->m_origin);
        view->PlaceSelected(moved);

        Layout(1918, 1018, row.to.w, row.to.h);
        const CPoint o = view->m_origin;
        CRect expected(o.x - 50, o.y + 50, o.x + 50, o.y + 200);
        if (row.kept)
            expected = CRect(o.x + row.offset.left, o.y + row.offset.top, o.x + row.offset.right,
                             o.y + row.offset.bottom);
        EXPECT_EQ(view->SelectedRect(), expected);
    }
    Layout(1918, 1018, wide.w, wide.h);
    EXPECT_EQ(session.view()->m_displayRect, CRect(0, 269, 1918, 749));
}

// A new size lays the picture out as a fresh layout would; the ellipse stays
// on the same picture pixels and its offset follows.
TEST_F(FitToViewTest, ResizeLaysOutAgainOverTheSamePicturePixels)
{
    Layout(700, 500, 900, 600);
    CVeilcutDoc* doc = session.doc();
    CVeilcutView* view = session.view();
    doc->m_picture = MakeNoisePicture(900, 600, 5);
    view->PlaceSelected(CRect(200, 120, 310, 300));
    const std::vector<PictureEllipse> before = doc->PictureEllipses();
    const CRect& r = view->m_displayRect;
    for (const QSize size : {QSize(400, 300), QSize(1000, 800), QSize(300, 700), QSize(1200, 300)}) {
        SCOPED_TRACE(::testing::PrintToString(size));
        Resize(size.width(), size.height());
        const FitLayout fresh = FitPicture(size.width(), size.height(), 900, 600);
        EXPECT_EQ(r, fresh.displayRect);
        EXPECT_EQ(doc->PictureEllipses(), before);
        EXPECT_EQ(view->m_origin, DisplayOrigin(r));
        const BitmapPtr expected(FreeImage_Allocate(r.Width(), r.Height(), 24));
        ResamplePixelByPixel(doc->m_picture.get(), 900, 600, fresh.scale, expected.get());
        EXPECT_EQ(DescribeDifference(expected.get(), doc->m_display.get()), "");
    }
    EXPECT_FALSE(doc->IsModified());
}

// Sizes that come within one pass of the event loop give one layout, for the last of them.
TEST_F(FitToViewTest, ResizesWithinOnePassGiveOneLayout)
{
    Layout(700, 500, 900, 600);
    CVeilcutView* view = session.view();
    const CRect start = view->m_displayRect;
    view->resize(61, 47);
    view->resize(640, 450);
    EXPECT_EQ(view->m_displayRect, start);
    QCoreApplication::processEvents();
    EXPECT_EQ(view->m_displayRect, FitPicture(640, 450, 900, 600).displayRect);
}

// Without a picture, or before a command-line picture's first layout, a resize lays nothing out.
TEST_F(FitToViewTest, ResizeWithoutALaidOutPictureLaysNothingOut)
{
    Resize(400, 300);
    Resize(450, 350);
    session.doc()->m_picture.reset(FreeImage_Allocate(64, 48, 24));
    Resize(500, 350);
    EXPECT_EQ(session.view()->m_clientRect, CRect());
    EXPECT_EQ(session.doc()->m_display, nullptr);
    EXPECT_TRUE(session.doc()->m_firstLayout);
}

} // namespace
