#pragma once

// Photographs with labelled faces and without people from Debian packages,
// and large pictures made of them, for the face benchmark and its tests.
#include "faces/FaceDetector.h"

#include <memory>
#include <string>
#include <vector>

namespace FacePhotos {

struct Unloader {
    void operator()(FIBITMAP* dib) const { if (dib) FreeImage_Unload(dib); }
};
using Picture = std::unique_ptr<FIBITMAP, Unloader>;

struct Photo {
    std::string name;
    Picture picture;
    std::vector<FaceBox> faces;
};

// Where libdlib19.1 (brought by libdlib-dev) keeps them.
extern const std::string kExamples;
extern const std::string kOpencvExamples;

// A picture file as 24 bits, or null.
Picture Load(const std::string& path);
// The labelled photographs of libdlib19.1; empty when it is not installed.
std::vector<Photo> LabelledPhotos();
// The turned and looking-down faces labelled in bench/turned_faces.txt, in
// the photographs (or parts of them) that load; `missing` gets the others' paths.
std::vector<Photo> TurnedPhotos(std::vector<std::string>* missing);
// Photographs without people of libdlib19.1 and opencv-doc, then those of `extra` that load.
std::vector<Photo> PhotosWithoutPeople(const std::vector<std::string>& extra);

// How many labelled faces of at least `minSide` pixels were found, out of
// how many; `extra`: found boxes that match no label.
struct Score {
    int found = 0, faces = 0, extra = 0;
};
Score Compare(const std::vector<FaceBox>& found, const std::vector<FaceBox>& labels, int minSide);

// The labels of profiles among `labels`.
std::vector<FaceBox> Profiles(const std::vector<FaceBox>& labels);
// The least share of a label that the ellipse F places over its find covers.
double LeastCovered(const std::vector<FaceBox>& found, const std::vector<FaceBox>& labels, FIBITMAP* picture);

// The photographs enlarged `enlarge` times and laid in a 6 by 5 grid on a gray
// width by height picture; `faces` gets the labels at their new places.
Picture Mosaic(const std::vector<const Photo*>& photos, unsigned width, unsigned height, double enlarge,
               std::vector<FaceBox>* faces);

} // namespace FacePhotos
