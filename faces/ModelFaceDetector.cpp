#include "faces/FaceDetector.h"

#include "faces/FaceConfirmation.h"
#include "faces/FaceMessages.h"
#include "faces/FaceTiles.h"
#include "faces/ModelInput.h"
#include "faces/ProfileFaces.h"
#include "faces/ReducedLayer.h"
#include "faces/SharedWork.h"

#include <opencv2/core.hpp>
#include <opencv2/dnn.hpp>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {
// A face the model saw, in picture pixels, before overlapping finds are merged.
struct Seen {
    double cx, cy, width, height;
    float score;
    int turns;
};

// A tile of a layer searched with the picture turned `turns` quarter turns right.
struct Job {
    const FaceTile* tile;
    int turns;
};

// Kept when the model is at least this sure, and when less sure than kSure
// only if a second detector agrees, as every find in a turned picture must
// (three more looks find more animals); chosen on photographs without people.
constexpr float kThreshold = 0.6f;
constexpr float kSure = 0.9f;
// Two finds are one face when they overlap this much of the smaller one.
constexpr double kSameFace = 0.4;
// The model's box sits a little lower on the face than the brows-to-mouth box
// the ellipse is made for (measured on the labelled photographs).
constexpr double kBoxScale = 1.0;
constexpr double kBoxRaise = 0.07;

double Overlap(const Seen& a, const Seen& b)
{
    const double w = std::min(a.cx + a.width / 2, b.cx + b.width / 2) - std::max(a.cx - a.width / 2, b.cx - b.width / 2);
    const double h =
        std::min(a.cy + a.height / 2, b.cy + b.height / 2) - std::max(a.cy - a.height / 2, b.cy - b.height / 2);
    if (w <= 0 || h <= 0)
        return 0;
    return w * h / std::min(a.width * a.height, b.width * b.height);
}

FaceBox ToFaceBox(const Seen& k)
{
    // Scaled and raised along the face, which lies across the picture when turned.
    const bool across = k.turns % 2 == 1;
    const double raise = kBoxRaise * (across ? k.width : k.height);
    const double cx = k.cx + (k.turns == 1 ? -raise : k.turns == 3 ? raise : 0.0);
    const double cy = k.cy + (k.turns == 0 ? -raise : k.turns == 2 ? raise : 0.0);
    const double w = k.width * kBoxScale, h = k.height * kBoxScale;
    return {int(std::lround(cx - w / 2)), int(std::lround(cy - h / 2)), int(std::lround(w)), int(std::lround(h)),
            k.turns};
}

// The surest find of each face; a face seen in several tiles is kept once.
std::vector<FaceBox> Merge(FIBITMAP* picture, std::vector<Seen> seen, CFaceConfirmation& confirmation,
                           CProfileCheck& profileCheck)
{
    std::sort(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) { return a.score > b.score; });
    std::vector<Seen> kept;
    for (const Seen& s : seen) {
        if (std::none_of(kept.begin(), kept.end(), [&](const Seen& k) { return Overlap(s, k) > kSameFace; }))
            kept.push_back(s);
    }
    std::vector<FaceBox> faces, unsure;
    for (const Seen& k : kept)
        (k.score >= kSure && k.turns == 0 ? faces : unsure).push_back(ToFaceBox(k));
    const std::vector<FaceBox> confirmed = confirmation.Confirmed(picture, unsure);
    faces.insert(faces.end(), confirmed.begin(), confirmed.end());
    for (const FaceBox& face : profileCheck.Profiles(picture, unsure, confirmed))
        faces.push_back(face);
    return faces;
}

// The face model over square tiles, one copy of the network per thread.
class CModelFaceDetector : public CFaceDetector {
public:
    CModelFaceDetector(double smallestShare, const QString& modelPath) : m_smallestShare(smallestShare)
    {
        const QByteArray model = FaceModelFile::Read(modelPath);
        m_failure = FaceMessages::ModelMissing(modelPath);
        if (model.isEmpty())
            return;
        try {
            // Our own threads share the tiles; OpenCV's own pool would only compete with them.
            cv::setNumThreads(0);
            for (unsigned i = 0; i < m_threads; ++i)
                m_nets.push_back(cv::dnn::readNetFromONNX(model.constData(), size_t(model.size())));
            m_failure.clear();
        } catch (const std::exception&) {
            m_nets.clear();
        }
    }

