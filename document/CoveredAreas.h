#pragma once

#include "document/CoverEllipse.h"

#include <optional>
#include <vector>

// Every ellipse that hides part of the picture, in the order they were
// added, and the one the handles and the keys act on.
struct CoveredAreas {
    std::vector<CoverEllipse> ellipses;
    std::optional<std::size_t> selected;

    bool operator==(const CoveredAreas&) const = default;
};

// Just `e`, selected.
CoveredAreas OnlyEllipse(const CoverEllipse& e);
// `areas` with `e` added last and selected.
CoveredAreas WithAdded(CoveredAreas areas, const CoverEllipse& e);
// `areas` without the selected ellipse; the next one left to right is selected.
CoveredAreas WithoutSelected(CoveredAreas areas);
// The ellipse `step` places away from the selected one, left to right, round
// the end; the leftmost (or rightmost) when none is selected.
std::optional<std::size_t> SelectionStep(const CoveredAreas& areas, int step);
// `areas` with every ellipse on the picture turned a quarter turn.
CoveredAreas Turned(CoveredAreas areas, QuarterTurn turn, unsigned width, unsigned height);
