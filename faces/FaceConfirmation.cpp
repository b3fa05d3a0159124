#include "faces/FaceConfirmation.h"

#include "faces/ReducedGray.h"
#include "faces/SharedWork.h"

#include <dlib/image_transforms.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {
// The cut-out is this many face sides across and this many pixels wide, so
// that the face is about 90 pixels: within the sizes the detector sees, and
// few enough pixels that it looks at every unsure find quickly.
constexpr double kSidesAcross = 2.0;
constexpr unsigned kCutSide = 180;
// The detector's own threshold: animals the model mistook must not pass.
constexpr double kLenience = 0.0;

struct Unloader {
    void operator()(FIBITMAP* dib) const { if (dib) FreeImage_Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, Unloader>;

bool SeenAgain(dlib::frontal_face_detector& detector, FIBITMAP* picture, const FaceBox& face)
{
    const int width = int(FreeImage_GetWidth(picture)), height = int(FreeImage_GetHeight(picture));
    const int side = int(std::max(face.width, face.height) * kSidesAcross);
    const int cx = face.left + face.width / 2, cy = face.top + face.height / 2;
    const int left = std::clamp(cx - side / 2, 0, width - 1), right = std::clamp(cx + side / 2, left + 1, width);
    const int top = std::clamp(cy - side / 2, 0, height - 1), bottom = std::clamp(cy + side / 2, top + 1, height);
    // FreeImage's copy counts rows from the top, as the box does.
    const Bitmap cut(FreeImage_Copy(picture, left, top, right, bottom));
    if (!cut)
        return false;
    const double scale = double(kCutSide) / side;
    const unsigned w = std::max(1u, unsigned((right - left) * scale)), h = std::max(1u, unsigned((bottom - top) * scale));
    const Bitmap scaled(FreeImage_Rescale(cut.get(), int(w), int(h), FILTER_BILINEAR));
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
