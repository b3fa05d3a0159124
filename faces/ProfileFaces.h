#pragma once

#include "faces/FaceDetector.h"

#include <vector>

// Of the finds the face model was `unsure` of, those not `confirmed` (dlib's
// frontal detector turns profiles down) that OpenCV's profile cascade sees in
// a cut-out around them, each with the way it looks; none when the cascade's
// file is missing.
std::vector<FaceBox> ProfileFaces(FIBITMAP* picture, const std::vector<FaceBox>& unsure,
                                  const std::vector<FaceBox>& confirmed);
