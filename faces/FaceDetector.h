#pragma once

#include "faces/FaceModelFile.h"

#include <FreeImage.h>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// A face as the detector boxes it, in picture pixels with rows counted from
// the top; the box is tighter than the whole face. `turns` quarter turns to
// the right stand the face upright: 1 for a face whose crown points left.
// `facing` tells a profile, upright: -1 nose to the left, +1 to the right.
struct FaceBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int turns = 0;
    int facing = 0;

    constexpr bool operator==(const FaceBox&) const = default;
};

// The faces of one search, or why none could be searched for.
struct FaceSearch {
    std::vector<FaceBox> faces;
    QString failure;
    bool cancelled = false;
};

// Told the share of a search done, on the thread that searches; false stops it.
using FaceProgress = std::function<bool(double done)>;

// Finds the faces in a 24-bit picture.
class CFaceDetector {
public:
    virtual ~CFaceDetector() = default;
    virtual FaceSearch Find(FIBITMAP* picture, const FaceProgress& progress) = 0;
};

// The smallest face searched for, as a share of the picture's shorter side.
constexpr double kSmallestFaceShare = 0.02;

// The detector the program uses: the face model of `modelPath` over tiles of
// the picture, on every core; the benchmark and tests try others.
std::unique_ptr<CFaceDetector> MakeFaceDetector(double smallestShare = kSmallestFaceShare,
                                                const QString& modelPath = FaceModelFile::Path());

// dlib's frontal detector on a gray copy of `searchPixels`, kept for comparison;
// 5 MP keeps it within half a second for 24 MP on our 2-core machine.
constexpr double kHogSearchPixels = 5.0e6;
std::unique_ptr<CFaceDetector> MakeHogFaceDetector(double searchPixels);
