#include "faces/FaceCycle.h"

#include "faces/FacePlacement.h"

const std::vector<FaceBox>& CFaceCycle::All(FIBITMAP* picture)
{
    if (!m_search) {
        // Built at the first search: the detector's model takes a moment to read.
        if (!m_detector)
            m_detector = MakeFaceDetector();
        const std::unique_ptr<CSearchProgress> progress = m_makeProgress();
        FaceSearch search = m_detector->Find(picture, [&](double done) { return progress->Update(done); });
        m_cancelled = search.cancelled;
        if (m_cancelled)
            return m_none;
        m_search = std::move(search);
        OrderFaces(m_search->faces);
        m_next = 0;
    }
    return m_search->faces;
}

std::optional<FaceBox> CFaceCycle::Next(FIBITMAP* picture)
{
    const std::vector<FaceBox>& faces = All(picture);
    if (faces.empty())
        return std::nullopt;
    const FaceBox face = faces[m_next];
    m_next = (m_next + 1) % faces.size();
    return face;
}
