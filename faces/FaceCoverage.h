#pragma once

#include "faces/FaceDetector.h"
#include "io/MaskBurn.h"

#include <vector>

// A face counts as covered when at least this share of its box is burnt.
constexpr double kCoveredShare = 0.7;

// The share of the face's box, within the width by height picture, that the
// burn paints for `ellipses`; 1 for a box wholly outside the picture.
double CoveredShare(const FaceBox& face, const std::vector<PictureEllipse>& ellipses, unsigned width,
                    unsigned height);

// The faces less than kCoveredShare covered, in the order given.
std::vector<FaceBox> UncoveredFaces(const std::vector<FaceBox>& faces, const std::vector<PictureEllipse>& ellipses,
                                    unsigned width, unsigned height);
