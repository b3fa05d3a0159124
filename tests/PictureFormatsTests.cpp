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
const PictureFormat pngOut{FIF_PNG, PNG_Z_BEST_SPEED};
} // namespace

// Suffixes are compared byte for byte: any other mix of case is refused.
TEST(PictureFormats, FollowTheNameAloneCaseByCase)
{
    const Case cases[] = {
        {"/p/face.bmp", bmp, bmp},
        {"/p/face.BMP", bmp, bmp},
        {"/p/face.jpg", jpegIn, jpegOut},
        {"/p/face.JPG", jpegIn, jpegOut},
        {"/p/face.jpeg", jpegIn, jpegOut},
        {"/p/face.JPEG", jpegIn, jpegOut},
        {"/p/face.Jpg", std::nullopt, std::nullopt},
        {"/p/face.Bmp", std::nullopt, std::nullopt},
        {"/p/face.jpe", std::nullopt, jpegOut},
        {"/p/face.JPE", std::nullopt, jpegOut},
        {"/p/face.png", std::nullopt, pngOut},
        {"/p/face.PNG", std::nullopt, pngOut},
        {"/p/face.Png", std::nullopt, std::nullopt},
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

// Lossless sources are proposed as PNG, the rest as JPEG; a name keeps its
// suffix when that suffix saves as the proposed type.
TEST(PictureFormats, ProposeTheSaveTypeFromTheSource)
{
    const struct {
        FREE_IMAGE_FORMAT source;
        const char* name;
        FREE_IMAGE_FORMAT proposed;
        const char* proposedName;
    } cases[] = {
        {FIF_JPEG, "holiday.jpeg", FIF_JPEG, "holiday.jpeg"},
        {FIF_JPEG, "HOLIDAY.JPE", FIF_JPEG, "HOLIDAY.JPE"},
        {FIF_JPEG, "photo.bmp", FIF_JPEG, "photo.jpg"},
        {FIF_PNG, "screen.png", FIF_PNG, "screen.png"},
        {FIF_PNG, "download.jpg", FIF_PNG, "download.png"},
        {FIF_BMP, "scan.BMP", FIF_PNG, "scan.png"},
        {FIF_TIFF, "page.tif", FIF_PNG, "page.png"},
        {FIF_WEBP, "web.webp", FIF_JPEG, "web.jpg"},
        {FIF_UNKNOWN, "phone.heic", FIF_JPEG, "phone.jpg"},
        {FIF_PNG, "my.photos.png", FIF_PNG, "my.photos.png"},
        {FIF_BMP, "Nameless", FIF_PNG, "Nameless"},
        {FIF_PNG, ".hidden", FIF_PNG, ".hidden"},
        {FIF_JPEG, "", FIF_JPEG, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProposedSaveFormat(c.source), c.proposed);
        EXPECT_EQ(ProposedSaveName(QString::fromLatin1(c.name), c.source), QString::fromLatin1(c.proposedName));
        const CString typed = ProposedSaveName(QStringLiteral("picture.gif"), c.source);
        EXPECT_EQ(SaveFormatOf(typed)->format, c.proposed);
        // The dialog lists the proposed type first and gives its suffix to a name typed without one.
        EXPECT_TRUE(SaveDialogFilter(c.proposed).startsWith("Pict Files (*." + SaveDialogExtension(c.proposed) + ")"));
        EXPECT_TRUE(typed.endsWith("." + SaveDialogExtension(c.proposed)));
    }
}
