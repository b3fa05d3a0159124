#include "tests/AppSession.h"
#include "tests/GeometryPrinting.h"
#include "tests/TestPictures.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "faces/FaceCoverage.h"
#include "faces/FaceMessages.h"
#include "resources/resource.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Finds the given faces but those whose centre pixel is the mask gray, as a
// real detector no longer finds a face hidden by a burnt ellipse.
struct GivenFaces : CFaceDetector {
    GivenFaces(std::vector<FaceBox> faces, int* searches) : faces(std::move(faces)), searches(searches) {}
    FaceSearch Find(FIBITMAP* picture, const FaceProgress&) override
    {
        ++*searches;
        FaceSearch found;
        for (const FaceBox& f : faces) {
            const unsigned row = FreeImage_GetHeight(picture) - 1 - unsigned(f.top + f.height / 2);
            if (!(PixelAt(picture, unsigned(f.left + f.width / 2), row) == Bgr{153, 153, 153}))
                found.faces.push_back(f);
        }
        return found;
    }
    std::vector<FaceBox> faces;
    int* searches;
};

// Steps: where the ellipse is after a press of F, or a Save As, or a quarter turn right.
const CRect kSaveAs(-1, -1, -1, -1), kTurn(-2, -2, -2, -2);
struct FaceCase {
    const char* name;
    unsigned w, h;   // the picture, in a 640 by 480 client area
    std::vector<FaceBox> faces;
    std::vector<CRect> steps;
    int searches;
};
void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.name; }

// Box (l, t, w, h) gives the picture ellipse x = l + w/2 -+ 0.75 w, y = t + 0.35 h -+ h,
// mapped through the layout and moved inside the display rectangle; a profile's
// moves 0.1 w toward the back of the head, along the face when it lies.
const FaceCase kCases[] = {
    {"LargestFirstThenLeftToRightThenAround", 640, 480, {{400, 100, 40, 40}, {200, 200, 80, 80}, {100, 100, 40, 40}},
     {{180, 148, 300, 308}, {90, 74, 150, 154}, {390, 74, 450, 154}, {180, 148, 300, 308}}, 1},
    {"MovedInsideAtTheCorners", 640, 480, {{0, 0, 40, 40}, {600, 440, 40, 40}}, {{0, 0, 60, 80}, {579, 399, 639, 479}}, 1},
    {"ProfileLookingLeft", 640, 480, {{200, 200, 80, 80, 0, -1}}, {{188, 148, 308, 308}}, 1},
    {"ProfileLookingRight", 640, 480, {{200, 200, 80, 80, 0, 1}}, {{172, 148, 292, 308}}, 1},
    // Crown to the left, nose up: the ellipse is wide, toward the crown and down.
    {"ProfileLyingOnItsSide", 640, 480, {{200, 200, 80, 80, 1, 1}}, {{148, 188, 308, 308}}, 1},
    {"TallerThanThePictureTakesItsHeight", 640, 480, {{120, 40, 400, 400}}, {{20, 0, 620, 479}}, 1},
    // Scale 0.5: (380, 348)-(500, 508) in picture pixels.
    {"HalfScale", 1280, 960, {{400, 400, 80, 80}}, {{190, 174, 250, 254}}, 1},
    // Display rectangle (80, 0, 560, 480), not the client area, holds it.
    {"InsideTheDisplayRectangle", 480, 480, {{0, 200, 40, 40}}, {{80, 174, 140, 254}}, 1},
    {"HiddenFaceNotFoundAfterSave", 640, 480, {{400, 100, 40, 40}, {200, 200, 80, 80}, {100, 100, 40, 40}},
     {{180, 148, 300, 308}, kSaveAs, {90, 74, 150, 154}, {390, 74, 450, 154}, {90, 74, 150, 154}}, 2},
    // Turned to 480 by 640: scale 0.75, display rectangle (140, 0, 500, 480).
    {"SearchedAgainAfterATurn", 640, 480, {{100, 100, 40, 40}},
     {{90, 74, 150, 154}, {90, 74, 150, 154}, kTurn, {208, 56, 253, 116}}, 2},
    // No face: the default ellipse under the origin (320, 0) stays, and the user is told each time.
    {"NoFaceLeavesTheEllipse", 640, 480, {}, {{270, 50, 370, 200}, {270, 50, 370, 200}}, 1},
};

class FaceFinding : public ::testing::TestWithParam<FaceCase> {};

