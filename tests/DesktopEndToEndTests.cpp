#include "framework/CRect.h"
#include "tests/JpegInspection.h"
#include "tests/TestPictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

// The real program in a real X window, or in a Wayland compositor whose
// output is such a window, driven as a person would: keys and mouse through
// xdotool, screenshots through ImageMagick's import.
namespace {

constexpr int kScreenWidth = 1280, kScreenHeight = 1000;
constexpr unsigned kPictureWidth = 480, kPictureHeight = 360;

// No pixel of the picture is white, gray or blue, so its display copy is
// where the screen's blue channel is zero.
Bgr PictureColour(unsigned x, unsigned y)
{
    return Bgr{0, BYTE(40 + y * 170 / kPictureHeight), BYTE(40 + x * 170 / kPictureWidth)};
}

// The turn to the right, pixel by pixel: (W - 1 - i, j) goes to (j, i).
BitmapPtr TurnedRight(FIBITMAP* picture)
{
    const unsigned W = FreeImage_GetWidth(picture), H = FreeImage_GetHeight(picture);
    return MakePicture(H, W, [&](unsigned x, unsigned y) { return PixelAt(picture, W - 1 - y, x); });
}

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "xdotool", "import"}) {
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                GTEST_SKIP() << tool << " is missing; the README's commands install it";
        }
        folder = MakeScratchFolder(QStringLiteral("RealWindow"));
        QDir().mkpath(kScreens);
        StartDisplay();
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
        env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
        env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        // Only a build with leak checks reads this.
        env.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=" VEILCUT_LSAN_SUPPRESSIONS));
    }

    void TearDown() override
    {
        for (QProcess* p : {&program, &compositor, &server}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }

    void StartDisplay()
    {
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-screen"), QStringLiteral("0"),
                                              QStringLiteral("%1x%2x24").arg(kScreenWidth).arg(kScreenHeight),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        ASSERT_TRUE(server.waitForReadyRead(10000)) << "Xvfb did not start";
        display = QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed());
    }

    QString Run(const QString& tool, const QStringList& args, int timeoutMs = 10000)
    {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(tool, args);
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            ADD_FAILURE() << tool.toStdString() << ' ' << args.join(' ').toStdString() << " timed out";
            return QString();
        }
        return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }
    QString Xdo(const QStringList& args) { return Run(QStringLiteral("xdotool"), args); }
    // Space-separated key strokes, one after another.
    void Keys(const QString& keys)
    {
        Xdo(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("150")} +
            keys.split(QLatin1Char(' ')));
    }

    // Waits for a window whose name matches `pattern` and gives it the keyboard.
    QString FocusWindow(const QString& pattern)
    {
        const QString id = Xdo({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"), pattern})
                               .section(QLatin1Char('\n'), 0, 0);
        if (!id.isEmpty())
            Xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
        return id;
    }

    // Types a path into the file dialog that is up and accepts it.
    void AnswerFileDialog(const QString& title, const QString& path)
    {
        ASSERT_FALSE(FocusWindow(title).isEmpty()) << "no dialog " << title.toStdString();
        QThread::msleep(300);
        Xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), path});
        Keys(QStringLiteral("Return"));
    }

    // Drags with the left button from `from` to `to`, pausing on the way so that Qt sees a drag.
    void Drag(CPoint from, CPoint to)
    {
        Xdo(QStringLiteral("mousemove %1 %2 mousedown 1 mousemove %3 %4 sleep 0.3 mousemove %5 %6 sleep 0.3 mouseup 1")
                .arg(from.x).arg(from.y).arg((from.x + to.x) / 2).arg((from.y + to.y) / 2).arg(to.x).arg(to.y)
                .split(QLatin1Char(' ')));
        QThread::msleep(300);
    }

    BitmapPtr Screenshot(const QString& step)
    {
        QThread::msleep(400);
        return Capture(QStringLiteral("%1/%2-%3.png").arg(kScreens).arg(++shots, 2, 10, QLatin1Char('0')).arg(step));
    }

    BitmapPtr Capture(const QString& file)
    {
        Run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), file});
        FIBITMAP* png = FreeImage_Load(FIF_PNG, QFile::encodeName(file).constData(), 0);
        BitmapPtr screen(png ? FreeImage_ConvertTo24Bits(png) : nullptr);
        if (png)
            FreeImage_Unload(png);
        return screen;
    }

    // Where the pointer is, on the screen.
    CPoint Pointer()
    {
        const QString shell = Xdo({QStringLiteral("getmouselocation"), QStringLiteral("--shell")});
        return CPoint(shell.section(QLatin1String("X="), 1).section(QLatin1Char('\n'), 0, 0).toInt(),
                      shell.section(QLatin1String("Y="), 1).section(QLatin1Char('\n'), 0, 0).toInt());
    }

    // Where the layout shows a w by h picture in the client area of a view
    // at `view` that reaches `end` (by default the screen's bottom-right
    // corner), in screen coordinates: fitted, centred, rounded half up.
    static CRect DisplayOnScreen(CPoint view, unsigned w, unsigned h, CPoint end = {kScreenWidth, kScreenHeight})
    {
        const double W = end.x - view.x, H = end.y - view.y;
        const double scale = std::min(W / w, H / h);
        const double ox = std::abs(W - w * scale) / 2, oy = std::abs(H - h * scale) / 2;
        return CRect(view.x + int(ox + 0.5), view.y + int(oy + 0.5), view.x + int(w * scale + ox + 0.5),
                     view.y + int(h * scale + oy + 0.5));
    }

    // Whether the screen shows the picture's colours (no blue) at `p` and not
    // the white ground beside it.
    static bool ShowsPicture(FIBITMAP* screen, CPoint p)
    {
        const Bgr pixel = PixelAt(screen, unsigned(p.x), FreeImage_GetHeight(screen) - 1 - unsigned(p.y));
        return pixel.blue == 0 && pixel.red >= 30;
    }

    // The smallest rectangle around the pixels of `within` that `wanted` picks.
    template <typename Pick>
    static CRect Bounds(FIBITMAP* screen, const CRect& within, Pick wanted)
    {
        CRect found(within.right, within.bottom, within.left, within.top);
        for (int y = within.top; y < within.bottom; ++y) {
            for (int x = within.left; x < within.right; ++x) {
                if (wanted(screen, CPoint(x, y))) {
                    found.left = std::min(found.left, x);
                    found.top = std::min(found.top, y);
                    found.right = std::max(found.right, x + 1);
                    found.bottom = std::max(found.bottom, y + 1);
                }
            }
        }
        return found;
    }
    static CRect PictureBounds(FIBITMAP* screen)
    {
        return Bounds(screen, CRect(0, 0, kScreenWidth, kScreenHeight), ShowsPicture);
    }
    // The picture's whole display copy: a row or column that no picture
    // pixel covers fully shows the display copy's fill gray.
    static CRect DisplayBounds(FIBITMAP* screen)
    {
        CRect around = PictureBounds(screen);
        around = CRect(std::max(around.left - 4, 0), std::max(around.top - 4, 0),
                       std::min(around.right + 4, kScreenWidth), std::min(around.bottom + 4, kScreenHeight));
        return Bounds(screen, around, [](FIBITMAP* s, CPoint p) {
            return ShowsPicture(s, p) ||
                   PixelAt(s, unsigned(p.x), FreeImage_GetHeight(s) - 1 - unsigned(p.y)) == Bgr{100, 100, 100};
        });
    }
    // Where the ellipse's gray shows over the picture.
    static CRect GrayBounds(FIBITMAP* screen, const CRect& picture)
    {
        return Bounds(screen, picture, [](FIBITMAP* s, CPoint p) {
            return PixelAt(s, unsigned(p.x), FreeImage_GetHeight(s) - 1 - unsigned(p.y)) == Bgr{153, 153, 153};
        });
    }

    // Where the picture shows once the window has settled (the same in two
    // screenshots in a row); empty if it never shows.
    CRect WaitForPicture()
    {
        QElapsedTimer timer;
        timer.start();
        const QString file = kScreens + QStringLiteral("/waiting.png");
        CRect previous;
        for (;;) {
            QThread::msleep(300);
            const BitmapPtr screen = Capture(file);
            const CRect found = screen ? PictureBounds(screen.get()) : CRect();
            if ((!found.IsRectEmpty() && found == previous) || timer.elapsed() > 20000)
                return found;
            previous = found;
        }
    }

    static QByteArray ReadAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A save first searches the picture for uncovered faces, which takes
    // seconds on a busy machine or in the sanitized build.
    void WaitForFile(const QString& path)
    {
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(path) && timer.elapsed() < 60000)
            QThread::msleep(100);
        QThread::msleep(300);
        ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
    }

    const QString kScreens = QStringLiteral(VEILCUT_SCREENSHOTS);
    QString folder;
    QString display;
    QProcessEnvironment env;
    QProcess server;
    QProcess compositor;
    QProcess program;
    int shots = 0;
};

