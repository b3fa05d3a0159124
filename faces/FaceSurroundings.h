#pragma once

#include "faces/FaceDetector.h"
#include "io/BitmapPtr.h"

// The square around a face that a second look searches: `sidesAcross` face
// sides wide, centred on the face, and the part of it inside the picture
// (rows counted from the top, as the box does).
struct FaceSurroundings {
    int side = 0;
    int cx = 0, cy = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

FaceSurroundings SurroundingsOf(FIBITMAP* picture, const FaceBox& face, double sidesAcross);

// A copy of the surroundings' pixels inside the picture, or null.
BitmapPtr CopySurroundings(FIBITMAP* picture, const FaceSurroundings& around);
