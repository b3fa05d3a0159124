#include "faces/FaceConfirmation.h"

#include "faces/FaceSurroundings.h"
#include "faces/ReducedGray.h"
#include "faces/SharedWork.h"

#include <dlib/image_transforms.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace {
// The cut-out is this many face sides across and this many pixels wide, so
// that the face is about 90 pixels: within the sizes the detector sees, and
// few enough pixels that it looks at every unsure find quickly.
constexpr double kSidesAcross = 2.0;
constexpr unsigned kCutSide = 180;
// The detector's own threshold: animals the model mistook must not pass.
constexpr double kLenience = 0.0;

bool SeenAgain(dlib::frontal_face_detector& detector, FIBITMAP* picture, const FaceBox& face)
{
    const FaceSurroundings around = SurroundingsOf(picture, face, kSidesAcross);
    const BitmapPtr cut = CopySurroundings(picture, around);
    if (!cut)
        return false;
    const double scale = double(kCutSide) / around.side;
    const unsigned w = std::max(1u, unsigned((around.right - around.left) * scale));
    const unsigned h = std::max(1u, unsigned((around.bottom - around.top) * scale));
    const BitmapPtr scaled(FreeImage_Rescale(cut.get(), int(w), int(h), FILTER_BILINEAR));
    if (!scaled)
        return false;
    dlib::array2d<unsigned char> gray(h, w);
    ReduceToGray(scaled.get(), w, h, &gray[0][0], dlib::width_step(gray));
    dlib::array2d<unsigned char> upright;
    for (int t = 0; t < face.turns; ++t) {
        dlib::rotate_image(gray, upright, -dlib::pi / 2);
        dlib::swap(gray, upright);
    }
    // The face found must be the one asked about: in the middle of the cut-out, about its size.
    const long cutWidth = long(gray.nc()), cutHeight = long(gray.nr());
    const double faceSide = std::max(face.width, face.height) * scale;
    for (const dlib::rectangle& r : detector(gray, kLenience)) {
        const dlib::point centre = dlib::center(r);
        if (std::abs(centre.x() - cutWidth / 2) < faceSide / 2 && std::abs(centre.y() - cutHeight / 2) < faceSide / 2 &&
            r.width() > faceSide / 2 && r.width() < faceSide * 2)
            return true;
    }
    return false;
}
} // namespace

CFaceConfirmation::CFaceConfirmation(unsigned threads)
    : m_detectors(std::max(threads, 1u), dlib::get_frontal_face_detector())
{
}

std::vector<FaceBox> CFaceConfirmation::Confirmed(FIBITMAP* picture, const std::vector<FaceBox>& faces)
{
    if (faces.empty())
        return {};
    std::vector<char> seen(faces.size(), 0);
    const bool asked = ShareWork(faces.size(), unsigned(m_detectors.size()), [&](size_t i, unsigned thread) {
        seen[i] = SeenAgain(m_detectors[thread], picture, faces[i]);
        return true;
    });
    // A face the detector could not be asked about is not dropped quietly.
    if (!asked)
        throw std::runtime_error("face confirmation");
    std::vector<FaceBox> confirmed;
    for (size_t i = 0; i < faces.size(); ++i) {
        if (seen[i])
            confirmed.push_back(faces[i]);
    }
    return confirmed;
}
