#include "tests/AppSession.h"
#include "tests/JpegInspection.h"
#include "tests/TestPictures.h"

#include "app/MainFrm.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const Bgr kGray{153, 153, 153};
const QString kSaveError = QStringLiteral("Can't save picture,\n unknown error.");
const QString kUnsupported =
    QStringLiteral("Can't save picture, unsupported format.\n (supported: .bmp, .BMP, .jpg or .JPG)");

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

BitmapPtr Load(const QString& path)
{
    return PlainLoad(FreeImage_GetFileType(QFile::encodeName(path).constData(), 0), path);
}

BitmapPtr Clone(FIBITMAP* dib) { return BitmapPtr(FreeImage_Clone(dib)); }

int CountDifferences(FIBITMAP* a, FIBITMAP* b)
{
    int count = 0;
    for (unsigned y = 0; y < FreeImage_GetHeight(a); ++y)
        for (unsigned x = 0; x < FreeImage_GetWidth(a); ++x)
            count += !(PixelAt(a, x, y) == PixelAt(b, x, y));
    return count;
}

class SaveCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString name = QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
        folder = MakeScratchFolder(name.replace(QLatin1Char('/'), QLatin1Char('_')));
    }
    // A 400x300 picture shown at scale 2 over the whole 800x600 client.
    void ShowPicture()
    {
        session.SetClientSize(800, 600);
        original = MakeNoisePicture(400, 300, 7);
        doc()->m_picture.reset(FreeImage_Clone(original.get()));
        doc()->FitToView();
        doc()->m_fileName = QStringLiteral("face.jpg");
        ASSERT_EQ(session.view()->m_displayRect, CRect(0, 0, 800, 600));
        ASSERT_DOUBLE_EQ(doc()->m_scale, 2.0);
        // Maps to x0 = trunc(101/2 + .5) = 51, y0 = trunc((600-261)/2 + .5) = 170,
        // x1 = trunc(301/2 + .5) = 151, y1 = trunc((600-99)/2 + .5) = 251.
        session.view()->PlaceSelected(CRect(101, 99, 301, 261));
    }
    CVeilcutDoc* doc() const { return session.doc(); }
    QString Path(const char* name) const { return folder + QLatin1Char('/') + QLatin1String(name); }

    AppSession session;
    QString folder;
    BitmapPtr original;
};

TEST_F(SaveCommandTest, SaveAsAsksWithTheSaveDialogAndRemembersTheFolder)
{
    ShowPicture();
    doc()->m_saveDir = QStringLiteral("/somewhere/else/");
    const CString title = doc()->GetTitle();
    session.dialogs.CancelFileDialog();
    session.Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(session.dialogs.fileDialogs.size(), 1u);
    EXPECT_TRUE(session.dialogs.messages.empty());
    EXPECT_EQ(DescribeDifference(original.get(), doc()->m_picture.get()), "");
    EXPECT_EQ(doc()->m_saveDir, QStringLiteral("/somewhere/else/"));
    EXPECT_TRUE(Entries(folder).isEmpty());

    session.dialogs.ChooseFile(Path("out.bmp"));
    session.Command(ID_FILE_SAVE_AS);
    ASSERT_EQ(session.dialogs.fileDialogs.size(), 2u);
    const FileDialogRequest& request = session.dialogs.fileDialogs[1];
    EXPECT_FALSE(request.open);
    EXPECT_EQ(request.defaultExtension, QStringLiteral("jpg"));
    EXPECT_EQ(request.fileName, QStringLiteral("face.jpg"));
    EXPECT_EQ(request.filter, QStringLiteral("Pict Files (*.jpg)|*.jpg|Pict Files (*.bmp)|*.bmp||"));
    EXPECT_TRUE(request.flags & OFN_OVERWRITEPROMPT);
    EXPECT_EQ(request.initialFolder, QStringLiteral("/somewhere/else/"));
    EXPECT_EQ(Entries(folder), QStringList({"out.bmp"}));
    EXPECT_EQ(doc()->m_saveDir, folder + QLatin1Char('/'));
    EXPECT_EQ(doc()->m_fileName, QStringLiteral("face.jpg"));
    EXPECT_EQ(doc()->GetTitle(), title);

    // A refused name still moves the folder on.
    const QString other = MakeScratchFolder(QStringLiteral("SaveAsOther"));
    session.dialogs.ChooseFile(other + QStringLiteral("/out.png"));
    session.Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(doc()->m_saveDir, other + QLatin1Char('/'));
    EXPECT_TRUE(Entries(other).isEmpty());
}

