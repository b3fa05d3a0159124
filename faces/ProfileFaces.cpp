#include "faces/ProfileFaces.h"

#include "faces/FaceModelFile.h"
#include "faces/FaceSurroundings.h"
#include "faces/ReducedGray.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>

namespace {
// The cut-out is this many face sides across and this many pixels wide, so
// that the face is about 48 pixels, twice the cascade's smallest.
constexpr double kSidesAcross = 2.0;
constexpr int kCutSide = 96;
constexpr int kSmallestFind = 24;
// How many overlapping finds make one; fewer let patterned cloth through.
constexpr int kNeighbours = 3;

// The face's surroundings as an upright gray square of kCutSide pixels, or empty.
cv::Mat UprightCut(FIBITMAP* picture, const FaceBox& face)
{
    const FaceSurroundings around = SurroundingsOf(picture, face, kSidesAcross);
    const BitmapPtr cut = CopySurroundings(picture, around);
    if (!cut)
        return {};
    cv::Mat gray(around.bottom - around.top, around.right - around.left, CV_8U);
    ReduceToGray(cut.get(), unsigned(gray.cols), unsigned(gray.rows), gray.data, std::ptrdiff_t(gray.step));
    // Placed where it lies in the square around the face, the rest black.
    const double scale = double(kCutSide) / around.side;
    const auto toSquare = [scale](int v) { return int(std::lround(v * scale)); };
    const cv::Rect into = cv::Rect(toSquare(around.left - (around.cx - around.side / 2)),
                                   toSquare(around.top - (around.cy - around.side / 2)),
                                   std::max(1, toSquare(gray.cols)), std::max(1, toSquare(gray.rows))) &
                          cv::Rect(0, 0, kCutSide, kCutSide);
    if (into.empty())
        return {};
    cv::Mat square = cv::Mat::zeros(kCutSide, kCutSide, CV_8U);
    cv::resize(gray, square(into), into.size(), 0, 0, cv::INTER_AREA);
    static const cv::RotateFlags kUpright[] = {cv::ROTATE_90_CLOCKWISE, cv::ROTATE_180, cv::ROTATE_90_COUNTERCLOCKWISE};
    if (face.turns % 4 != 0)
        cv::rotate(square, square, kUpright[face.turns % 4 - 1]);
    return square;
}

// A profile in the middle of the cut-out, about the face's size.
bool SeenInMiddle(cv::CascadeClassifier& cascade, const cv::Mat& cut)
{
    std::vector<cv::Rect> found;
    cascade.detectMultiScale(cut, found, 1.1, kNeighbours, 0, cv::Size(kSmallestFind, kSmallestFind));
    const double faceSide = kCutSide / kSidesAcross;
    return std::any_of(found.begin(), found.end(), [&](const cv::Rect& r) {
        const double x = r.x + r.width / 2.0, y = r.y + r.height / 2.0;
        return std::abs(x - kCutSide / 2.0) < faceSide / 2 && std::abs(y - kCutSide / 2.0) < faceSide / 2 &&
               r.width > faceSide / 2 && r.width < faceSide * 2;
    });
}
} // namespace

CProfileCheck::CProfileCheck()
{
    try {
        const QString path = FaceModelFile::DataPath("haarcascade_profileface.xml", VEILCUT_PROFILE_CASCADE_BUILT);
        auto cascade = std::make_unique<cv::CascadeClassifier>();
        if (cascade->load(path.toStdString()))
            m_cascade = std::move(cascade);
    } catch (const std::exception&) {
        // Without the cascade F finds frontal faces as before.
        m_cascade.reset();
    }
}

CProfileCheck::~CProfileCheck() = default;

std::vector<FaceBox> CProfileCheck::Profiles(FIBITMAP* picture, const std::vector<FaceBox>& unsure,
                                             const std::vector<FaceBox>& confirmed)
{
    if (!m_cascade || unsure.size() == confirmed.size())
        return {};
    std::vector<FaceBox> profiles;
    try {
        for (FaceBox face : unsure) {
            if (std::find(confirmed.begin(), confirmed.end(), face) != confirmed.end())
                continue;
            const cv::Mat cut = UprightCut(picture, face);
            if (cut.empty())
                continue;
            // The cascade knows faces whose nose points left; the mirror shows the others.
            cv::Mat mirror;
            cv::flip(cut, mirror, 1);
            face.facing = SeenInMiddle(*m_cascade, cut) ? -1 : SeenInMiddle(*m_cascade, mirror) ? 1 : 0;
            if (face.facing != 0)
                profiles.push_back(face);
        }
    } catch (const std::exception&) {
        // A cascade that cannot run finds no profile; frontal faces are found as before.
        return {};
    }
    return profiles;
}
