#include "faces/FaceSurroundings.h"

#include <algorithm>

FaceSurroundings SurroundingsOf(FIBITMAP* picture, const FaceBox& face, double sidesAcross)
{
    const int width = int(FreeImage_GetWidth(picture)), height = int(FreeImage_GetHeight(picture));
    FaceSurroundings s;
    s.side = std::max(1, int(std::max(face.width, face.height) * sidesAcross));
    s.cx = face.left + face.width / 2, s.cy = face.top + face.height / 2;
    s.left = std::clamp(s.cx - s.side / 2, 0, width - 1), s.right = std::clamp(s.cx + s.side / 2, s.left + 1, width);
    s.top = std::clamp(s.cy - s.side / 2, 0, height - 1), s.bottom = std::clamp(s.cy + s.side / 2, s.top + 1, height);
    return s;
}

BitmapPtr CopySurroundings(FIBITMAP* picture, const FaceSurroundings& around)
{
    // FreeImage's copy counts rows from the top too.
    return BitmapPtr(FreeImage_Copy(picture, around.left, around.top, around.right, around.bottom));
}