TEST_F(RealWindow, OpenDragTurnSaveAndClose)
{
    const BitmapPtr original = MakePicture(kPictureWidth, kPictureHeight, PictureColour);
    const QString source = folder + QStringLiteral("/face.bmp");
    ASSERT_TRUE(FreeImage_Save(FIF_BMP, original.get(), QFile::encodeName(source).constData(), 0));

    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(VEILCUT_BINARY), {});
    ASSERT_FALSE(FocusWindow(QStringLiteral("^Untitled - Veilcut$")).isEmpty());
    Screenshot(QStringLiteral("started"));
    // The pointer starts 8 right of and 15 above the view's corner.
    const CPoint pointer = Pointer();
    const CPoint view(pointer.x - 8, pointer.y + 15);

    // B typed while the floating toolbar's window has the focus reaches the view
    // (the colour is checked at the end); docked again, the view is where it was.
    const CPoint floated(view.x + 600, view.y + 400);
    Drag(CPoint(view.x + 4, view.y - 25), floated);
    const QString toolbar = Xdo({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                 QStringLiteral("^Toolbar$")});
    ASSERT_FALSE(toolbar.isEmpty()) << "the toolbar did not float";
    Xdo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), toolbar});
    Keys(QStringLiteral("b"));
    const int barHeight = Xdo({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), toolbar})
                              .section(QLatin1String("HEIGHT="), 1).section(QLatin1Char('\n'), 0, 0).toInt();
    Drag(floated, CPoint(view.x + 300, view.y - barHeight + 3));

    Keys(QStringLiteral("ctrl+o"));
    AnswerFileDialog(QStringLiteral("^Open"), source);
    ASSERT_FALSE(FocusWindow(QStringLiteral("^face.bmp - Veilcut$")).isEmpty());
    const BitmapPtr opened = Screenshot(QStringLiteral("opened"));
    const CRect shown = DisplayOnScreen(view, kPictureWidth, kPictureHeight);
    ASSERT_TRUE(ShowsPicture(opened.get(), CPoint(shown.left + 2, shown.bottom - 2)));
    ASSERT_FALSE(ShowsPicture(opened.get(), CPoint(shown.left - 2, shown.bottom - 2)));

    // A first run: the ellipse sits 50 to 200 below the top centre. Drag it by (30, 40).
    const CPoint origin((shown.left - view.x + shown.right - view.x) / 2 + view.x, shown.top);
    const CPoint grab(origin.x, origin.y + 125);
    Xdo({QStringLiteral("mousemove"), QString::number(grab.x), QString::number(grab.y)});
    Xdo({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int step = 1; step <= 4; ++step)
        Xdo({QStringLiteral("mousemove"), QString::number(grab.x + 30 * step / 4),
             QString::number(grab.y + 40 * step / 4)});
    Xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
    Screenshot(QStringLiteral("dragged"));
    // Insert puts a second ellipse, 100 by 150, under the pointer.
    const CPoint added(shown.left + 120, shown.top + 200);
    Xdo({QStringLiteral("mousemove"), QString::number(added.x), QString::number(added.y)});
    Keys(QStringLiteral("Insert"));
    Screenshot(QStringLiteral("added"));

    Keys(QStringLiteral("Right"));
    const BitmapPtr turned = Screenshot(QStringLiteral("turned"));
    const CRect display = DisplayOnScreen(view, kPictureHeight, kPictureWidth);
    ASSERT_TRUE(ShowsPicture(turned.get(), CPoint(display.left + 2, display.bottom - 2)));
    ASSERT_FALSE(ShowsPicture(turned.get(), CPoint(display.left - 2, display.bottom - 2))) << "it did not turn";

    Keys(QStringLiteral("alt+f a"));
    AnswerFileDialog(QStringLiteral("^Save As"), folder + QStringLiteral("/masked.bmp"));
    WaitForFile(folder + QStringLiteral("/masked.bmp"));
    FocusWindow(QStringLiteral("^face.bmp - Veilcut$"));
    Keys(QStringLiteral("alt+f a"));
    AnswerFileDialog(QStringLiteral("^Save As"), folder + QStringLiteral("/masked.jpg"));
    WaitForFile(folder + QStringLiteral("/masked.jpg"));
    Screenshot(QStringLiteral("saved"));

    // Turned again, the picture is unsaved: closing asks, and No lets it go.
    FocusWindow(QStringLiteral("^face.bmp - Veilcut$"));
    Keys(QStringLiteral("Right"));
    Keys(QStringLiteral("alt+f x"));
    ASSERT_FALSE(FocusWindow(QStringLiteral("^Veilcut$")).isEmpty()) << "no save question";
    Screenshot(QStringLiteral("asked"));
    Keys(QStringLiteral("alt+n"));
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

    // Both ellipses turned with the picture: a point (x, y) of the burn,
    // scan lines from the bottom, went to (y, W - x).
    const double scale = double(kScreenHeight - view.y) / kPictureHeight;
    auto toPicture = [](double v) { return int(v + 0.5); };
    const BitmapPtr expected = TurnedRight(original.get());
    const CRect moved(origin.x - 20, origin.y + 90, origin.x + 80, origin.y + 240);
    const CRect second(added.x - 50, added.y - 75, added.x + 50, added.y + 75);
    for (const CRect& e : {moved, second}) {
        const int x0 = toPicture((e.left - shown.left) / scale), x1 = toPicture((e.right - shown.left) / scale);
        const int y0 = toPicture((shown.bottom - e.bottom) / scale), y1 = toPicture((shown.bottom - e.top) / scale);
        PaintExpectedEllipse(expected.get(), y0, int(kPictureWidth) - x1, y1, int(kPictureWidth) - x0);
    }
    const BitmapPtr saved(FreeImage_Load(FIF_BMP, QFile::encodeName(folder + "/masked.bmp").constData(), 0));
    ASSERT_TRUE(saved);
    EXPECT_EQ(DescribeDifference(expected.get(), saved.get()), "")
        << "view at " << view.x << "," << view.y << "; display " << display.left << "," << display.top << ","
        << display.right << "," << display.bottom;
    ExpectOnlyPictureMarkers(folder + QStringLiteral("/masked.jpg"));

    QSettings settings(folder + QStringLiteral("/config/Local AppWizard-Generated Applications/Veilcut.conf"),
                       QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("VeilcutIni"));
    // Turned twice, the selected (second) ellipse stands mirrored through the
    // picture's centre; stored from the top centre, within a pixel of rounding.
    const CRect mirrored(shown.left + shown.right - second.right, shown.top + shown.bottom - second.bottom,
                         shown.left + shown.right - second.left, shown.top + shown.bottom - second.top);
    EXPECT_NEAR(settings.value(QStringLiteral("EllipsRectXTL")).toInt(), mirrored.left - origin.x, 1);
    EXPECT_NEAR(settings.value(QStringLiteral("EllipsRectYTL")).toInt(), mirrored.top - origin.y, 1);
    EXPECT_NEAR(settings.value(QStringLiteral("EllipsRectXBR")).toInt(), mirrored.right - origin.x, 1);
    EXPECT_NEAR(settings.value(QStringLiteral("EllipsRectYBR")).toInt(), mirrored.bottom - origin.y, 1);
    EXPECT_EQ(settings.value(QStringLiteral("Color")).toInt(), 0xFF0000) << "B through the floating toolbar";
    EXPECT_EQ(settings.value(QStringLiteral("PictOpenPaNm")).toString(), folder + QLatin1Char('/'));
    EXPECT_EQ(settings.value(QStringLiteral("PictSavePaNm")).toString(), folder + QLatin1Char('/'));
}

