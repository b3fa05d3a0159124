#include "faces/FaceDetector.h"

#include "faces/FaceMessages.h"
#include "faces/ReducedGray.h"

#include <dlib/image_processing/frontal_face_detector.h>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {
// dlib's frontal face detector: gradient histograms and a linear classifier
// built into the library, so there is no model file to lose.
class CHogFaceDetector : public CFaceDetector {
public:
    explicit CHogFaceDetector(double searchPixels) : m_searchPixels(searchPixels) {}

    FaceSearch Find(FIBITMAP* picture, const FaceProgress&) override
    {
        try {
            return Search(picture);
        } catch (const std::exception&) {
            return {{}, FaceMessages::SearchFailed()};
        }
    }

private:
    FaceSearch Search(FIBITMAP* picture)
    {
        const unsigned width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
        const double factor = std::min(1.0, std::sqrt(m_searchPixels / (double(width) * height)));
        const unsigned searchWidth = std::max(1u, unsigned(width * factor));
        const unsigned searchHeight = std::max(1u, unsigned(height * factor));
        dlib::array2d<unsigned char> image(searchHeight, searchWidth);
        ReduceToGray(picture, searchWidth, searchHeight, &image[0][0], dlib::width_step(image));
        // A small picture is searched at twice its size so that its small faces are found too.
        double enlarged = 1.0;
        if (4.0 * searchWidth * searchHeight <= m_searchPixels) {
            dlib::pyramid_up(image);
            enlarged = 2.0;
        }
        const double sx = double(width) / searchWidth / enlarged, sy = double(height) / searchHeight / enlarged;
        FaceSearch search;
        for (const dlib::rectangle& r : m_detector(image)) {
            search.faces.push_back({int(std::lround(r.left() * sx)), int(std::lround(r.top() * sy)),
                                    int(std::lround(r.width() * sx)), int(std::lround(r.height() * sy))});
        }
        return search;
    }

    double m_searchPixels;
    dlib::frontal_face_detector m_detector = dlib::get_frontal_face_detector();
};
} // namespace

std::unique_ptr<CFaceDetector> MakeHogFaceDetector(double searchPixels)
{
    return std::make_unique<CHogFaceDetector>(searchPixels);
}
