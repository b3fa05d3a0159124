#pragma once

#include <functional>

// One way of doing an operation: `run` is timed, `undo` (put things back for
// the next run) is not. `run` returns false when the operation failed.
struct MeasuredPath {
    std::function<bool()> run;
    std::function<void()> undo;
};

struct PairFigures {
    bool ok = false;
    double firstMs = 0, secondMs = 0;   // medians
    double ratio = 0;                   // median of first / second over the runs taken in turn
};

// Times `first` and `second` in turn, `runs` times each, after one untimed
// `prepare`, in a forked child: both see the same state of the machine, which
// other work on it may change from second to second.
PairFigures TimeInTurns(const std::function<void()>& prepare, const MeasuredPath& first,
                        const MeasuredPath& second, int runs);

// The highest resident memory of one run of `path` after `prepare`, above what
// the process held before `prepare`, measured by getrusage in a forked child
// of its own so that no other path's peak mixes in. Negative when it failed.
double PeakBytesInChild(const std::function<void()>& prepare, const MeasuredPath& path);

// The same above what the process held after `prepare`, whose own peak is
// forgotten first (Linux's clear_refs); negative when it failed.
double PeakBytesAfterPrepare(const std::function<void()>& prepare, const MeasuredPath& path);
