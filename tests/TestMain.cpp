#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include <cstdlib>

#include <unistd.h>

// Every test process runs headless and with a profile of its own, so no test
// can read or overwrite the settings of a real user, nor of a test running
// beside it.
int main(int argc, char** argv)
{
    const QByteArray home = VEILCUT_TEST_HOME "/" + QByteArray::number(qint64(getpid()));
    QDir().mkpath(QString::fromLocal8Bit(home + "/config"));
    QDir().mkpath(QString::fromLocal8Bit(home + "/runtime"));
    QFile::setPermissions(QString::fromLocal8Bit(home + "/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").constData(), 1);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir(QString::fromLocal8Bit(home)).removeRecursively();
    return result;
}
