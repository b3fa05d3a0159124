#include "framework/Profile.h"
#include "app/VeilcutApp.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

const QString section = QStringLiteral("ProfileTest");

class FrameworkProfile : public testing::Test {
protected:
    void SetUp() override
    {
        theApp.InitApplicationName();
        theApp.SetRegistryKey(QStringLiteral("Local AppWizard-Generated Applications"));
        Settings()->remove(section);
        Settings()->remove(QStringLiteral("Recent File List"));
    }
    static std::unique_ptr<QSettings> Settings()
    {
        return AfxOpenProfile(theApp.m_pszRegistryKey, theApp.m_pszAppName);
    }
};

} // namespace

TEST_F(FrameworkProfile, IsKeptUnderTheRegistryKeyAndApplicationName)
{
    theApp.WriteProfileInt(section, QStringLiteral("Where"), 1);
    const auto settings = Settings();
    EXPECT_EQ(settings->organizationName(), QStringLiteral("Local AppWizard-Generated Applications"));
    EXPECT_EQ(settings->applicationName(), QStringLiteral("Veilcut"));
    EXPECT_TRUE(settings->fileName().endsWith(QStringLiteral("Local AppWizard-Generated Applications/Veilcut.conf")))
        << settings->fileName().toStdString();
}

TEST_F(FrameworkProfile, IntegersRoundTripAsSigned32Bit)
{
    for (int value : {0, 1, -1, -120, 65280, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(theApp.WriteProfileInt(section, QStringLiteral("Value"), value));
        EXPECT_EQ(theApp.GetProfileInt(section, QStringLiteral("Value"), 12345), value);
    }
}

TEST_F(FrameworkProfile, MissingOrMalformedIntegersReadAsTheDefault)
{
    EXPECT_EQ(theApp.GetProfileInt(section, QStringLiteral("Missing"), -50), -50);
    for (const char* stored : {"abc", "12abc", "", "4294967296", "-2147483649", "1.5"}) {
        SCOPED_TRACE(stored);
        Settings()->setValue(section + QStringLiteral("/Bad"), QString::fromLatin1(stored));
        EXPECT_EQ(theApp.GetProfileInt(section, QStringLiteral("Bad"), 77), 77);
    }
}

TEST_F(FrameworkProfile, StringsRoundTripAndMissingOnesReadAsTheDefault)
{
    const QString folder = QStringLiteral("/home/ann/Bilder mit Ümläut/");
    ASSERT_TRUE(theApp.WriteProfileString(section, QStringLiteral("Folder"), folder));
    EXPECT_EQ(theApp.GetProfileString(section, QStringLiteral("Folder")), folder);
    EXPECT_EQ(theApp.GetProfileString(section, QStringLiteral("Nothing"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
}

TEST_F(FrameworkProfile, RecentFileListKeepsFourNewestFirstAndIsWrittenAtExit)
{
    theApp.LoadStdProfileSettings(4);
    for (const char* path : {"/a.jpg", "/b.jpg", "/c.jpg", "/a.jpg", "/d.jpg", "/e.jpg"})
        theApp.AddToRecentFileList(QString::fromLatin1(path));
    const QStringList expected{"/e.jpg", "/d.jpg", "/a.jpg", "/c.jpg"};
    EXPECT_EQ(theApp.GetRecentFileList(), expected);

    theApp.ExitInstance();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(theApp.GetProfileString(QStringLiteral("Recent File List"), QStringLiteral("File%1").arg(i + 1)),
                  expected[i]);
    }
    theApp.LoadStdProfileSettings(4);
    EXPECT_EQ(theApp.GetRecentFileList(), expected);
}
