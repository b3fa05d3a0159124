#include "tests/AppSession.h"
#include "tests/TestPictures.h"

#include "app/MainFrm.h"
#include "app/MaskSettings.h"
#include "app/ProgramFolder.h"
#include "app/VeilcutApp.h"
#include "display/VeilcutView.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <climits>

namespace {

const CRect kDefaultOffset(-50, 50, 50, 200);
const COLORREF kGreen = RGB(0, 255, 0);

// The settings as the profile holds them, read straight from the store.
struct Stored {
    std::optional<int> left, top, right, bottom, color;
    std::optional<QString> openDir, saveDir;
};

std::optional<int> StoredInt(QSettings& profile, const char* name)
{
    const QVariant value = profile.value(MaskSettingsSection + "/" + name);
    bool ok = false;
    const int number = value.toInt(&ok);
    return value.isValid() && ok ? std::optional<int>(number) : std::nullopt;
}

Stored ReadStored()
{
    const auto profile = AppSession::UseProgramProfile();
    auto text = [&](const char* name) {
        const QVariant value = profile->value(MaskSettingsSection + "/" + name);
        return value.isValid() ? std::optional<QString>(value.toString()) : std::nullopt;
    };
    return {StoredInt(*profile, "EllipsRectXTL"), StoredInt(*profile, "EllipsRectYTL"),
            StoredInt(*profile, "EllipsRectXBR"), StoredInt(*profile, "EllipsRectYBR"),
            StoredInt(*profile, "Color"),         text("PictOpenPaNm"),
            text("PictSavePaNm")};
}

CRect StoredOffset(const Stored& s)
{
    return CRect(s.left.value_or(INT_MIN), s.top.value_or(INT_MIN), s.right.value_or(INT_MIN),
                 s.bottom.value_or(INT_MIN));
}

// Writes raw profile texts, as a person editing the file would.
void Store(const std::vector<std::pair<const char*, QString>>& values)
{
    AppSession::ClearSettings();
    const auto profile = AppSession::UseProgramProfile();
    for (const auto& [name, value] : values)
        profile->setValue(MaskSettingsSection + "/" + name, value);
}

void StoreOffset(const CRect& r)
{
    Store({{"EllipsRectXTL", QString::number(r.left)},
           {"EllipsRectYTL", QString::number(r.top)},
           {"EllipsRectXBR", QString::number(r.right)},
           {"EllipsRectYBR", QString::number(r.bottom)}});
}

// The working directory changed for one test and put back afterwards.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const QString& path) : m_previous(QDir::currentPath())
    {
        EXPECT_TRUE(QDir::setCurrent(path)) << path.toStdString();
    }
    ~WorkingDirectory() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

// A fresh folder holding the named entries: names ending in "/" are folders.
QString FolderWith(const QString& name, const QStringList& entries)
{
    static const QString root = MakeScratchFolder(QStringLiteral("settings"));
    const QString folder = root + "/" + name;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QString& entry : entries) {
        if (entry.endsWith('/')) {
            QDir().mkpath(folder + "/" + entry);
        } else {
            QFile file(folder + "/" + entry);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }
    return folder;
}

// The ellipse's place after the first layout, from the display rectangle.
CRect PlacedAt(const CRect& offset, const CRect& displayRect)
{
    const int originX = (displayRect.left + displayRect.right) / 2;
    return CRect(originX + offset.left, displayRect.top + offset.top, originX + offset.right,
                 displayRect.top + offset.bottom);
}

void ExpectSameSettings(const MaskSettings& actual, const MaskSettings& expected)
{
    EXPECT_EQ(actual.offsetRect, expected.offsetRect);
    EXPECT_EQ(actual.color, expected.color);
    EXPECT_EQ(actual.openDir, expected.openDir);
    EXPECT_EQ(actual.saveDir, expected.saveDir);
}

} // namespace

