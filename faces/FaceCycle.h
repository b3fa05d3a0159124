#pragma once

#include "faces/FaceDetector.h"

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
    const std::vector<FaceBox>& All(FIBITMAP* picture);
    bool Searched() const { return m_search.has_value(); }
    QString Failure() const { return m_search ? m_search->failure : QString(); }
    // The picture changed: the next face comes from a new search.
    void Forget() { m_search.reset(); }
    void UseDetector(std::unique_ptr<CFaceDetector> detector) { m_detector = std::move(detector); }

private:
    std::unique_ptr<CFaceDetector> m_detector;
    std::optional<FaceSearch> m_search;
    size_t m_next = 0;
};