// A smaller window lays the picture from the command line out again with the
// ellipse (on a first run 50 to 200 below the top centre) over the same
// picture point; after the window moves, a drag is held where the picture is.
TEST_F(RealWindow, CommandLinePictureFollowsResizeAndMove)
{
    const QString source = folder + QStringLiteral("/face.bmp");
    ASSERT_TRUE(FreeImage_Save(FIF_BMP, MakePicture(kPictureWidth, kPictureHeight, PictureColour).get(),
                               QFile::encodeName(source).constData(), 0));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(VEILCUT_BINARY), {source});
    const QString window = FocusWindow(QStringLiteral("^face.bmp - Veilcut$"));
    ASSERT_FALSE(window.isEmpty());
    const CPoint pointer = Pointer(), view(pointer.x - 8, pointer.y + 15);
    const CRect shown = DisplayOnScreen(view, kPictureWidth, kPictureHeight);
    const CRect smaller = DisplayOnScreen(view, kPictureWidth, kPictureHeight, CPoint(800, 600));
    // The ellipse's centre in picture pixels from the left and bottom edges, shown anew.
    const double px = ((shown.right - shown.left) / 2) * kPictureHeight / double(shown.Height());
    const double py = (shown.Height() - 125) * kPictureHeight / double(shown.Height());
    const double s = double(smaller.Height()) / kPictureHeight;
    const CPoint centre(int(smaller.left + px * s + 0.5), int(smaller.bottom - py * s + 0.5));

    Xdo({QStringLiteral("windowsize"), QStringLiteral("--sync"), window, QStringLiteral("800"), QStringLiteral("600")});
    const BitmapPtr resized = Screenshot(QStringLiteral("resized"));
    EXPECT_TRUE(ShowsPicture(resized.get(), CPoint(smaller.left + 2, smaller.bottom - 2)));
    EXPECT_FALSE(ShowsPicture(resized.get(), CPoint(smaller.right + 2, smaller.bottom - 2)));
    EXPECT_EQ(PixelAt(resized.get(), unsigned(centre.x), kScreenHeight - 1 - unsigned(centre.y)), (Bgr{153, 153, 153}));

    Xdo({QStringLiteral("windowmove"), QStringLiteral("--sync"), window, QStringLiteral("200"), QStringLiteral("150")});
    const CPoint grab(centre.x + 200, centre.y + 150);
    for (const QString& step : {QStringLiteral("mousemove %1 %2").arg(grab.x).arg(grab.y), QStringLiteral("mousedown 1"),
                                QStringLiteral("mousemove %1 %2").arg(kScreenWidth - 1).arg(grab.y)})
        Xdo(step.split(QLatin1Char(' ')));
    const CPoint held = Pointer();
    Xdo({QStringLiteral("mouseup"), QStringLiteral("1")});
    EXPECT_EQ(held, CPoint(smaller.right + 200 - 1, grab.y));
}