TEST(ProfileValues, ReadWithTheFieldsAsDefaultsAndUsedAsStored)
{
    const QString d = QStringLiteral("/seed/");
    const MaskSettings seed{{1, 2, 3, 4}, 7, d, d};
    struct Row {
        const char* name;
        std::vector<std::pair<const char*, QString>> stored;
        MaskSettings expected;
    };
    const Row rows[] = {
        {"nothing stored", {}, seed},
        {"negative left",
         {{"EllipsRectXTL", "-120"}, {"EllipsRectYTL", "40"}, {"EllipsRectXBR", "30"}, {"EllipsRectYBR", "260"}},
         {{-120, 40, 30, 260}, 7, d, d}},
        {"swapped corners kept", {{"EllipsRectXTL", "30"}, {"EllipsRectXBR", "-120"}}, {{30, 2, -120, 4}, 7, d, d}},
        {"only the bottom", {{"EllipsRectYBR", "900"}}, {{1, 2, 3, 900}, 7, d, d}},
        {"colour with high bits", {{"Color", "-16777216"}}, {{1, 2, 3, 4}, 0xFF000000u, d, d}},
        {"colour blue", {{"Color", "16711680"}}, {{1, 2, 3, 4}, RGB(0, 0, 255), d, d}},
        {"folders", {{"PictOpenPaNm", "/in/"}, {"PictSavePaNm", "/out/"}}, {{1, 2, 3, 4}, 7, "/in/", "/out/"}},
        {"empty folders stored", {{"PictOpenPaNm", ""}, {"PictSavePaNm", ""}}, {{1, 2, 3, 4}, 7, "", ""}},
        {"not integers",
         {{"EllipsRectXTL", "abc"}, {"EllipsRectYTL", "1.5"}, {"EllipsRectXBR", ""}, {"Color", "0x00FF00"}},
         seed},
        {"out of range",
         {{"EllipsRectXTL", "2147483648"}, {"EllipsRectYTL", "-2147483649"}, {"Color", "99999999999999999999"}},
         seed},
        {"limits", {{"EllipsRectXTL", "2147483647"}, {"EllipsRectYTL", "-2147483648"}},
         {{INT_MAX, INT_MIN, 3, 4}, 7, d, d}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Store(row.stored);
        MaskSettings settings = seed;
        theApp.ReadMaskSettings(MaskSettingsSection, &settings);
        ExpectSameSettings(settings, row.expected);
    }
}

TEST(ProfileValues, WrittenValuesReadBackUnchanged)
{
    AppSession::ClearSettings();
    const MaskSettings rows[] = {
        {{-120, 40, 30, 260}, RGB(255, 0, 0), "/a/", "/b/"},
        {{INT_MIN, -1, INT_MAX, 0}, 0xFFFFFFFFu, "", "/Bilder mit Ümläut/"},
    };
    for (const MaskSettings& row : rows) {
        MaskSettings written = row;
        theApp.WriteMaskSettings(MaskSettingsSection, &written);
        const Stored stored = ReadStored();
        EXPECT_EQ(StoredOffset(stored), row.offsetRect);
        EXPECT_EQ(stored.color, int(row.color));
        EXPECT_EQ(stored.openDir, row.openDir);
        EXPECT_EQ(stored.saveDir, row.saveDir);

        MaskSettings read;
        theApp.ReadMaskSettings(MaskSettingsSection, &read);
        ExpectSameSettings(read, row);
    }
}

TEST(ProgramFolder, OnlyAnEntryNamedExactlyLikeTheProgramCounts)
{
    struct Row {
        const char* name;
        QStringList entries;
        bool found;
    };
    const Row rows[] = {
        {"program file", {"Veilcut", "other.jpg"}, true},
        {"program folder", {"Veilcut/"}, true},
        {"lower case", {"veilcut"}, false},
        {"upper case", {"VEILCUT"}, false},
        {"windows name", {"Veilcut.exe"}, false},
        {"longer name", {"Veilcut2", "xVeilcut"}, false},
        {"hidden look-alike", {".Veilcut"}, false},
        {"empty folder", {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString folder = FolderWith(row.name, row.entries);
        const QString expected = row.found ? QDir(folder).absolutePath() + "/" : QString();
        EXPECT_EQ(FindProgramFolder(folder), expected);

        WorkingDirectory cwd(folder);
        CVeilcutDoc doc;
        EXPECT_EQ(doc.m_programDir, expected);
        EXPECT_EQ(doc.m_openDir, expected);
        EXPECT_EQ(doc.m_saveDir, expected);
    }
    EXPECT_EQ(FindProgramFolder(QStringLiteral("/no/such/folder")), QString());
}

TEST(Settings, FirstRunGivesTheDefaultsAfterTheFirstLayout)
{
    const QString folder = FolderWith(QStringLiteral("first run"), {QStringLiteral("Veilcut")});
    WorkingDirectory cwd(folder);
    AppSession session;
    CVeilcutDoc* doc = session.doc();
    CVeilcutView* view = session.view();
    EXPECT_EQ(doc->m_maskOffset, kDefaultOffset);
    EXPECT_EQ(view->m_color, kGreen);
    EXPECT_EQ(doc->m_saveDir, folder + "/");

    session.dialogs.CancelFileDialog();
    session.Command(ID_FILE_OPEN);
    ASSERT_EQ(session.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(session.dialogs.fileDialogs[0].initialFolder, folder + "/");

    session.LayOutBlankPicture(800, 600, 400, 200);
    const CRect& shown = view->m_displayRect;
    const CRect& e = view->SelectedRect();
    EXPECT_EQ(e.Width(), 100);
    EXPECT_EQ(e.Height(), 150);
    EXPECT_EQ(e.left + e.right, shown.left + shown.right) << "centred on the top edge";
    EXPECT_EQ(e.top, shown.top + 50);
    EXPECT_EQ(e.bottom, shown.top + 200);
}

// The first picture of a run is placed at the stored offset, or at the
// default when a corner would leave the picture.
TEST(Settings, FirstLayoutUsesTheStoredOffsetWhenItFits)
{
    struct Row { CRect stored; bool fits; };
    const Row rows[] = {
        {{-120, 40, 30, 260}, true},
        {{-300, 0, 300, 499}, true},
        {{-700, 10, 0, 100}, false},   // left of a 1000-pixel-wide display
        {{-50, 50, 50, 600}, false},   // below a 500-pixel-high display
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.stored));
        StoreOffset(row.stored);
        AppSession session(QString(), AppSession::Settings::AsStored);
        EXPECT_EQ(session.doc()->m_maskOffset, row.stored) << "read back unchanged";
        // A cancelled Open before any picture does not use the stored place up.
        session.dialogs.CancelFileDialog();
        session.Command(ID_FILE_OPEN);
        session.LayOutBlankPicture(1000, 700, 1000, 500);
        const CRect& shown = session.view()->m_displayRect;
        ASSERT_EQ(shown, CRect(0, 100, 1000, 600));
        EXPECT_EQ(session.view()->SelectedRect(), PlacedAt(row.fits ? row.stored : kDefaultOffset, shown));
    }
}

TEST(Settings, UnusableStoredValuesGiveTheDefaults)
{
    Store({{"EllipsRectXTL", "left"}, {"EllipsRectYTL", "12"}, {"EllipsRectXBR", "1e3"},
           {"EllipsRectYBR", "4294967296"}, {"Color", "green"}});
    AppSession session(QString(), AppSession::Settings::AsStored);
    ASSERT_TRUE(session.started());
    EXPECT_EQ(session.doc()->m_maskOffset, CRect(-50, 12, 50, 200));
    EXPECT_EQ(session.view()->m_color, kGreen);
}

// Whatever the profile file holds, the program starts; what can be read is
// used, everything else is the default.
TEST(Settings, GarbageProfileFileStartsWithDefaults)
{
    QByteArray junk;
    quint32 state = 12345;
    for (int i = 0; i < 5000; ++i) {
        state = state * 1664525u + 1013904223u;
        junk.append(char(state >> 24));
    }
    struct Row {
        const char* name;
        QByteArray content;
        CRect offset;
        COLORREF color;
        QString openDir;
    };
    const Row rows[] = {
        {"binary junk", junk, kDefaultOffset, kGreen, ""},
        {"empty file", "", kDefaultOffset, kGreen, ""},
        {"missing section", "[Other]\nColor=255\nEllipsRectXTL=-120\n", kDefaultOffset, kGreen, ""},
        {"huge numbers",
         "[VeilcutIni]\nEllipsRectXTL=99999999999999999999999\nEllipsRectYTL=-4294967296\nColor=4294967296\n",
         kDefaultOffset, kGreen, ""},
        {"not integers",
         "[VeilcutIni]\nEllipsRectXTL=@Rect(1 2 3 4)\nEllipsRectYTL=a,b\nColor=@Variant(\\0\\0\\0\\x7f\\xff)\n"
         "PictOpenPaNm=a, b\nPictSavePaNm=@ByteArray(xyz)\n",
         kDefaultOffset, kGreen, ""},
        {"usable values among junk",
         "[VeilcutIni]\nEllipsRectXTL=-120\nColor=255\nPictOpenPaNm=/pictures/\n" + junk.left(300),
         {-120, 50, 50, 200}, RGB(255, 0, 0), "/pictures/"},
        {"no line breaks", junk.left(64).replace('\n', 'x').replace('\r', 'y'), kDefaultOffset, kGreen, ""},
    };
    const QString path = AppSession::UseProgramProfile()->fileName();
    QDir().mkpath(QFileInfo(path).path());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.content);
        file.close();

        AppSession session(QString(), AppSession::Settings::AsStored);
        ASSERT_TRUE(session.started());
        EXPECT_EQ(session.doc()->m_maskOffset, row.offset);
        EXPECT_EQ(session.view()->m_color, row.color);
        EXPECT_EQ(session.doc()->m_openDir, row.openDir);
        EXPECT_EQ(session.doc()->m_saveDir, QString());
        EXPECT_TRUE(session.dialogs.messages.empty()) << "nothing is reported";

        // The next close stores clean values again.
        session.view()->m_color = RGB(0, 0, 255);
        session.frame()->close();
        const Stored stored = ReadStored();
        EXPECT_EQ(StoredOffset(stored), row.offset);
        EXPECT_EQ(stored.color, int(RGB(0, 0, 255)));
    }
    QFile::remove(path);
}

