#pragma once

#include "faces/FaceDetector.h"

#include <vector>

// Keeps of `faces` those dlib's frontal detector also sees: each face's
// surroundings are cut out, scaled to the detector's size and turned upright.
// Used for the finds the face model is unsure of, which are mostly animals.
std::vector<FaceBox> ConfirmedFaces(FIBITMAP* picture, const std::vector<FaceBox>& faces);
