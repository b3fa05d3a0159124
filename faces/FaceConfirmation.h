#pragma once

#include "faces/FaceDetector.h"

#include <dlib/image_processing/frontal_face_detector.h>

#include <vector>

// dlib's frontal detector asked again about the finds the face model is
// unsure of, which are mostly animals: each face's surroundings are cut out,
// scaled to the detector's size and turned upright.
class CFaceConfirmation {
public:
    explicit CFaceConfirmation(unsigned threads);

    // Those of `faces` the detector also sees, on every thread; throws when
    // one could not be looked at.
    std::vector<FaceBox> Confirmed(FIBITMAP* picture, const std::vector<FaceBox>& faces);

private:
    // One per thread, read from dlib's own data once.
    std::vector<dlib::frontal_face_detector> m_detectors;
};
