#pragma once

#include <FreeImage.h>
#include <QString>

#include <memory>
#include <vector>

// A face as the detector boxes it, in picture pixels with rows counted from
// the top; the box is tighter than the whole face.
struct FaceBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr bool operator==(const FaceBox&) const = default;
};

// The faces of one search, or why none could be searched for.
struct FaceSearch {
    std::vector<FaceBox> faces;
    QString failure;
};

// Finds the faces in a 24-bit picture.
class CFaceDetector {
public:
    virtual ~CFaceDetector() = default;
    virtual FaceSearch Find(FIBITMAP* picture) = 0;
};

// Pixels of the reduced copy of a picture that is searched: as many as keep
// F within half a second for a 24 MP picture on our 2-core machine
// (bench_faces). Faces of about 80 pixels and more in it are found.
constexpr double kFaceSearchPixels = 5.0e6;

// The detector the program uses; the benchmark tries other sizes of the copy.
std::unique_ptr<CFaceDetector> MakeFaceDetector(double searchPixels = kFaceSearchPixels);