// The same display with a Wayland compositor on it: weston draws its output
// into an X window covering the screen, so xdotool's pointer is weston's
// until a confinement holds weston's back, and the screenshots show where
// weston placed the program's window.
class RealWindowOnWayland : public RealWindow {
protected:
    void SetUp() override
    {
        RealWindow::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty())
            GTEST_SKIP() << "weston is missing; the README's test command installs it";
        const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
        if (platforms.entryList({QStringLiteral("libqwayland-*.so")}).isEmpty())
            GTEST_SKIP() << "Qt's Wayland platform (qt6-wayland) is missing; the README's test command installs it";
        StartCompositor();
    }

    void StartCompositor()
    {
        // The compositor's socket goes in a runtime folder of the test's own.
        const QString runtime = folder + QStringLiteral("/runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        compositor.setProcessEnvironment(env);
        compositor.setProcessChannelMode(QProcess::MergedChannels);
        compositor.start(QStringLiteral("weston"),
                         {QStringLiteral("--backend=x11-backend.so"), QStringLiteral("--use-pixman"),
                          QStringLiteral("--no-config"), QStringLiteral("--idle-time=0"),
                          QStringLiteral("--socket=veilcut"), QStringLiteral("--width=%1").arg(kScreenWidth),
                          QStringLiteral("--height=%1").arg(kScreenHeight)});
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(runtime + QStringLiteral("/veilcut")) && timer.elapsed() < 10000)
            QThread::msleep(100);
        ASSERT_TRUE(QFile::exists(runtime + QStringLiteral("/veilcut")))
            << "weston did not start: " << compositor.readAll().toStdString();
        // Its shell, which places windows, starts after the socket.
        QThread::msleep(1000);
        env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("veilcut"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        // The Wayland client library keeps no frame pointers, so only the slow
        // unwinder reaches the frames the leak suppressions name.
        const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("fast_unwind_on_malloc=0"));
    }

    // weston moves its pointer by the steps of xdotool's, from wherever it
    // started (measured: at times hundreds of pixels apart). Hovered into two opposite
    // corners, it is held at each by the screen's edges, and the two coincide.
    void CalibratePointer()
    {
        for (const CPoint corner : {CPoint(0, 0), CPoint(kScreenWidth - 1, kScreenHeight - 1)}) {
            Xdo({QStringLiteral("mousemove"), QString::number(corner.x), QString::number(corner.y)});
            QThread::msleep(200);
        }
    }
};