TEST_F(SaveCommandTest, SuffixChoosesTheFormatByteForByte)
{
    ShowPicture();
    const struct {
        const char* name;
        FREE_IMAGE_FORMAT format;   // FIF_UNKNOWN: refused
    } cases[] = {{"a.bmp", FIF_BMP},   {"b.BMP", FIF_BMP},      {"c.jpg", FIF_JPEG},    {"d.JPG", FIF_JPEG},
                 {"e.jpeg", FIF_UNKNOWN}, {"f.Jpg", FIF_UNKNOWN}, {"g.png", FIF_UNKNOWN}, {"x", FIF_UNKNOWN}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        session.dialogs.messages.clear();
        doc()->SetModifiedFlag(TRUE);
        const BitmapPtr before = Clone(doc()->m_picture.get());
        const BOOL saved = doc()->OnSaveDocument(Path(c.name));
        if (c.format == FIF_UNKNOWN) {
            EXPECT_FALSE(saved);
            ASSERT_EQ(session.dialogs.messages.size(), 1u);
            EXPECT_EQ(session.dialogs.messages[0].text, kUnsupported);
            EXPECT_EQ(session.dialogs.messages[0].type, UINT(MB_OK));
            EXPECT_EQ(DescribeDifference(before.get(), doc()->m_picture.get()), "");
            EXPECT_TRUE(doc()->IsModified());
            EXPECT_FALSE(QFile::exists(Path(c.name)));
        } else {
            EXPECT_TRUE(saved);
            EXPECT_TRUE(session.dialogs.messages.empty());
            EXPECT_FALSE(doc()->IsModified());
            EXPECT_EQ(FreeImage_GetFileType(QFile::encodeName(Path(c.name)).constData(), 0), c.format);
        }
    }
}

TEST_F(SaveCommandTest, SavedFileCarriesTheEllipseMappedToPicturePixels)
{
    ShowPicture();
    // Display pixel under the ellipse centre (201, 180): (201, 600 - 1 - 180).
    ASSERT_NE(PixelAt(doc()->m_display.get(), 201, 419), kGray);
    session.dialogs.ChooseFile(Path("one.bmp"));
    session.Command(ID_FILE_SAVE_AS);

    BitmapPtr expected = Clone(original.get());
    PaintExpectedEllipse(expected.get(), 51, 170, 151, 251);
    const BitmapPtr saved = Load(Path("one.bmp"));
    ASSERT_TRUE(saved);
    EXPECT_EQ(DescribeDifference(expected.get(), saved.get()), "");
    EXPECT_EQ(DescribeDifference(expected.get(), doc()->m_picture.get()), "");
    // About pi * 50 * 40.5 pixels turn gray, the ellipse's bounding box corners do not.
    const int burnt = CountDifferences(original.get(), saved.get());
    EXPECT_NEAR(burnt, 3.14159 * 50 * 40.5, 400);
    EXPECT_EQ(PixelAt(saved.get(), 101, 210), kGray);
    EXPECT_EQ(PixelAt(saved.get(), 52, 172), PixelAt(original.get(), 52, 172));
    EXPECT_EQ(PixelAt(saved.get(), 150, 250), PixelAt(original.get(), 150, 250));
    EXPECT_EQ(PixelAt(doc()->m_display.get(), 201, 419), kGray);

    // Moved and saved again: both ellipses end up in the picture and the second file.
    session.view()->PlaceSelected(CRect(500, 300, 700, 500));   // (250, 50) - (350, 150)
    session.dialogs.ChooseFile(Path("two.bmp"));
    session.Command(ID_FILE_SAVE_AS);
    PaintExpectedEllipse(expected.get(), 250, 50, 350, 150);
    const BitmapPtr second = Load(Path("two.bmp"));
    ASSERT_TRUE(second);
    EXPECT_EQ(DescribeDifference(expected.get(), second.get()), "");
    EXPECT_EQ(DescribeDifference(expected.get(), doc()->m_picture.get()), "");
    EXPECT_EQ(Entries(folder), QStringList({"one.bmp", "two.bmp"}));
}

