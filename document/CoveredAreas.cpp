#include "document/CoveredAreas.h"

#include <algorithm>
#include <numeric>

namespace {
// The indices of the ellipses from left to right; equal left edges by top
// edge, then by the order they were added.
std::vector<std::size_t> LeftToRight(const std::vector<CoverEllipse>& ellipses)
{
    std::vector<std::size_t> order(ellipses.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const CoverEllipse &ea = ellipses[a], &eb = ellipses[b];
        return ea.left != eb.left ? ea.left < eb.left : ea.top < eb.top;
    });
    return order;
}
} // namespace

CoveredAreas OnlyEllipse(const CoverEllipse& e)
{
    return {{e}, 0};
}

CoveredAreas WithAdded(CoveredAreas areas, const CoverEllipse& e)
{
    areas.ellipses.push_back(e);
    areas.selected = areas.ellipses.size() - 1;
    return areas;
}

CoveredAreas WithoutSelected(CoveredAreas areas)
{
    if (!areas.selected || *areas.selected >= areas.ellipses.size())
        return areas;
    const std::size_t removed = *areas.selected;
    const std::optional<std::size_t> next = SelectionStep(areas, 1);
    areas.ellipses.erase(areas.ellipses.begin() + std::ptrdiff_t(removed));
    areas.selected.reset();
    if (next && *next != removed)
        areas.selected = *next > removed ? *next - 1 : *next;
    return areas;
}

std::optional<std::size_t> SelectionStep(const CoveredAreas& areas, int step)
{
    const std::vector<std::size_t> order = LeftToRight(areas.ellipses);
    if (order.empty())
        return std::nullopt;
    const auto n = std::ptrdiff_t(order.size());
    const auto at = std::find(order.begin(), order.end(), areas.selected.value_or(order.size()));
    if (at == order.end())
        return step > 0 ? order.front() : order.back();
    const std::ptrdiff_t place = ((at - order.begin()) + step) % n;
    return order[std::size_t(place < 0 ? place + n : place)];
}

CoveredAreas Turned(CoveredAreas areas, QuarterTurn turn, unsigned width, unsigned height)
{
    for (CoverEllipse& e : areas.ellipses)
        e = TurnEllipse(e, turn, width, height);
    return areas;
}
