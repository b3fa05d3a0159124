#pragma once

#include "faces/FaceDetector.h"
#include "framework/CRect.h"

#include <vector>

// Puts faces in the order the F key visits them: the largest first, equal
// sizes from left to right.
void OrderFaces(std::vector<FaceBox>& faces);

// The ellipse over the whole face around `face` (forehead to chin, ear to
// ear, with a small margin), in view coordinates of a picture `pictureHeight`
// rows high shown in `displayRect` at `scale`. It is moved inside the display
// rectangle, both corners included, in each direction where it fits.
CRect EllipseOverFace(const FaceBox& face, const CRect& displayRect, double scale, int pictureHeight);