    FaceSearch Find(FIBITMAP* picture, const FaceProgress& progress) override
    {
        if (!m_failure.isEmpty())
            return {{}, m_failure};
        const std::vector<FaceLayer> layers =
            FaceLayers(FreeImage_GetWidth(picture), FreeImage_GetHeight(picture), m_smallestShare);
        try {
            // A picture lying on its side is searched the other ways only when nothing stands upright.
            FaceSearch search = Run(picture, layers, {0}, progress, 0.0, 0.25);
            if (search.faces.empty() && search.failure.isEmpty() && !search.cancelled)
                search = Run(picture, layers, {1, 2, 3}, progress, 0.25, 1.0);
            return search;
        } catch (...) {
            return {{}, FaceMessages::SearchFailed()};
        }
    }

private:
    // Searches every layer's tiles turned each of `turns` on every thread; the
    // calling thread reports progress from `from` up to `upTo`. Each layer is
    // reduced from the one before, which is let go then, so that at most two
    // reduced copies are held at once.
    FaceSearch Run(FIBITMAP* picture, const std::vector<FaceLayer>& layers, const std::vector<int>& turns,
                   const FaceProgress& progress, double from, double upTo)
    {
        size_t total = 0;
        for (const FaceLayer& layer : layers)
            total += layer.tiles.size() * turns.size();
        std::atomic<size_t> done{0};
        std::atomic<bool> failed{false};
        std::mutex seenLock;
        std::vector<Seen> seen;
        auto reduced = std::make_shared<const CReducedLayer>(picture);
        long long shrink = 1;
        bool finished = true;
        for (const FaceLayer& layer : layers) {
            if (layer.shrink != shrink)
                reduced = std::make_shared<const CReducedLayer>(*reduced, layer.shrink / shrink, m_threads);
            shrink = layer.shrink;
            std::vector<Job> jobs;
            for (const FaceTile& tile : layer.tiles)
                for (int t : turns)
                    jobs.push_back({&tile, t});
            std::vector<ModelInput> inputs(m_nets.size()), turnedInputs(m_nets.size());
            finished = ShareWork(jobs.size(), unsigned(m_nets.size()), [&](size_t i, unsigned thread) {
                try {
                    std::vector<Seen> found =
                        SearchTile(m_nets[thread], *reduced, layer, jobs[i], inputs[thread], turnedInputs[thread]);
                    const std::lock_guard<std::mutex> hold(seenLock);
                    seen.insert(seen.end(), found.begin(), found.end());
                } catch (...) {
                    failed = true;
                    return false;
                }
                ++done;
                return thread != 0 || !progress || progress(from + (upTo - from) * double(done) / double(total));
            });
            if (!finished)
                break;
        }
        reduced.reset();
        FaceSearch search;
        if (failed)
            search.failure = FaceMessages::SearchFailed();
        else if (!finished)
            search.cancelled = true;
        else
            search.faces = Merge(picture, std::move(seen), m_confirmation, m_profileCheck);
        return search;
    }

    static std::vector<Seen> SearchTile(cv::dnn::Net& net, const CReducedLayer& reduced, const FaceLayer& layer,
                                        const Job& job, ModelInput& input, ModelInput& turned)
    {
        CutModelInput(reduced, layer, *job.tile, input);
        if (job.turns != 0)
            TurnModelInput(input, job.turns, turned);
        const int shape[] = {1, kModelSide, kModelSide, 3};
        net.setInput(cv::Mat(4, shape, CV_32F, (job.turns != 0 ? turned : input).data()));
        std::vector<cv::Mat> outputs;
        net.forward(outputs, net.getUnconnectedOutLayersNames());
        // Two layers of anchors: 16 by 16 cells of 2 and 8 by 8 cells of 6.
        std::vector<Seen> seen;
        for (const cv::Mat& scores : outputs) {
            if (scores.dims != 3 || scores.size[2] != 1)
                continue;
            const int anchors = scores.size[1];
            const auto boxes = std::find_if(outputs.begin(), outputs.end(), [&](const cv::Mat& m) {
                return m.dims == 3 && m.size[1] == anchors && m.size[2] == 16;
            });
            if (boxes == outputs.end())
                throw std::runtime_error("face model outputs");
            const int cells = anchors == 512 ? 16 : 8, perCell = anchors / (cells * cells);
            for (int a = 0; a < anchors; ++a) {
                const float score = 1.0f / (1.0f + std::exp(-std::clamp(scores.ptr<float>()[a], -80.0f, 80.0f)));
                if (score < kThreshold)
                    continue;
                const float* box = boxes->ptr<float>() + 16 * a;
                // The line from the right eye to the left one runs to the right in
                // an upright face; a face lying otherwise is found in another turn.
                if (std::abs(box[7] - box[5]) >= box[6] - box[4])
                    continue;
                const int cell = a / perCell;
                double u = (cell % cells + 0.5) / cells + box[0] / kModelSide;
                double v = (cell / cells + 0.5) / cells + box[1] / kModelSide;
                double w = box[2] / kModelSide, h = box[3] / kModelSide;
                // Back from the turned square: a point (u, v) there was (v, 1 - u) before one turn.
                for (int t = 0; t < job.turns; ++t) {
                    const double pu = v, pv = 1 - u;
                    u = pu, v = pv;
                    std::swap(w, h);
                }
                const double side = double(job.tile->side);
                seen.push_back({job.tile->left + u * side, job.tile->top + v * side, w * side, h * side, score, job.turns});
            }
        }
        return seen;
    }

    double m_smallestShare;
    const unsigned m_threads = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<cv::dnn::Net> m_nets;
    CFaceConfirmation m_confirmation{m_threads};
    CProfileCheck m_profileCheck;
    QString m_failure;
};
} // namespace

std::unique_ptr<CFaceDetector> MakeFaceDetector(double smallestShare, const QString& modelPath)
{
    return std::make_unique<CModelFaceDetector>(smallestShare, modelPath);
}
