#include "app/MaskSettings.h"

#include "app/VeilcutApp.h"

#include <iterator>

namespace {

// The stored values and the fields they belong to. Every value is read with
// its field's current content as default, so the defaults are whatever the
// record holds when it is read.
struct RectValue {
    const char* name;
    int CRect::*side;
};
// In the order they are written; they are read in the reverse order.
constexpr RectValue rectValues[] = {
    {"EllipsRectXTL", &CRect::left},
    {"EllipsRectYTL", &CRect::top},
    {"EllipsRectXBR", &CRect::right},
    {"EllipsRectYBR", &CRect::bottom},
};

constexpr const char* colorValue = "Color";

struct FolderValue {
    const char* name;
    CString MaskSettings::*field;
};
constexpr FolderValue folderValues[] = {
    {"PictOpenPaNm", &MaskSettings::openDir},
    {"PictSavePaNm", &MaskSettings::saveDir},
};

} // namespace

void CVeilcutApp::ReadMaskSettings(const CString& section, MaskSettings* settings)
{
    // The four sides are read first and replace the rectangle together.
    CRect rect = settings->offsetRect;
    for (auto value = std::rbegin(rectValues); value != std::rend(rectValues); ++value)
        rect.*value->side = GetProfileInt(section, QLatin1String(value->name), rect.*value->side);
    settings->offsetRect = rect;
    // The colour travels as a signed 32-bit number: its bits come back unchanged.
    settings->color = COLORREF(GetProfileInt(section, QLatin1String(colorValue), int(settings->color)));
    for (const FolderValue& value : folderValues)
        settings->*value.field = GetProfileString(section, QLatin1String(value.name), settings->*value.field);
}

void CVeilcutApp::WriteMaskSettings(const CString& section, MaskSettings* settings)
{
    for (const RectValue& value : rectValues)
        WriteProfileInt(section, QLatin1String(value.name), settings->offsetRect.*value.side);
    WriteProfileInt(section, QLatin1String(colorValue), int(settings->color));
    for (const FolderValue& value : folderValues)
        WriteProfileString(section, QLatin1String(value.name), settings->*value.field);
}
