#pragma once

#include "faces/FaceDetector.h"

#include <memory>
#include <vector>

namespace cv {
class CascadeClassifier;
}

// A second look at the finds the face model was unsure of and dlib's frontal
// detector turned down, as profiles often are: OpenCV's profile cascade, read
// once when F's detector is made, in a cut-out around each.
class CProfileCheck {
public:
    CProfileCheck();
    ~CProfileCheck();

    // Of the `unsure` finds, those not `confirmed` that the cascade sees in
    // their middle, each with the way it looks; none when the cascade's file
    // is missing.
    std::vector<FaceBox> Profiles(FIBITMAP* picture, const std::vector<FaceBox>& unsure,
                                  const std::vector<FaceBox>& confirmed);

private:
    std::unique_ptr<cv::CascadeClassifier> m_cascade;
};
