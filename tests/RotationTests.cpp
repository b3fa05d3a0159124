#include "tests/AppSession.h"
#include "tests/GeometryPrinting.h"
#include "tests/PixelByPixelTurn.h"
#include "tests/TestPictures.h"

#include "display/VeilcutView.h"
#include "io/PictureRotation.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QFile>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* Name(QuarterTurn turn) { return turn == QuarterTurn::Left ? "left" : "right"; }

BitmapPtr Turn(FIBITMAP* picture, QuarterTurn turn) { return TurnPicture(picture, turn); }

// Letters stand for colours in the worked example.
Bgr Letter(char c) { return Bgr{BYTE(c), BYTE(c + 1), BYTE(c + 2)}; }

// Rows are given from the top, as the picture is seen.
BitmapPtr PictureOfLetters(const std::vector<std::string>& rows)
{
    const unsigned height = unsigned(rows.size());
    return MakePicture(unsigned(rows[0].size()), height,
                       [&](unsigned x, unsigned y) { return Letter(rows[height - 1 - y][x]); });
}

TEST(TurnPicture, WorkedExample)
{
    const BitmapPtr picture = PictureOfLetters({"abc", "def"});
    struct Row { QuarterTurn turn; std::vector<std::string> expected; };
    const Row rows[] = {
        {QuarterTurn::Left, {"cf", "be", "ad"}},
        {QuarterTurn::Right, {"da", "eb", "fc"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Name(row.turn));
        const BitmapPtr expected = PictureOfLetters(row.expected);
        const BitmapPtr turned = Turn(picture.get(), row.turn);
        EXPECT_EQ(DescribeDifference(expected.get(), turned.get()), "");
    }
}

struct Size {
    unsigned width, height;
};

std::ostream& operator<<(std::ostream& out, const Size& s) { return out << s.width << "x" << s.height; }

// Widths 1 to 9 give every row padding; the larger ones span several bands
// and blocks of the turn and end in partial ones.
std::vector<Size> Sizes()
{
    std::vector<Size> sizes;
    for (unsigned width = 1; width <= 9; ++width)
        for (unsigned height : {1u, 2u, 3u, 5u, 8u})
            sizes.push_back({width, height});
    for (Size s : {Size{1, 100}, Size{100, 1}, Size{64, 1024}, Size{33, 513}, Size{37, 1100},
                   Size{1100, 37}, Size{333, 2049}, Size{2049, 333}, Size{64, 64}, Size{255, 257}})
        sizes.push_back(s);
    return sizes;
}

class TurnPictureSizes : public ::testing::TestWithParam<Size> {
protected:
    BitmapPtr picture = MakeNoisePicture(GetParam().width, GetParam().height, GetParam().width * 31 + GetParam().height);
};

TEST_P(TurnPictureSizes, SameBytesAsThePixelByPixelTurn)
{
    for (QuarterTurn turn : {QuarterTurn::Left, QuarterTurn::Right}) {
        SCOPED_TRACE(Name(turn));
        const BitmapPtr expected(TurnPixelByPixel(picture.get(), turn));
        const BitmapPtr turned = Turn(picture.get(), turn);
        ASSERT_NE(turned, nullptr);
        EXPECT_EQ(DescribeDifference(expected.get(), turned.get()), "");
        EXPECT_EQ(FreeImage_GetImageType(turned.get()), FIT_BITMAP);
        EXPECT_EQ(FreeImage_GetBPP(turned.get()), 24u);
    }
}

// Four quarter turns either way, and a turn undone by the other, give back every byte.
TEST_P(TurnPictureSizes, TurnsUndoEachOther)
{
    using Turns = std::vector<QuarterTurn>;
    const QuarterTurn L = QuarterTurn::Left, R = QuarterTurn::Right;
    for (const Turns& turns : {Turns{L, L, L, L}, Turns{R, R, R, R}, Turns{L, R}, Turns{R, L}}) {
        BitmapPtr turned(FreeImage_Clone(picture.get()));
        std::string path;
        for (QuarterTurn turn : turns) {
            path += Name(turn) + std::string(" ");
            turned = Turn(turned.get(), turn);
        }
        SCOPED_TRACE(path);
        EXPECT_EQ(DescribeDifference(picture.get(), turned.get()), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Rotation, TurnPictureSizes, ::testing::ValuesIn(Sizes()),
                         [](const auto& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(TurnPicture, KeepsNothingButThePixels)
{
    const BitmapPtr picture = MakeNoisePicture(5, 3, 7);
    FreeImage_SetMetadataKeyValue(FIMD_COMMENTS, picture.get(), "Comment", "a face");
    for (QuarterTurn turn : {QuarterTurn::Left, QuarterTurn::Right}) {
        const BitmapPtr turned = Turn(picture.get(), turn);
        EXPECT_EQ(FreeImage_GetMetadataCount(FIMD_COMMENTS, turned.get()), 0u) << Name(turn);
    }
}

// A bitmap that claims to be 2e9 pixels square but holds no pixels: no turned
// copy of it can ever be allocated.
BitmapPtr UnallocatablePicture()
{
    BYTE header[54] = {'B', 'M'};
    const auto put = [&](int at, uint32_t value, int bytes) { std::memcpy(header + at, &value, size_t(bytes)); };
    put(2, sizeof header, 4);
    put(10, sizeof header, 4);
    put(14, 40, 4);
    put(18, 2000000000, 4);
    put(22, 2000000000, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    FIMEMORY* memory = FreeImage_OpenMemory(header, sizeof header);
    BitmapPtr dib(FreeImage_LoadFromMemory(FIF_BMP, memory, FIF_LOAD_NOPIXELS));
    FreeImage_CloseMemory(memory);
    return dib;
}

TEST(TurnPicture, NullWhenTheTurnedCopyCannotBeAllocated)
{
    const BitmapPtr picture = UnallocatablePicture();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(Turn(picture.get(), QuarterTurn::Left), nullptr);
    EXPECT_EQ(Turn(picture.get(), QuarterTurn::Right), nullptr);
}

// The commands, in a window whose client area is 1918 by 1018.
class RotateCommandTest : public ::testing::Test {
protected:
    void SetUp() override { session.SetClientSize(1918, 1018); }

    void Open(FIBITMAP* picture)
    {
        static const QString folder = MakeScratchFolder(QStringLiteral("rotation"));
        const QString path = folder + "/picture.bmp";
        ASSERT_TRUE(FreeImage_Save(FIF_BMP, picture, QFile::encodeName(path).constData(), 0));
        session.dialogs.ChooseFile(path);
        session.Command(ID_FILE_OPEN);
        ASSERT_NE(doc()->m_picture, nullptr);
        ASSERT_FALSE(doc()->IsModified());
    }
    CVeilcutDoc* doc() const { return session.doc(); }
    CVeilcutView* view() const { return session.view(); }

    AppSession session;
};

struct TurnCase {
    const char* name;
    Size picture;
    UINT command;
    CRect offset;        // the ellipse relative to the display origin before the turn
    CRect displayRect;   // worked out by hand for the turned picture
};

void PrintTo(const TurnCase& c, std::ostream* out) { *out << c.name; }

const TurnCase kTurnCases[] = {
    {"landscape turned left", {3264, 2448}, ID_ROTATE_LEFT, {-300, 20, 300, 200}, {577, 0, 1341, 1018}},
    // Sticking out of the narrower picture, it is kept all the same.
    {"landscape turned right", {3264, 2448}, ID_ROTATE_RIGHT, {-450, 20, 300, 200}, {577, 0, 1341, 1018}},
    {"square turned left", {600, 600}, ID_ROTATE_LEFT, {-100, 10, 100, 300}, {450, 0, 1468, 1018}},
    // 5 wide and 7 high after the turn: scale 1018 / 7, left 595.43, right 1323.07.
    {"small turned right", {7, 5}, ID_ROTATE_RIGHT, {-50, 50, 50, 200}, {595, 0, 1323, 1018}},
    {"small turned left", {7, 5}, ID_ROTATE_LEFT, {-363, 0, 363, 1017}, {595, 0, 1323, 1018}},
};

// The burnt rectangle of a picture W by H, columns and scan lines from the
// bottom, as the pixels of the turn carry it: turned left, a point (x, y)
// goes to (H - y, x); turned right to (y, W - x).
PictureEllipse TurnedBurn(const PictureEllipse& e, UINT command, int W, int H)
{
    if (command == ID_ROTATE_LEFT)
        return {H - e.y1, e.x0, H - e.y0, e.x1};
    return {e.y0, W - e.x1, e.y1, W - e.x0};
}

class RotateCommandCases : public RotateCommandTest, public ::testing::WithParamInterface<TurnCase> {};

TEST_P(RotateCommandCases, TurnsLaysOutAnewCarriesTheEllipseAndMarksModified)
{
    const TurnCase& c = GetParam();
    // Pixel by pixel only where that is quick; the large pictures are there for the layout.
    const bool small = c.picture.width * c.picture.height <= 10000;
    const BitmapPtr original = small ? MakeNoisePicture(c.picture.width, c.picture.height, 3)
                                     : BitmapPtr(FreeImage_Allocate(int(c.picture.width), int(c.picture.height), 24));
    Open(original.get());
    CRect ellipse = c.offset;
    ellipse.OffsetRect(view()->m_origin);
    view()->PlaceSelected(ellipse);
    const PictureEllipse before = doc()->PictureEllipses().at(0);

    session.Command(c.command);

    ASSERT_NE(doc()->m_picture, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(doc()->m_picture.get()), c.picture.height);
    EXPECT_EQ(FreeImage_GetHeight(doc()->m_picture.get()), c.picture.width);
    if (small) {
        const QuarterTurn turn = c.command == ID_ROTATE_LEFT ? QuarterTurn::Left : QuarterTurn::Right;
        const BitmapPtr expected(TurnPixelByPixel(original.get(), turn));
        EXPECT_EQ(DescribeDifference(expected.get(), doc()->m_picture.get()), "");
    }
    EXPECT_TRUE(doc()->IsModified());
    EXPECT_EQ(doc()->m_pictureRect, CRect(0, 0, int(c.picture.height), int(c.picture.width)));
    EXPECT_EQ(view()->m_displayRect, c.displayRect);
    EXPECT_EQ(view()->m_origin, CPoint(959, 0));
    EXPECT_EQ(doc()->PictureEllipses().at(0),
              TurnedBurn(before, c.command, int(c.picture.width), int(c.picture.height)));
    ASSERT_FALSE(doc()->m_display.isNull());
    EXPECT_EQ(doc()->m_display.width(), c.displayRect.Width());
    EXPECT_EQ(doc()->m_display.height(), c.displayRect.Height());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Rotation, RotateCommandCases, ::testing::ValuesIn(kTurnCases));

struct DocumentState {
    FIBITMAP* picture;
    qint64 display;
    BOOL modified;
    CRect pictureRect, displayRect, ellipse;
    double scale;
    bool operator==(const DocumentState&) const = default;
};

DocumentState StateOf(CVeilcutDoc* doc, CVeilcutView* view)
{
    return {doc->m_picture.get(), doc->m_display.cacheKey(), doc->IsModified(), doc->m_pictureRect,
            view->m_displayRect, view->SelectedRect(), doc->m_scale};
}

// Through the menu, the toolbar and the accelerators, and straight from the view's keys.
void ExpectNoEffect(AppSession& session)
{
    struct Way { const char* name; std::function<void()> turn; };
    const Way ways[] = {
        {"Rotate Left command", [&] { session.Command(ID_ROTATE_LEFT); }},
        {"Rotate Right command", [&] { session.Command(ID_ROTATE_RIGHT); }},
        {"OnRotateLeft", [&] { session.doc()->OnRotateLeft(); }},
        {"OnRotateRight", [&] { session.doc()->OnRotateRight(); }},
    };
    const DocumentState before = StateOf(session.doc(), session.view());
    for (const Way& way : ways) {
        way.turn();
        EXPECT_TRUE(StateOf(session.doc(), session.view()) == before) << way.name;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << way.name;
    }
}

TEST_F(RotateCommandTest, NothingHappensWithoutAPicture)
{
    ASSERT_EQ(doc()->m_picture, nullptr);
    ExpectNoEffect(session);
    EXPECT_FALSE(doc()->IsModified());
}

TEST_F(RotateCommandTest, DocumentStaysAsItWasWhenTheTurnCannotBeAllocated)
{
    const BitmapPtr original = MakeNoisePicture(40, 30, 5);
    Open(original.get());
    doc()->m_picture = UnallocatablePicture();
    ExpectNoEffect(session);
    EXPECT_FALSE(doc()->IsModified());
}

} // namespace