// Closing before any picture was laid out keeps the stored place; colour
// and folders in force are written.
TEST(Settings, CloseWithoutAPictureKeepsTheStoredOffset)
{
    struct Row { const char* name; bool cancelOpen; };
    for (const Row row : {Row{"just closed", false}, Row{"after a cancelled Open", true}}) {
        SCOPED_TRACE(row.name);
        StoreOffset(CRect(-120, 40, 30, 260));
        AppSession session(QString(), AppSession::Settings::AsStored);
        if (row.cancelOpen) {
            session.dialogs.CancelFileDialog();
            session.Command(ID_FILE_OPEN);
        }
        session.view()->m_color = RGB(255, 0, 0);
        session.doc()->m_openDir = QStringLiteral("/in/");
        session.doc()->m_saveDir = QStringLiteral("/out/");
        session.frame()->close();
        ASSERT_TRUE(session.frame()->IsDestroyed());
        const Stored stored = ReadStored();
        EXPECT_EQ(StoredOffset(stored), CRect(-120, 40, 30, 260));
        EXPECT_EQ(stored.color, int(RGB(255, 0, 0)));
        EXPECT_EQ(stored.openDir, QStringLiteral("/in/"));
        EXPECT_EQ(stored.saveDir, QStringLiteral("/out/"));
    }
}