TEST_F(SaveCommandTest, FailedWriteKeepsTheModifiedFlagAndLeavesNoFile)
{
    ShowPicture();
    QFile plain(Path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("not a folder");
    plain.close();
    ASSERT_TRUE(QDir().mkpath(Path("taken.bmp")));
    QFile kept(Path("taken.bmp/keep.txt"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("keep");
    kept.close();

    for (const char* name : {"missing/out.bmp", "plain/out.bmp", "taken.bmp"}) {
        SCOPED_TRACE(name);
        session.dialogs.messages.clear();
        doc()->SetModifiedFlag(TRUE);
        EXPECT_FALSE(doc()->OnSaveDocument(Path(name)));
        ASSERT_EQ(session.dialogs.messages.size(), 1u);
        EXPECT_EQ(session.dialogs.messages[0].text, kSaveError);
        EXPECT_EQ(session.dialogs.messages[0].type, UINT(MB_OK));
        EXPECT_TRUE(doc()->IsModified());
        EXPECT_EQ(PixelAt(doc()->m_picture.get(), 101, 210), kGray);
        EXPECT_EQ(PixelAt(doc()->m_display.get(), 201, 419), kGray);
        EXPECT_EQ(Entries(folder), QStringList({"plain", "taken.bmp"}));
    }
    EXPECT_EQ(Entries(Path("taken.bmp")), QStringList({"keep.txt"}));

    EXPECT_TRUE(doc()->OnSaveDocument(Path("ok.bmp")));
    EXPECT_FALSE(doc()->IsModified());
    EXPECT_EQ(Entries(folder), QStringList({"ok.bmp", "plain", "taken.bmp"}));
}

TEST_F(SaveCommandTest, SavedJpegCarriesNoMetadataOfTheOriginal)
{
    const QString source = Path("camera.jpg");
    {
        BitmapPtr dib = MakeNoisePicture(120, 90, 3);
        AttachEverything(dib.get());
        ASSERT_TRUE(FreeImage_Save(FIF_JPEG, dib.get(), QFile::encodeName(source).constData(), 0));
        const BitmapPtr check = Load(source);
        ASSERT_TRUE(check);
        ASSERT_GT(FreeImage_GetMetadataCount(FIMD_EXIF_GPS, check.get()), 0u);
        ASSERT_GT(FreeImage_GetMetadataCount(FIMD_COMMENTS, check.get()), 0u);
        ASSERT_GT(FreeImage_GetMetadataCount(FIMD_XMP, check.get()), 0u);
    }
    session.SetClientSize(800, 600);
    session.dialogs.ChooseFile(source);
    session.Command(ID_FILE_OPEN);
    ASSERT_TRUE(doc()->m_picture);
    const QString out = Path("masked.jpg");
    session.dialogs.ChooseFile(out);
    session.Command(ID_FILE_SAVE_AS);
    EXPECT_TRUE(session.dialogs.messages.empty());

    ExpectOnlyPictureMarkers(out);
    const BitmapPtr reloaded = Load(out);
    ExpectNoMetadata(reloaded.get());
}

enum class SaveDialog { NotAsked, Writable, Cancelled, RejectedSuffix, FailedWrite };
struct PromptCase {
    const char* name;
    int answer;
    SaveDialog save;
    bool openPending;
    bool returns;   // also: the document is clean afterwards
};
const PromptCase kPromptCases[] = {
    {"CancelIdle", IDCANCEL, SaveDialog::NotAsked, false, false},
    {"CancelPending", IDCANCEL, SaveDialog::NotAsked, true, false},
    {"NoIdle", IDNO, SaveDialog::NotAsked, false, true},
    {"NoPending", IDNO, SaveDialog::NotAsked, true, true},
    {"YesIdle", IDYES, SaveDialog::Writable, false, true},
    {"YesPending", IDYES, SaveDialog::Writable, true, true},
    {"YesCancelledIdle", IDYES, SaveDialog::Cancelled, false, false},
    {"YesCancelledPending", IDYES, SaveDialog::Cancelled, true, false},
    {"YesRejectedPending", IDYES, SaveDialog::RejectedSuffix, true, false},
    {"YesFailedPending", IDYES, SaveDialog::FailedWrite, true, false},
};

void PrintTo(const PromptCase& c, std::ostream* out) { *out << c.name; }

class SavePromptTest : public SaveCommandTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(SavePromptTest, AnswerDecidesWhatFollows)
{
    const PromptCase& c = GetParam();
    ShowPicture();
    doc()->SetModifiedFlag(TRUE);
    doc()->m_openPending = c.openPending;
    session.dialogs.AnswerMessage(c.answer);
    const QString target = c.save == SaveDialog::RejectedSuffix ? Path("out.png")
                         : c.save == SaveDialog::FailedWrite    ? Path("missing/out.bmp")
                                                                : Path("out.bmp");
    if (c.save == SaveDialog::Cancelled)
        session.dialogs.CancelFileDialog();
    else if (c.save != SaveDialog::NotAsked)
        session.dialogs.ChooseFile(target);

    EXPECT_EQ(bool(doc()->SaveModified()), c.returns);

    ASSERT_GE(session.dialogs.messages.size(), 1u);
    EXPECT_EQ(session.dialogs.messages[0].text, QStringLiteral("SaveAs changes, made to face.jpg ?"));
    EXPECT_EQ(session.dialogs.messages[0].type, UINT(MB_YESNOCANCEL));
    EXPECT_EQ(session.dialogs.messages[0].caption, QStringLiteral("Veilcut"));
    EXPECT_EQ(doc()->IsModified(), !c.returns);
    if (!c.returns) {
        EXPECT_FALSE(doc()->m_openPending);
    }

    std::vector<bool> dialogs;   // open flag of each file dialog, in order
    for (const FileDialogRequest& r : session.dialogs.fileDialogs)
        dialogs.push_back(r.open);
    std::vector<bool> expected;
    if (c.save != SaveDialog::NotAsked)
        expected.push_back(false);
    if (c.returns && c.openPending)
        expected.push_back(true);
    EXPECT_EQ(dialogs, expected);

    EXPECT_EQ(QFile::exists(Path("out.bmp")), c.save == SaveDialog::Writable);
    if (c.answer != IDYES) {
        EXPECT_EQ(DescribeDifference(original.get(), doc()->m_picture.get()), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, SavePromptTest, ::testing::ValuesIn(kPromptCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaveCommandTest, OpenWhileModifiedPromptsFirst)
{
    ShowPicture();
    EXPECT_TRUE(doc()->SaveModified());   // unmodified: no question at all
    EXPECT_TRUE(session.dialogs.messages.empty());
    doc()->SetModifiedFlag(TRUE);
    session.dialogs.AnswerMessage(IDCANCEL);
    session.Command(ID_FILE_OPEN);
    EXPECT_EQ(session.dialogs.messages.size(), 1u);
    EXPECT_TRUE(session.dialogs.fileDialogs.empty());
    EXPECT_TRUE(doc()->IsModified());
    EXPECT_EQ(DescribeDifference(original.get(), doc()->m_picture.get()), "");

    BitmapPtr other = MakeNoisePicture(64, 48, 11);
    ASSERT_TRUE(FreeImage_Save(FIF_BMP, other.get(), QFile::encodeName(Path("other.bmp")).constData(), 0));
    session.dialogs.AnswerMessage(IDNO);
    session.dialogs.ChooseFile(Path("other.bmp"));
    session.Command(ID_FILE_OPEN);
    EXPECT_EQ(session.dialogs.messages.size(), 2u);
    ASSERT_EQ(session.dialogs.fileDialogs.size(), 1u);
    EXPECT_TRUE(session.dialogs.fileDialogs[0].open);
    EXPECT_EQ(DescribeDifference(other.get(), doc()->m_picture.get()), "");
}

TEST_F(SaveCommandTest, ClosingTheWindowPromptsFirst)
{
    ShowPicture();
    doc()->SetModifiedFlag(TRUE);
    session.dialogs.AnswerMessage(IDCANCEL);
    session.frame()->close();
    EXPECT_EQ(session.dialogs.messages.size(), 1u);
    EXPECT_FALSE(session.frame()->IsDestroyed());

    session.dialogs.AnswerMessage(IDNO);
    session.frame()->close();
    EXPECT_EQ(session.dialogs.messages.size(), 2u);
    EXPECT_TRUE(session.frame()->IsDestroyed());
}

// Closing after an Open whose dialog was cancelled starts no other Open.
TEST_F(SaveCommandTest, ClosingAfterACancelledOpenOpensNothing)
{
    ShowPicture();
    session.dialogs.CancelFileDialog();
    session.Command(ID_FILE_OPEN);
    session.Command(ID_ROTATE_RIGHT);
    session.dialogs.AnswerMessage(IDNO);
    session.frame()->close();
    EXPECT_TRUE(session.frame()->IsDestroyed());
    EXPECT_EQ(session.dialogs.fileDialogs.size(), 1u) << "only the cancelled Open";
}

void PressCtrlS(AppSession& session)
{
    ASSERT_TRUE(ActivateAndWait(session.frame()));
    QTest::keyClick(session.frame(), Qt::Key_S, Qt::ControlModifier);
}

TEST_F(SaveCommandTest, CtrlSRunsTheFrameworkSave)
{
    // Before any picture: an error, no file, no crash.
    session.SetClientSize(400, 300);
    ASSERT_FALSE(doc()->m_picture);
    session.dialogs.ChooseFile(Path("nothing.bmp"));
    PressCtrlS(session);
    EXPECT_EQ(session.dialogs.fileDialogs.size(), 1u);
    ASSERT_EQ(session.dialogs.messages.size(), 1u);
    EXPECT_EQ(session.dialogs.messages[0].text, kSaveError);
    EXPECT_TRUE(Entries(folder).isEmpty());

    // Offered as Save As offers it, under the shown picture's folder and name;
    // a name typed without a suffix takes the selected filter's.
    ShowPicture();
    doc()->m_openDir = folder + QLatin1Char('/');
    session.dialogs.ChooseFile(Path("plain"), 1);
    PressCtrlS(session);
    ASSERT_EQ(session.dialogs.fileDialogs.size(), 2u);
    EXPECT_FALSE(session.dialogs.fileDialogs[1].open);
    EXPECT_EQ(session.dialogs.fileDialogs[1].filter, QStringLiteral("Pict Files (*.jpg)|*.jpg|Pict Files (*.bmp)|*.bmp||"));
    EXPECT_EQ(session.dialogs.fileDialogs[1].fileName, QStringLiteral("face.jpg"));
    EXPECT_EQ(session.dialogs.fileDialogs[1].initialFolder, folder + QLatin1Char('/'));
    EXPECT_EQ(Entries(folder), QStringList({"plain.bmp"}));
    EXPECT_EQ(doc()->GetPathName(), Path("plain.bmp"));
}

// Started with a picture path, as a file manager's "Open with" does.
struct CtrlSCase {
    const char* name;
    bool nameAccepted;
    int overwriteAnswer;
    bool replaced;
};
const CtrlSCase kCtrlSCases[] = {
    {"DialogCancelled", false, 0, false},
    {"OverwriteRefused", true, IDNO, false},
    {"OverwriteConfirmed", true, IDYES, true},
};
void PrintTo(const CtrlSCase& c, std::ostream* out) { *out << c.name; }

class CtrlSOverTheOpenedOriginal : public ::testing::TestWithParam<CtrlSCase> {};

TEST_P(CtrlSOverTheOpenedOriginal, ReplacesItOnlyAfterAnExplicitYes)
{
    const CtrlSCase& c = GetParam();
    const QString folder = MakeScratchFolder(QStringLiteral("CtrlS") + QLatin1String(c.name));
    const QString original = folder + QStringLiteral("/photo.bmp");
    ASSERT_TRUE(FreeImage_Save(FIF_BMP, MakeNoisePicture(200, 150, 5).get(), QFile::encodeName(original).constData(), 0));
    const QByteArray before = ReadWholeFile(original);

    AppSession session(original);
    ASSERT_TRUE(session.started());
    session.SetClientSize(400, 300);
    ASSERT_TRUE(session.doc()->m_picture);
    if (c.nameAccepted) {
        session.dialogs.ChooseFile(original);
        session.dialogs.AnswerMessage(c.overwriteAnswer);
    }
    PressCtrlS(session);

    ASSERT_GE(session.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(session.dialogs.fileDialogs[0].fileName, QStringLiteral("photo.bmp"));
    EXPECT_EQ(session.dialogs.fileDialogs[0].initialFolder, folder + QLatin1Char('/'));
    EXPECT_EQ(session.dialogs.messages.size(), c.nameAccepted ? 1u : 0u);
    EXPECT_EQ(ReadWholeFile(original) != before, c.replaced);
    if (!c.replaced)
        return;
    const CVeilcutView* view = session.view();
    const CPoint centre = view->SelectedRect().CenterPoint();
    const double scale = session.doc()->m_scale;
    const BitmapPtr saved = Load(original);
    EXPECT_EQ(PixelAt(saved.get(), unsigned((centre.x - view->m_displayRect.left) / scale),
                      unsigned((view->m_displayRect.bottom - centre.y) / scale)),
              kGray);
}

INSTANTIATE_TEST_SUITE_P(CommandLineOpen, CtrlSOverTheOpenedOriginal, ::testing::ValuesIn(kCtrlSCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