TEST_P(FaceFinding, EllipseGoesOverEachFaceInTurn)
{
    const FaceCase& c = GetParam();
    AppSession session;
    session.LayOutBlankPicture(640, 480, c.w, c.h);
    int searches = 0;
    session.doc()->m_faces.UseDetector(std::make_unique<GivenFaces>(c.faces, &searches));
    for (const CRect& step : c.steps) {
        if (step == kSaveAs) {
            session.dialogs.ChooseFile(MakeScratchFolder(QString::fromLatin1(c.name)) + QStringLiteral("/saved.bmp"));
            session.dialogs.AnswerMessage(IDYES);   // faces left uncovered are saved as they are
            session.Command(ID_FILE_SAVE_AS);
        } else if (step == kTurn) {
            QTest::keyClick(session.view(), Qt::Key_Right);
        } else {
            const BOOL modified = session.doc()->IsModified();
            QTest::keyClick(session.view(), Qt::Key_F);
            EXPECT_EQ(session.view()->SelectedRect(), step);
            EXPECT_EQ(session.doc()->IsModified(), modified);
        }
    }
    EXPECT_EQ(searches, c.searches);
    const auto noFace = std::count_if(session.dialogs.messages.begin(), session.dialogs.messages.end(),
                                      [](const auto& shown) { return shown.text == FaceMessages::NoFace(); });
    EXPECT_EQ(size_t(noFace), c.faces.empty() ? c.steps.size() : 0u);
    for (const auto& shown : session.dialogs.messages)
        EXPECT_TRUE(shown.arrowCursor);
}

// Without its model file F says so once per press and leaves the ellipse.
TEST(FaceFindingWithoutModel, SaysTheModelIsMissing)
{
    AppSession session;
    session.LayOutBlankPicture(640, 480, 640, 480);
    const QString path = QStringLiteral("/nonexistent/face.onnx");
    session.doc()->m_faces.UseDetector(MakeFaceDetector(kSmallestFaceShare, path));
    const CoveredAreas before = session.doc()->m_covered;
    QTest::keyClick(session.view(), Qt::Key_F);
    EXPECT_EQ(session.doc()->m_covered, before);
    ASSERT_EQ(session.dialogs.messages.size(), 1u);
    EXPECT_EQ(session.dialogs.messages[0].text, FaceMessages::ModelMissing(path));
}