// With a picture laid out, the ellipse is written relative to the display origin.
TEST(Settings, CloseWritesTheEllipseRelativeToTheOrigin)
{
    AppSession session;
    session.LayOutBlankPicture(1000, 700, 1000, 500);
    const CRect& shown = session.view()->m_displayRect;
    session.view()->PlaceSelected(CRect(shown.left + 10, shown.top + 20, shown.left + 300, shown.top + 400));
    session.frame()->close();
    const int originX = (shown.left + shown.right) / 2;
    EXPECT_EQ(StoredOffset(ReadStored()), CRect(10 - originX, 20, 300 - originX, 400));
}

// A cancelled close has written the settings; the next close writes them again with what changed.
TEST(Settings, CancelThenCloseAgainWritesTwice)
{
    AppSession session;
    session.LayOutBlankPicture(1000, 700, 1000, 500);
    session.doc()->SetModifiedFlag(TRUE);
    session.dialogs.AnswerMessage(IDCANCEL);
    session.frame()->close();
    ASSERT_FALSE(session.frame()->IsDestroyed());
    EXPECT_EQ(StoredOffset(ReadStored()), kDefaultOffset);
    EXPECT_EQ(ReadStored().color, int(kGreen));

    CRect moved = session.view()->SelectedRect();
    moved.OffsetRect(7, 9);
    session.view()->PlaceSelected(moved);
    session.view()->m_color = RGB(0, 0, 255);
    session.dialogs.AnswerMessage(IDNO);
    session.frame()->close();
    EXPECT_TRUE(session.frame()->IsDestroyed());
    EXPECT_EQ(StoredOffset(ReadStored()), CRect(-43, 59, 57, 209));
    EXPECT_EQ(ReadStored().color, int(RGB(0, 0, 255)));
    EXPECT_EQ(session.dialogs.messages.size(), 2u);
}
