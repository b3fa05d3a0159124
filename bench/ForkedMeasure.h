#pragma once

#include <functional>

// One measured path: `prepare` and `undo` are not timed, `run` is, after a
// sync so that no earlier writes are still going to the disk.
struct MeasuredPath {
    std::function<void()> prepare;
    std::function<bool()> run;   // false: the path failed
    std::function<void()> undo;
};

struct PathFigures {
    bool ok = false;
    double medianMs = 0;
    double peakBytes = 0;   // highest resident memory above what the child held at its start
};

// Runs `path` `runs` times in a forked child of its own, so that each path's
// peak memory (getrusage's highest resident size) is not mixed with another's.
PathFigures MeasureInChild(const MeasuredPath& path, int runs);
