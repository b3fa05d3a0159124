#pragma once

#include "faces/FaceDetector.h"
#include "faces/SearchProgress.h"

#include <functional>
#include <optional>

// The faces of the current picture in the order the F key visits them,
// searched for once per picture.
class CFaceCycle {
public:
    // The next face after the one given last, back to the first after the
    // last; searches the picture first unless it was already searched.
    // Nothing when no face was found or the search could not run (`Failure`).
    std::optional<FaceBox> Next(FIBITMAP* picture);
    // Every face of the picture in that order, searched for as Next does.
    // Empty after a search the user cancelled, which is made again next time.
    const std::vector<FaceBox>& All(FIBITMAP* picture);
    bool Searched() const { return m_search.has_value(); }
    bool Cancelled() const { return m_cancelled; }
    QString Failure() const { return m_search ? m_search->failure : QString(); }
    // Another picture: the next face comes from a new search, and a save asks again.
    void Forget()
    {
        m_search.reset();
        m_uncoveredAccepted = false;
    }
    // The same picture with ellipses burnt in: the next face comes from a new search.
    void ForgetSearch() { m_search.reset(); }
    // The user chose to save this picture with faces left uncovered.
    void AcceptUncovered() { m_uncoveredAccepted = true; }
    bool UncoveredAccepted() const { return m_uncoveredAccepted; }
    void UseDetector(std::unique_ptr<CFaceDetector> detector) { m_detector = std::move(detector); }
    void UseProgress(std::function<std::unique_ptr<CSearchProgress>()> make) { m_makeProgress = std::move(make); }

private:
    std::unique_ptr<CFaceDetector> m_detector;
    std::function<std::unique_ptr<CSearchProgress>()> m_makeProgress = MakeSearchProgress;
    std::optional<FaceSearch> m_search;
    std::vector<FaceBox> m_none;
    size_t m_next = 0;
    bool m_cancelled = false;
    bool m_uncoveredAccepted = false;
};
