#include "io/PictureFormats.h"

#include <gtest/gtest.h>

namespace {
struct Case {
    const char* path;
    std::optional<PictureFormat> open;
    std::optional<PictureFormat> save;
};
const PictureFormat bmp{FIF_BMP, BMP_DEFAULT};
const PictureFormat jpegIn{FIF_JPEG, JPEG_ACCURATE};
const PictureFormat jpegOut{FIF_JPEG, JPEG_QUALITYSUPERB};
} // namespace

// Suffixes are compared byte for byte: any other mix of case is refused, and
// saving does not take the five-letter JPEG names that opening takes.
TEST(PictureFormats, FollowTheNameAloneCaseByCase)
{
    const Case cases[] = {
        {"/p/face.bmp", bmp, bmp},
        {"/p/face.BMP", bmp, bmp},
        {"/p/face.jpg", jpegIn, jpegOut},
        {"/p/face.JPG", jpegIn, jpegOut},
        {"/p/face.jpeg", jpegIn, std::nullopt},
        {"/p/face.JPEG", jpegIn, std::nullopt},
        {"/p/face.Jpg", std::nullopt, std::nullopt},
        {"/p/face.Bmp", std::nullopt, std::nullopt},
        {"/p/face.jpe", std::nullopt, std::nullopt},
        {"/p/face.png", std::nullopt, std::nullopt},
        {"/p/face.jpg.txt", std::nullopt, std::nullopt},
        {"/p/bmp", std::nullopt, std::nullopt},
        {"jpg", std::nullopt, std::nullopt},
        {".bmp", bmp, bmp},
        {"", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(OpenFormatOf(QString::fromLatin1(c.path)), c.open);
        EXPECT_EQ(SaveFormatOf(QString::fromLatin1(c.path)), c.save);
    }
}
