#include "tests/AppSession.h"
#include "tests/TestPictures.h"

#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <ostream>
#include <set>
#include <utility>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
void PrintTo(const Rgb& c, std::ostream* os) { *os << "rgb(" << c.r << ", " << c.g << ", " << c.b << ")"; }

const Rgb kWhite{255, 255, 255};
const Rgb kFillGray{153, 153, 153};

Rgb At(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

Rgb DisplayAt(FIBITMAP* display, int x, int y)
{
    const Bgr c = PixelAt(display, unsigned(x), unsigned(y));
    return {c.red, c.green, c.blue};
}

struct Overlay {
    COLORREF color;
    Rgb expected;
};
// Red sits in the low byte of the overlay colour.
const Overlay kRed{0x000000FF, {255, 0, 0}};
const Overlay kBlue{0x00FF0000, {0, 0, 255}};
const Overlay kGreen{0x0000FF00, {0, 255, 0}};
const Overlay kBlack{0x00000000, {0, 0, 0}};
const Overlay kWhiteOverlay{0x00FFFFFF, {255, 255, 255}};

// A uniform picture colour far from every overlay colour used here.
const Bgr kPictureBgr{170, 90, 40};

// The ellipse every overlay test uses: handles at (150, 50), (100, 99), (150, 149), (200, 99).
const CRect kEllipse(100, 50, 201, 150);

class ViewPaintingTest : public ::testing::Test {
protected:
    void ShowPicture(BitmapPtr picture, int clientWidth, int clientHeight)
    {
        session.SetClientSize(clientWidth, clientHeight);
        session.doc()->m_picture = std::move(picture);
        session.doc()->FitToView();
    }
    // 400x300 shown at scale 2 over the whole 800x600 client.
    void ShowUniformPicture()
    {
        ShowPicture(MakePicture(400, 300, [](unsigned, unsigned) { return kPictureBgr; }), 800, 600);
        ASSERT_EQ(session.view()->m_displayRect, CRect(0, 0, 800, 600));
        session.view()->PlaceSelected(kEllipse);
    }
    QImage Grab() { return session.view()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // What the display copy holds for client pixel (x, y).
    Rgb Shown(int x, int y)
    {
        const CRect d = session.view()->m_displayRect;
        return DisplayAt(session.doc()->m_display.get(), x - d.left, d.bottom - 1 - y);
    }

    AppSession session;
};

TEST_F(ViewPaintingTest, WithoutPictureTheViewIsPlainWhite)
{
    session.SetClientSize(400, 300);
    session.view()->PlaceSelected(kEllipse);   // would be visible if it were drawn
    const QImage image = Grab();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(At(image, x, y), kWhite) << "at " << x << ", " << y;
}

TEST_F(ViewPaintingTest, DisplayCopyIsShownOneToOneAndUpright)
{
    // 200x300 in 800x600: scale 2, shown at (200, 0, 600, 600).
    ShowPicture(MakePicture(200, 300, [](unsigned x, unsigned y) { return Bgr{BYTE(x), BYTE(y), BYTE(x * 3 + y)}; }),
                800, 600);
    CVeilcutView* view = session.view();
    ASSERT_EQ(view->m_displayRect, CRect(200, 0, 600, 600));
    view->PlaceSelected(CRect(350, 350, 450, 450));
    const QImage image = Grab();
    const CRect d = view->m_displayRect;
    const std::pair<int, int> samples[] = {{0, 0}, {399, 0}, {399, 599}, {3, 300}, {200, 100}, {17, 511}, {398, 2}};
    for (const auto& [x, y] : samples) {
        SCOPED_TRACE(testing::Message() << "display pixel " << x << ", " << y);
        EXPECT_EQ(At(image, d.left + x, d.bottom - 1 - y), DisplayAt(session.doc()->m_display.get(), x, y));
    }
    EXPECT_EQ(At(image, 100, 300), kWhite);
    EXPECT_EQ(At(image, 700, 10), kWhite);
}

TEST_F(ViewPaintingTest, GrayFillAndOutlineInTheOverlayColour)
{
    ShowUniformPicture();
    for (const Overlay& overlay : {kGreen, kRed, kBlue, kBlack, kWhiteOverlay}) {
        SCOPED_TRACE(testing::Message() << "colour " << std::hex << overlay.color);
        session.view()->m_color = overlay.color;
        const QImage image = Grab();
        EXPECT_EQ(At(image, 150, 100), kFillGray);
        EXPECT_EQ(At(image, 130, 120), kFillGray);
        EXPECT_EQ(At(image, 300, 300), Shown(300, 300));
        // Outline from L to R - 1 on the middle row 99, from T to B - 1 on the middle column 150.
        EXPECT_EQ(At(image, 100, 99), overlay.expected);
        EXPECT_NE(At(image, 99, 99), overlay.expected);
        EXPECT_EQ(At(image, 200, 99), overlay.expected);
        EXPECT_NE(At(image, 201, 99), overlay.expected);
        EXPECT_EQ(At(image, 150, 50), overlay.expected);
        EXPECT_NE(At(image, 150, 49), overlay.expected);
        EXPECT_EQ(At(image, 150, 149), overlay.expected);
        EXPECT_NE(At(image, 150, 150), overlay.expected);
    }
}

TEST_F(ViewPaintingTest, HandlesAreSquareOutlinesAtTheSideMidpoints)
{
    ShowUniformPicture();
    session.view()->m_color = kRed.color;
    const QImage image = Grab();
    const std::pair<int, int> centres[] = {{150, 50}, {100, 99}, {150, 149}, {200, 99}};
    for (const auto& [cx, cy] : centres) {
        SCOPED_TRACE(testing::Message() << "handle at " << cx << ", " << cy);
        for (int dy : {-7, 0, 7}) {
            for (int dx : {-7, 0, 7}) {
                if (dx == 0 && dy == 0)
                    continue;
                EXPECT_EQ(At(image, cx + dx, cy + dy), kRed.expected) << "offset " << dx << ", " << dy;
            }
        }
    }
    // The top handle: an outline only, nothing just outside it.
    EXPECT_NE(At(image, 144, 44), kRed.expected);
    EXPECT_EQ(At(image, 144, 44), Shown(144, 44));
    EXPECT_NE(At(image, 142, 43), kRed.expected);
    EXPECT_NE(At(image, 143, 42), kRed.expected);
    EXPECT_NE(At(image, 158, 57), kRed.expected);
    EXPECT_NE(At(image, 157, 58), kRed.expected);
}

// Overlay-coloured pixels of the outline, away from the handles.
std::set<std::pair<int, int>> OutlinePixels(const QImage& image, Rgb colour)
{
    std::set<std::pair<int, int>> pixels;
    const std::pair<int, int> centres[] = {{150, 50}, {100, 99}, {150, 149}, {200, 99}};
    for (int y = 40; y < 160; ++y) {
        for (int x = 90; x < 211; ++x) {
            bool nearHandle = false;
            for (const auto& [cx, cy] : centres)
                nearHandle = nearHandle || (std::abs(x - cx) <= 8 && std::abs(y - cy) <= 8);
            if (!nearHandle && At(image, x, y) == colour)
                pixels.insert({x, y});
        }
    }
    return pixels;
}

TEST_F(ViewPaintingTest, WhileDraggingOnlyADottedOutlineIsDrawn)
{
    ShowUniformPicture();
    CVeilcutView* view = session.view();
    view->m_color = kRed.color;
    const auto solid = OutlinePixels(Grab(), kRed.expected);
    ASSERT_GT(solid.size(), 150u);

    BOOL CVeilcutView::*const flags[] = {&CVeilcutView::m_dragMove, &CVeilcutView::m_dragLeft,
                                         &CVeilcutView::m_dragRight, &CVeilcutView::m_dragTop,
                                         &CVeilcutView::m_dragBottom};
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        SCOPED_TRACE(testing::Message() << "drag flag " << i);
        view->*flags[i] = TRUE;
        const QImage dragging = Grab();
        EXPECT_EQ(At(dragging, 150, 100), Shown(150, 100));
        EXPECT_EQ(At(dragging, 143, 43), Shown(143, 43));
        EXPECT_EQ(At(dragging, 93, 92), Shown(93, 92));
        std::size_t lit = 0;
        for (const auto& [x, y] : solid)
            lit += At(dragging, x, y) == kRed.expected;
        EXPECT_GT(lit, 20u) << "the outline should still be drawn";
        EXPECT_LT(lit, solid.size() - 20) << "the outline should be dotted";

        view->*flags[i] = FALSE;
        const QImage after = Grab();
        EXPECT_EQ(At(after, 150, 100), kFillGray);
        EXPECT_EQ(At(after, 143, 43), kRed.expected);
    }
}

TEST_F(ViewPaintingTest, OverlayIsClippedToThePictureAndCaptionHasNoBackground)
{
    // 200x300 in 800x600: shown at (200, 0, 600, 600); the ellipse straddles its left edge.
    ShowPicture(MakePicture(200, 300, [](unsigned, unsigned) { return kPictureBgr; }), 800, 600);
    CVeilcutView* view = session.view();
    ASSERT_EQ(view->m_displayRect, CRect(200, 0, 600, 600));
    view->PlaceSelected(CRect(150, 100, 301, 251));
    for (const Overlay& overlay : {kRed, kBlack, kGreen}) {
        SCOPED_TRACE(testing::Message() << "colour " << std::hex << overlay.color);
        view->m_color = overlay.color;
        const QImage image = Grab();
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(At(image, x, y), kWhite) << "at " << x << ", " << y;
        EXPECT_EQ(At(image, 225, 175), kFillGray);
        EXPECT_EQ(At(image, 300, 175), overlay.expected);   // right end of the outline
        EXPECT_EQ(At(image, 218, 93), overlay.expected);    // top handle corner

        // The caption at (205, 2): glyphs in the overlay colour, the picture between them.
        int inColour = 0, picture = 0;
        for (int y = 2; y < 18; ++y) {
            for (int x = 205; x < 325; ++x) {
                const Rgb c = At(image, x, y);
                inColour += c == overlay.expected;
                picture += c == Shown(x, y);
            }
        }
        EXPECT_GT(inColour, 20);
        EXPECT_GT(picture, 200) << "the caption has no background box";
        for (int y = 0; y < 20; ++y)
            for (int x = 200; x < 205; ++x)
                EXPECT_EQ(At(image, x, y), Shown(x, y)) << "at " << x << ", " << y;
        for (int y = 0; y < 2; ++y)
            for (int x = 200; x < 340; ++x)
                EXPECT_EQ(At(image, x, y), Shown(x, y)) << "at " << x << ", " << y;
    }
}

TEST_F(ViewPaintingTest, CaptionRunsPastANarrowPicture)
{
    // 60x600 in 800x600: scale 1, shown at (370, 0, 430, 600).
    ShowPicture(MakePicture(60, 600, [](unsigned, unsigned) { return kPictureBgr; }), 800, 600);
    CVeilcutView* view = session.view();
    ASSERT_EQ(view->m_displayRect, CRect(370, 0, 430, 600));
    view->PlaceSelected(CRect(380, 300, 421, 350));
    view->m_color = kRed.color;
    const QImage image = Grab();
    int outside = 0;
    for (int y = 2; y < 18; ++y)
        for (int x = 430; x < 520; ++x)
            outside += At(image, x, y) == kRed.expected;
    EXPECT_GT(outside, 0) << "the caption is cut off at the picture's right edge";
}

} // namespace
