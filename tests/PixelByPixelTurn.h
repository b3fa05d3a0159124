#pragma once

#include "io/PictureRotation.h"

#include <FreeImage.h>

// The quarter turn by its definition: for every source column i and every j,
// one FreeImage_GetPixelColor and one FreeImage_SetPixelColor. Slow and
// obvious; the tests and the benchmark hold the fast turn against it.
inline FIBITMAP* TurnPixelByPixel(FIBITMAP* picture, QuarterTurn turn)
{
    const unsigned W = FreeImage_GetWidth(picture), H = FreeImage_GetHeight(picture);
    FIBITMAP* turned = FreeImage_Allocate(int(H), int(W), 24, 0, 0, 0);
    RGBQUAD colour{};
    for (unsigned i = 0; i < W; ++i) {
        for (unsigned j = 0; j < H; ++j) {
            if (turn == QuarterTurn::Left)
                FreeImage_GetPixelColor(picture, i, H - 1 - j, &colour);
            else
                FreeImage_GetPixelColor(picture, W - 1 - i, j, &colour);
            FreeImage_SetPixelColor(turned, j, i, &colour);
        }
    }
    return turned;
}