INSTANTIATE_TEST_SUITE_P(GivenBoxes, FaceFinding, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Shift+F or Edit > Cover every face on a 640 by 480 picture shown at scale 1,
// after a few presses of F; ellipses over A (400, 100, 40, 40), B (200, 200,
// 80, 80) and C (100, 100, 40, 40) as F places them.
const CRect kOverA(390, 74, 450, 154), kOverB(180, 148, 300, 308), kOverC(90, 74, 150, 154);
const std::vector<FaceBox> kThreeFaces = {{400, 100, 40, 40}, {200, 200, 80, 80}, {100, 100, 40, 40}};
struct CoverCase {
    const char* name;
    std::vector<FaceBox> faces;
    int presses;   // of F first
    bool byMenu;
    int times;
    std::vector<CRect> shown;
    std::size_t selected;
};
const CoverCase kCovers[] = {
    {"UntouchedEllipseGoesToTheLargestFace", kThreeFaces, 0, false, 1, {kOverB, kOverC, kOverA}, 2},
    {"ThroughTheMenu", kThreeFaces, 0, true, 1, {kOverB, kOverC, kOverA}, 2},
    {"AgainAddsNothing", kThreeFaces, 0, false, 2, {kOverB, kOverC, kOverA}, 2},
    {"CoveredFacesAreLeftAlone", kThreeFaces, 2, false, 1, {kOverC, kOverB, kOverA}, 2},
    {"NoFaceChangesNothing", {}, 0, false, 1, {{270, 50, 370, 200}}, 0},
};

TEST(CoverEveryFace, OneEllipseOverEachFaceNotYetCovered)
{
    for (const CoverCase& c : kCovers) {
        SCOPED_TRACE(c.name);
        AppSession session;
        session.LayOutBlankPicture(640, 480, 640, 480);
        int searches = 0;
        session.doc()->m_faces.UseDetector(std::make_unique<GivenFaces>(c.faces, &searches));
        for (int i = 0; i < c.presses; ++i)
            QTest::keyClick(session.view(), Qt::Key_F);
        for (int i = 0; i < c.times; ++i) {
            if (c.byMenu)
                session.Command(ID_EDIT_COVER_FACES);
            else
                QTest::keyClick(session.view(), Qt::Key_F, Qt::ShiftModifier);
        }
        EXPECT_EQ(session.view()->EllipseRects(), c.shown);
        EXPECT_EQ(session.doc()->m_covered.selected, c.selected);
        EXPECT_EQ(searches, 1);
        EXPECT_FALSE(session.doc()->IsModified());
        ASSERT_EQ(session.dialogs.messages.size(), c.faces.empty() ? size_t(c.times) : 0u);
        for (const auto& shown : session.dialogs.messages)
            EXPECT_EQ(shown.text, FaceMessages::NoFace());
    }
}

// Two saves of a picture with the given faces, F pressed first or not, the
// first question answered as given.
struct SaveCheckCase {
    const char* name;
    std::vector<FaceBox> faces;
    bool pressF;
    int answer;
    bool firstWritten;
    size_t questions;
    size_t ellipses;   // after both saves
    int searches;
};
void PrintTo(const SaveCheckCase& c, std::ostream* os) { *os << c.name; }

const SaveCheckCase kSaveChecks[] = {
    // The burn of the first save makes the second search again.
    {"CoveredFaceSavesWithoutAsking", {{200, 200, 80, 80}}, true, IDNO, true, 0, 1, 2},
    {"YesWritesAndAsksNoMore", {{200, 200, 80, 80}, {400, 100, 40, 40}, {500, 300, 40, 40}}, true, IDYES, true, 1, 1, 1},
    {"NoCancelsAndCoversTheFirstUncovered", {{200, 200, 80, 80}, {400, 100, 40, 40}}, true, IDNO, false, 1, 2, 1},
    {"SearchedAtSaveWhenFWasNotPressed", {{400, 100, 40, 40}}, false, IDNO, false, 1, 2, 1},
};

class SaveCheck : public ::testing::TestWithParam<SaveCheckCase> {};

TEST_P(SaveCheck, AsksAboutUncoveredFacesOnce)
{
    const SaveCheckCase& c = GetParam();
    AppSession session;
    session.LayOutBlankPicture(640, 480, 640, 480);
    int searches = 0;
    session.doc()->m_faces.UseDetector(std::make_unique<GivenFaces>(c.faces, &searches));
    if (c.pressF)
        QTest::keyClick(session.view(), Qt::Key_F);
    const QString folder = MakeScratchFolder(QString::fromLatin1(c.name));
    session.dialogs.AnswerMessage(c.answer);
    for (const QString& name : {QStringLiteral("/first.bmp"), QStringLiteral("/second.bmp")}) {
        session.dialogs.ChooseFile(folder + name);
        session.Command(ID_FILE_SAVE_AS);
    }
    EXPECT_EQ(QFile::exists(folder + QStringLiteral("/first.bmp")), c.firstWritten);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/second.bmp")));
    const auto questions = std::count_if(session.dialogs.messages.begin(), session.dialogs.messages.end(),
                                         [](const auto& shown) { return shown.text.endsWith(QStringLiteral("Save anyway?")); });
    EXPECT_EQ(size_t(questions), c.questions);
    const CoveredAreas& covered = session.doc()->m_covered;
    EXPECT_EQ(covered.ellipses.size(), c.ellipses);
    if (!c.firstWritten) {
        // The new ellipse is the selected one, over the first face left uncovered.
        const FaceBox& first = c.pressF ? c.faces[1] : c.faces[0];
        EXPECT_EQ(covered.selected, std::optional<std::size_t>(covered.ellipses.size() - 1));
        const CRect& picture = session.doc()->m_pictureRect;
        const unsigned w = unsigned(picture.Width()), h = unsigned(picture.Height());
        EXPECT_GE(CoveredShare(first, {MapEllipseToPicture(covered.ellipses.back(), h)}, w, h), kCoveredShare);
    }
    EXPECT_EQ(searches, c.searches);
}

INSTANTIATE_TEST_SUITE_P(GivenBoxes, SaveCheck, ::testing::ValuesIn(kSaveChecks),
                         [](const auto& info) { return std::string(info.param.name); });

// Stops a search at its first report, or never.
struct GivenAnswer : CSearchProgress {
    explicit GivenAnswer(bool goOn) : goOn(goOn) {}
    bool Update(double) override { return goOn; }
    bool goOn;
};

// Cancelling the search leaves the ellipses and says nothing; the next F searches anew.
TEST(FaceFindingProgress, CancelLeavesTheEllipses)
{
    AppSession session;
    session.LayOutBlankPicture(640, 480, 640, 480);
    CFaceCycle& faces = session.doc()->m_faces;
    // The program's own search, which reports how far it got.
    faces.UseDetector(MakeFaceDetector());
    const CoveredAreas before = session.doc()->m_covered;
    for (const bool goOn : {false, true}) {
        faces.UseProgress([goOn] { return std::make_unique<GivenAnswer>(goOn); });
        QTest::keyClick(session.view(), Qt::Key_F);
        EXPECT_EQ(session.doc()->m_covered, before);
        EXPECT_EQ(faces.Searched(), goOn);
        EXPECT_EQ(session.dialogs.messages.size(), goOn ? 1u : 0u);
    }
}

} // namespace
