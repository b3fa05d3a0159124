#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

// Every test program runs headless and with a profile of its own, so no test
// can read or overwrite the settings of a real user.
int main(int argc, char** argv)
{
    const QByteArray home = VEILCUT_TEST_HOME;
    // CTest runs several test programs at once: each gets a profile of its own.
    QDir().mkpath(QString::fromLocal8Bit(home));
    const QTemporaryDir config(QString::fromLocal8Bit(home + "/config-XXXXXX"));
    QDir().mkpath(QString::fromLocal8Bit(home + "/runtime"));
    QFile::setPermissions(QString::fromLocal8Bit(home + "/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()).constData(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").constData(), 1);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