// Pressed on the ellipse and dragged far past the picture's right edge, the
// pointer stays at the edge: the ellipse stops there, and coming back by
// `kBack` moves it back at once, which the program's own clamp alone would
// not do (the pointer would still be outside). Nothing is said on stderr.
TEST_F(RealWindowOnWayland, DragIsHeldInsideThePicture)
{
    // Narrower than the maximised view, so that there is room beside the picture.
    const BitmapPtr portrait = MakePicture(kPictureHeight / 2 * 3 / 2, kPictureHeight, PictureColour);
    const QString source = folder + QStringLiteral("/face.bmp");
    ASSERT_TRUE(FreeImage_Save(FIF_BMP, portrait.get(), QFile::encodeName(source).constData(), 0));
    // Read from a file: a process's pipe fills only while an event loop runs.
    const QString said = folder + QStringLiteral("/stderr.txt");
    program.setStandardErrorFile(said);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(VEILCUT_BINARY), {source});
    CRect shown = WaitForPicture();
    ASSERT_FALSE(shown.IsRectEmpty()) << "no picture; the program said " << ReadAll(said).toStdString();
    const BitmapPtr opened = Screenshot(QStringLiteral("wayland-opened"));
    shown = DisplayBounds(opened.get());
    const CRect ellipse = GrayBounds(opened.get(), shown);
    ASSERT_FALSE(ellipse.IsRectEmpty()) << "no ellipse over the picture";
    constexpr int kBack = 100;
    ASSERT_GT(kScreenWidth - 1 - kBack, shown.right + 10) << "no room beside the picture";

    CalibratePointer();
    // The hover gives the window the pointer before the press.
    const CPoint grab = ellipse.CenterPoint();
    Xdo({QStringLiteral("mousemove"), QString::number(grab.x), QString::number(grab.y)});
    QThread::msleep(300);
    const QByteArray before = ReadAll(said);
    Xdo(QStringLiteral("mousedown 1 sleep 0.3 mousemove %1 %2 sleep 0.3 mousemove %3 %2")
            .arg((grab.x + kScreenWidth) / 2).arg(grab.y).arg(kScreenWidth - 1).split(QLatin1Char(' ')));
    Screenshot(QStringLiteral("wayland-held"));
    Xdo(QStringLiteral("mousemove %1 %2 sleep 0.3 mouseup 1").arg(kScreenWidth - 1 - kBack).arg(grab.y)
            .split(QLatin1Char(' ')));
    const BitmapPtr back = Screenshot(QStringLiteral("wayland-back"));

    // Held a fraction of a pixel inside the right edge, then moved back.
    const int moved = shown.right - kBack - grab.x;
    EXPECT_NEAR(GrayBounds(back.get(), shown).left, ellipse.left + moved, 1)
        << "not held at the picture's edge: the ellipse went from " << ellipse.left << " by " << moved;
    EXPECT_EQ(ReadAll(said).mid(before.size()).toStdString(), "") << "said during the drag";

    // A moved ellipse asks nothing at closing; a leak-checked build reports here.
    Keys(QStringLiteral("alt+f x"));
    ASSERT_TRUE(program.waitForFinished(15000)) << "it did not close";
    EXPECT_EQ(program.exitCode(), 0) << ReadAll(said).toStdString();
}

