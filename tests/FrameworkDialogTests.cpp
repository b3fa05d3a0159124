#include "tests/FakeDialogHost.h"
#include "framework/FileDialog.h"
#include "tests/TestPictures.h"
#include "framework/WinApp.h"

#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

const QString kPictFilter = QStringLiteral("Pict Files (*.jpg)|*.jpg|Pict Files (*.bmp)|*.bmp||");

// A name typed without a suffix takes the selected filter's.
struct SuffixCase {
    const char* name;
    const char* defExt;
    const char* typed;
    int filterIndex;
    const char* saved;
};
const SuffixCase kSuffixCases[] = {
    {"JpegFilter", "jpg", "out", 0, "out.jpg"},
    {"BmpFilter", "jpg", "out", 1, "out.bmp"},
    {"TypedSuffixStays", "jpg", "out.jpg", 1, "out.jpg"},
    {"OtherSuffixStays", "jpg", "out.png", 0, "out.png"},
    {"NoDefaultExtension", "", "out", 1, "out"},
};
void PrintTo(const SuffixCase& c, std::ostream* out) { *out << c.name; }

class SaveDialogSuffix : public ::testing::TestWithParam<SuffixCase> {};

TEST_P(SaveDialogSuffix, FollowsTheSelectedFilter)
{
    const SuffixCase& c = GetParam();
    const QString folder = MakeScratchFolder(QStringLiteral("Suffix") + QLatin1String(c.name));
    FakeDialogHost dialogs;
    dialogs.ChooseFile(folder + QLatin1Char('/') + QLatin1String(c.typed), c.filterIndex);
    CFileDialog dialog(FALSE, QLatin1String(c.defExt), QString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       kPictFilter);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), folder + QLatin1Char('/') + QLatin1String(c.saved));
    EXPECT_TRUE(dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(FileDialog, SaveDialogSuffix, ::testing::ValuesIn(kSuffixCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileDialog, NoToReplacingAnExistingFileAsksForAnotherName)
{
    const QString folder = MakeScratchFolder(QStringLiteral("Overwrite"));
    const QString existing = folder + QStringLiteral("/photo.jpg");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    FakeDialogHost dialogs;
    dialogs.ChooseFile(existing);
    dialogs.AnswerMessage(IDNO);
    dialogs.ChooseFile(folder + QStringLiteral("/masked"));
    CFileDialog dialog(FALSE, QStringLiteral("jpg"), QStringLiteral("photo.jpg"), OFN_OVERWRITEPROMPT, kPictFilter);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), folder + QStringLiteral("/masked.jpg"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("photo.jpg already exists.\nDo you want to replace it?"));
    EXPECT_EQ(dialogs.messages[0].type & MB_TYPEMASK, UINT(MB_YESNO));
    ASSERT_EQ(dialogs.fileDialogs.size(), 2u);
    EXPECT_EQ(dialogs.fileDialogs[1].fileName, QStringLiteral("photo.jpg"));
    EXPECT_EQ(dialogs.fileDialogs[1].initialFolder, folder + QLatin1Char('/'));

    // An open dialog never asks.
    dialogs.ChooseFile(existing);
    CFileDialog open(TRUE, QString(), QString(), OFN_OVERWRITEPROMPT, kPictFilter);
    EXPECT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

Qt::CursorShape OverrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::BitmapCursor;
}

TEST(WaitCursor, GivesWayToTheArrowWhileABoxIsUp)
{
    FakeDialogHost dialogs;
    AfxMessageBox(QStringLiteral("idle"));
    AfxGetApp()->DoWaitCursor(1);
    AfxMessageBox(QStringLiteral("busy"));
    EXPECT_EQ(OverrideShape(), Qt::WaitCursor);
    CFileDialog(TRUE).DoModal();
    EXPECT_EQ(OverrideShape(), Qt::WaitCursor);
    AfxGetApp()->DoWaitCursor(-1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[0].arrowCursor);
    EXPECT_TRUE(dialogs.messages[1].arrowCursor);
}

} // namespace
