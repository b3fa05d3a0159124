#include "tests/AppSession.h"
#include "tests/GeometryPrinting.h"
#include "tests/TestPictures.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "faces/FaceMessages.h"
#include "resources/resource.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

// Finds the given faces except those whose centre pixel is the mask gray,
// as a real detector no longer finds a face hidden by a burnt ellipse.
class GivenFaces : public CFaceDetector {
public:
    GivenFaces(std::vector<FaceBox> faces, int* searches) : m_faces(std::move(faces)), m_searches(searches) {}
    FaceSearch Find(FIBITMAP* picture) override
    {
        ++*m_searches;
        FaceSearch search;
        const unsigned h = FreeImage_GetHeight(picture);
        for (const FaceBox& f : m_faces) {
            const Bgr centre = PixelAt(picture, unsigned(f.left + f.width / 2), h - 1 - unsigned(f.top + f.height / 2));
            if (!(centre == Bgr{153, 153, 153}))
                search.faces.push_back(f);
        }
        return search;
    }

private:
    std::vector<FaceBox> m_faces;
    int* m_searches;
};

enum class Act { PressF, SaveAs, TurnRight };
struct Step {
    Act act;
    CRect ellipse;   // after a press: where the ellipse is
};
struct FaceCase {
    const char* name;
    unsigned w, h;   // the picture, shown in a 640 by 480 client area
    std::vector<FaceBox> faces;
    std::vector<Step> steps;
    int searches;
};

// A box (l, t, w, h) grows to x from l + w/2 - 0.75 w to l + w/2 + 0.75 w and
// y from t + 0.35 h - h to t + 0.35 h + h around the raised centre, in picture
// pixels; then it is mapped through the layout and moved inside the display rectangle.
const FaceCase kCases[] = {
    {"LargestFirstThenLeftToRightThenAround", 640, 480,
     {{400, 100, 40, 40}, {200, 200, 80, 80}, {100, 100, 40, 40}},
     {{Act::PressF, {180, 148, 300, 308}}, {Act::PressF, {90, 74, 150, 154}},
      {Act::PressF, {390, 74, 450, 154}}, {Act::PressF, {180, 148, 300, 308}}},
     1},
    {"MovedInsideAtTheCorners", 640, 480,
     {{0, 0, 40, 40}, {600, 440, 40, 40}},
     {{Act::PressF, {0, 0, 60, 80}}, {Act::PressF, {579, 399, 639, 479}}},
     1},
    {"TallerThanThePictureTakesItsHeight", 640, 480, {{120, 40, 400, 400}}, {{Act::PressF, {20, 0, 620, 479}}}, 1},
    // Scale 0.5: (380, 348)-(500, 508) in picture pixels.
    {"HalfScale", 1280, 960, {{400, 400, 80, 80}}, {{Act::PressF, {190, 174, 250, 254}}}, 1},
    // Display rectangle (80, 0, 560, 480): moved inside it, not just inside the client area.
    {"InsideTheDisplayRectangle", 480, 480, {{0, 200, 40, 40}}, {{Act::PressF, {80, 174, 140, 254}}}, 1},
    // The first face is burnt in by the save; the new search finds the other two only.
    {"HiddenFaceNotFoundAfterSave", 640, 480,
     {{400, 100, 40, 40}, {200, 200, 80, 80}, {100, 100, 40, 40}},
     {{Act::PressF, {180, 148, 300, 308}}, {Act::SaveAs, {}}, {Act::PressF, {90, 74, 150, 154}},
      {Act::PressF, {390, 74, 450, 154}}, {Act::PressF, {90, 74, 150, 154}}},
     2},
    // Turned to 480 by 640: scale 0.75, display rectangle (140, 0, 500, 480).
    {"SearchedAgainAfterATurn", 640, 480, {{100, 100, 40, 40}},
     {{Act::PressF, {90, 74, 150, 154}}, {Act::PressF, {90, 74, 150, 154}}, {Act::TurnRight, {}},
      {Act::PressF, {208, 56, 253, 116}}},
     2},
};

void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.name; }

class FaceFinding : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FaceFinding, EllipseGoesOverEachFaceInTurn)
{
    const FaceCase& c = GetParam();
    AppSession session;
    session.LayOutBlankPicture(640, 480, c.w, c.h);
    int searches = 0;
    session.doc()->m_faces.UseDetector(std::make_unique<GivenFaces>(c.faces, &searches));
    const QString folder = MakeScratchFolder(QString::fromLatin1(c.name));
    for (size_t i = 0; i < c.steps.size(); ++i) {
        const Step& step = c.steps[i];
        SCOPED_TRACE(i);
        if (step.act == Act::SaveAs) {
            session.dialogs.ChooseFile(folder + QStringLiteral("/saved.bmp"));
            session.Command(ID_FILE_SAVE_AS);
            continue;
        }
        if (step.act == Act::TurnRight) {
            QTest::keyClick(session.view(), Qt::Key_Right);
            continue;
        }
        const BOOL modified = session.doc()->IsModified();
        QTest::keyClick(session.view(), Qt::Key_F);
        EXPECT_EQ(session.view()->m_ellipse, step.ellipse);
        EXPECT_EQ(session.doc()->IsModified(), modified);
    }
    EXPECT_EQ(searches, c.searches);
    EXPECT_TRUE(session.dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(GivenBoxes, FaceFinding, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FaceFindingNone, EllipseStaysAndTheUserIsTold)
{
    AppSession session;
    session.LayOutBlankPicture(640, 480, 640, 480);
    int searches = 0;
    session.doc()->m_faces.UseDetector(std::make_unique<GivenFaces>(std::vector<FaceBox>{}, &searches));
    const CRect before = session.view()->m_ellipse;
    QTest::keyClick(session.view(), Qt::Key_F);
    QTest::keyClick(session.view(), Qt::Key_F);
    EXPECT_EQ(session.view()->m_ellipse, before);
    EXPECT_EQ(searches, 1);
    ASSERT_EQ(session.dialogs.messages.size(), 2u);
    EXPECT_EQ(session.dialogs.messages[0].text, FaceMessages::NoFace());
    EXPECT_EQ(session.dialogs.messages[0].caption, QStringLiteral("Veilcut"));
    EXPECT_EQ(session.dialogs.messages[0].type, UINT(MB_OK));
    EXPECT_TRUE(session.dialogs.messages[0].arrowCursor);
}

} // namespace