// Zoomed in with the wheel over a small face, Insert puts an ellipse of the
// usual screen size over it: four notches later that is 1.25^4 times smaller
// in the picture, and the saved file is burnt exactly there.
TEST_F(RealWindow, WheelZoomsOntoASmallFaceAndTheBurnLandsOnIt)
{
    constexpr unsigned kW = 1200, kH = 900;
    // A dark disc of 36 picture pixels around (900, 600), rows from the top.
    const auto inFace = [](int x, int yFromTop) { return std::hypot(x - 900.0, yFromTop - 600.0) <= 18.0; };
    const auto colour = [&](unsigned x, unsigned y) {
        return inFace(int(x), int(kH - 1 - y)) ? Bgr{0, 10, 10} : Bgr{0, BYTE(40 + y % 170), BYTE(40 + x % 170)};
    };
    const BitmapPtr original = MakePicture(kW, kH, colour);
    const QString source = folder + QStringLiteral("/people.bmp");
    ASSERT_TRUE(FreeImage_Save(FIF_BMP, original.get(), QFile::encodeName(source).constData(), 0));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    program.start(QStringLiteral(VEILCUT_BINARY), {source});
    ASSERT_FALSE(FocusWindow(QStringLiteral("^people.bmp - Veilcut$")).isEmpty());
    const CPoint pointer = Pointer(), view(pointer.x - 8, pointer.y + 15);
    const CRect shown = DisplayOnScreen(view, kW, kH);
    const double fitted = std::min(double(kScreenWidth - view.x) / kW, double(kScreenHeight - view.y) / kH);
    ASSERT_GT(fitted * 1.1, 1.0);
    ASSERT_LT(fitted * 1.1, 1.25) << "four notches from here are 1.25^4";
    const double zoomed = 1.25 * 1.25 * 1.25 * 1.25;

    // The face's centre on the screen, and the picture point the pointer is on.
    const CPoint over(int(shown.left + 900 * fitted), int(shown.bottom - (kH - 600) * fitted));
    const double px = (over.x - shown.left) / fitted, py = kH - (shown.bottom - over.y) / fitted;
    Xdo({QStringLiteral("mousemove"), QString::number(over.x), QString::number(over.y)});
    for (int notch = 0; notch < 4; ++notch)
        Xdo({QStringLiteral("click"), QStringLiteral("4")});
    const BitmapPtr screen = Screenshot(QStringLiteral("zoomed"));
    // The face, 36 picture pixels wide, is now about 88 screen pixels wide around the pointer.
    for (const CPoint p : {CPoint(over.x - 38, over.y), CPoint(over.x + 38, over.y), CPoint(over.x, over.y - 38)})
        EXPECT_EQ(PixelAt(screen.get(), unsigned(p.x), kScreenHeight - 1 - unsigned(p.y)), (Bgr{0, 10, 10}))
            << "at " << p.x << ", " << p.y;
    Keys(QStringLiteral("Insert"));
    Screenshot(QStringLiteral("covered"));

    Keys(QStringLiteral("alt+f a"));
    AnswerFileDialog(QStringLiteral("^Save As"), folder + QStringLiteral("/hidden.bmp"));
    WaitForFile(folder + QStringLiteral("/hidden.bmp"));
    FocusWindow(QStringLiteral("^people.bmp - Veilcut$"));
    Keys(QStringLiteral("alt+f x"));
    ASSERT_TRUE(program.waitForFinished(10000));

    const BitmapPtr saved(FreeImage_Load(FIF_BMP, QFile::encodeName(folder + "/hidden.bmp").constData(), 0));
    ASSERT_TRUE(saved);
    // Only the new ellipse reaches the face's surroundings; its burnt
    // bounding box is 100 by 150 screen pixels at the zoom, within a pixel of rounding.
    const CRect around(700, 350, 1100, 850);
    CRect burnt(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (int y = around.top; y < around.bottom; ++y) {
        for (int x = around.left; x < around.right; ++x) {
            const Bgr pixel = PixelAt(saved.get(), unsigned(x), kH - 1 - unsigned(y));
            const bool gray = pixel == Bgr{153, 153, 153};
            if (inFace(x, y)) {
                ASSERT_TRUE(gray) << "face pixel " << x << ", " << y << " shows";
            }
            if (gray)
                burnt = CRect(std::min(burnt.left, x), std::min(burnt.top, y), std::max(burnt.right, x + 1),
                              std::max(burnt.bottom, y + 1));
        }
    }
    EXPECT_NEAR(burnt.left, px - 50 / zoomed, 1.5);
    EXPECT_NEAR(burnt.right, px + 50 / zoomed, 1.5);
    EXPECT_NEAR(burnt.top, py - 75 / zoomed, 1.5);
    EXPECT_NEAR(burnt.bottom, py + 75 / zoomed, 1.5);
}

} // namespace
