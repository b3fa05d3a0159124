#pragma once

#include <QString>

// What the document tells the user; each text is two pieces, the first
// ending in a line break.
namespace DocumentMessages {
inline QString UnsupportedOpenFormat()
{
    return QStringLiteral("Can't open picture, unsupported format.\n") +
           QStringLiteral(" (supported: JPEG, PNG, WebP, HEIC, TIFF or BMP pictures)");
}
inline QString LoadError() { return QStringLiteral("Can't load picture,\n") + QStringLiteral(" unknown error."); }
inline QString TooLarge() { return QStringLiteral("Can't load picture,\n") + QStringLiteral(" it is too large."); }
inline QString Damaged()
{
    return QStringLiteral("Picture is damaged,\n") + QStringLiteral(" part of it could not be read.");
}
inline QString NotBitmap()
{
    return QStringLiteral("Picture is not standard Bitmap-type,\n") + QStringLiteral(" the format can't be read.");
}
inline QString UnsupportedSaveFormat()
{
    return QStringLiteral("Can't save picture, unsupported format.\n") +
           QStringLiteral(" (supported: .jpg, .jpeg, .jpe, .png or .bmp, in lower or upper case)");
}
inline QString SaveError() { return QStringLiteral("Can't save picture,\n") + QStringLiteral(" unknown error."); }
// Asked, Yes or No, before a save that would hide nothing.
inline QString NothingCovered()
{
    return QStringLiteral("Nothing is covered. Save the picture without hiding anything?");
}
inline QString SavePrompt(const QString& fileName)
{
    return QStringLiteral("SaveAs changes, made to ") + fileName + QStringLiteral(" ?");
}
} // namespace DocumentMessages
