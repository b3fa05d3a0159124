#include "tests/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

BitmapPtr MakePicture(unsigned width, unsigned height,
                      const std::function<Bgr(unsigned x, unsigned y)>& colour)
{
    BitmapPtr dib(FreeImage_Allocate(int(width), int(height), 24, 0, 0, 0));
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            const Bgr c = colour(x, y);
            RGBQUAD q{c.blue, c.green, c.red, 0};
            FreeImage_SetPixelColor(dib.get(), x, y, &q);
        }
    }
    return dib;
}

BitmapPtr MakeNoisePicture(unsigned width, unsigned height, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    return MakePicture(width, height, [&](unsigned, unsigned) {
        return Bgr{BYTE(byte(random)), BYTE(byte(random)), BYTE(byte(random))};
    });
}

Bgr PixelAt(FIBITMAP* dib, unsigned x, unsigned y)
{
    RGBQUAD q{};
    FreeImage_GetPixelColor(dib, x, y, &q);
    return Bgr{q.rgbBlue, q.rgbGreen, q.rgbRed};
}

Bgr PixelAt(const QImage& display, unsigned x, unsigned y)
{
    const QRgb p = display.pixel(int(x), display.height() - 1 - int(y));
    return Bgr{BYTE(qBlue(p)), BYTE(qGreen(p)), BYTE(qRed(p))};
}

namespace {

template <typename Actual>
std::string DescribeDifferenceOf(FIBITMAP* expected, const Actual& actual, unsigned actualWidth,
                                 unsigned actualHeight)
{
    std::ostringstream out;
    const unsigned w = FreeImage_GetWidth(expected), h = FreeImage_GetHeight(expected);
    if (w != actualWidth || h != actualHeight) {
        out << "size differs: expected " << w << "x" << h << ", actual " << actualWidth << "x" << actualHeight;
        return out.str();
    }
    for (unsigned y = 0; y < h; ++y) {
        for (unsigned x = 0; x < w; ++x) {
            const Bgr e = PixelAt(expected, x, y), a = PixelAt(actual, x, y);
            if (!(e == a)) {
                out << "pixel (" << x << ", " << y << ") differs: expected bgr("
                    << int(e.blue) << ", " << int(e.green) << ", " << int(e.red) << "), actual bgr("
                    << int(a.blue) << ", " << int(a.green) << ", " << int(a.red) << ")";
                return out.str();
            }
        }
    }
    return {};
}

}  // namespace

std::string DescribeDifference(FIBITMAP* expected, FIBITMAP* actual)
{
    if (!expected || !actual) {
        std::ostringstream out;
        out << "missing bitmap: expected " << expected << ", actual " << actual;
        return out.str();
    }
    return DescribeDifferenceOf(expected, actual, FreeImage_GetWidth(actual), FreeImage_GetHeight(actual));
}

std::string DescribeDifference(FIBITMAP* expected, const QImage& actual)
{
    if (!expected || actual.isNull())
        return "missing picture";
    return DescribeDifferenceOf(expected, actual, unsigned(actual.width()), unsigned(actual.height()));
}

void PaintExpectedEllipse(FIBITMAP* picture, int x0, int y0, int x1, int y1)
{
    const int W = int(FreeImage_GetWidth(picture)), H = int(FreeImage_GetHeight(picture));
    const double cx = (x0 + x1) / 2.0, cy = (y0 + y1) / 2.0, rx = (x1 - x0) / 2.0, ry = (y1 - y0) / 2.0;
    RGBQUAD gray{153, 153, 153, 0};
    for (int y = std::max(y0 + 1, 0); y <= std::min(H - 1, y1 - 2); ++y) {
        const double t = (y - cy) / ry;
        const double w = std::sqrt(1 - t * t);
        const int xl = int(cx - w * rx + 0.5), xr = int(w * rx + cx + 0.5);
        for (int x = std::max(xl + 1, 0); x <= std::min(W - 1, xr - 2); ++x)
            FreeImage_SetPixelColor(picture, unsigned(x), unsigned(y), &gray);
    }
}

QString MakeScratchFolder(const QString& name)
{
    static QTemporaryDir root(QDir::homePath() + "/scratch-XXXXXX");
    const QString path = root.path() + "/" + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

BitmapPtr PlainLoad(FREE_IMAGE_FORMAT format, const QString& path, int flags)
{
    return BitmapPtr(FreeImage_Load(format, QFile::encodeName(path).constData(), flags));
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray EncodePicture(FREE_IMAGE_FORMAT format, FIBITMAP* dib, int flags)
{
    FIMEMORY* stream = FreeImage_OpenMemory();
    QByteArray bytes;
    if (FreeImage_SaveToMemory(format, dib, stream, flags)) {
        BYTE* data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(stream, &data, &size);
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    }
    FreeImage_CloseMemory(stream);
    return bytes;
}

PictureEllipse ScreenEllipseToPicture(const CRect& e, const CRect& displayRect, double scale)
{
    auto toPicture = [scale](int distance) { return int(distance / scale + 0.5); };
    return {toPicture(e.left - displayRect.left), toPicture(displayRect.bottom - e.bottom),
            toPicture(e.right - displayRect.left), toPicture(displayRect.bottom - e.top)};
}
