#include "bench/ForkedMeasure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long MaxResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

long ResidentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The highest resident memory since the peak was last forgotten, from /proc.
long PeakResidentKiB()
{
    long kib = -1;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            if (std::sscanf(line, "VmHWM: %ld", &kib) == 1)
                break;
        }
        std::fclose(status);
    }
    return kib;
}

bool ForgetPeak()
{
    FILE* refs = std::fopen("/proc/self/clear_refs", "w");
    if (!refs)
        return false;
    const bool written = std::fputs("5", refs) >= 0;
    return std::fclose(refs) == 0 && written;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Milliseconds of one run, negative when it failed. Starts after a sync, so
// that nothing written before is still on its way to the disk.
double TimeOnce(const MeasuredPath& path)
{
    sync();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = path.run();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    if (path.undo)
        path.undo();
    return ok ? took.count() : -1;
}

// Runs `work` in a forked child and hands back the plain value it computes.
template <typename Result, typename Work>
Result InChild(const Work& work)
{
    int ends[2];
    if (pipe(ends) != 0)
        return Result{};
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        const Result result = work();
        const bool sent = write(ends[1], &result, sizeof result) == ssize_t(sizeof result);
        _exit(sent ? 0 : 1);
    }
    close(ends[1]);
    Result result{};
    if (child < 0 || read(ends[0], &result, sizeof result) != ssize_t(sizeof result))
        result = Result{};
    close(ends[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return result;
}

} // namespace

PairFigures TimeInTurns(const std::function<void()>& prepare, const MeasuredPath& first,
                        const MeasuredPath& second, int runs)
{
    return InChild<PairFigures>([&] {
        if (prepare)
            prepare();
        std::vector<double> a, b, ratios;
        for (int i = 0; i < runs; ++i) {
            a.push_back(TimeOnce(first));
            b.push_back(TimeOnce(second));
            if (a.back() < 0 || b.back() < 0)
                return PairFigures{};
            ratios.push_back(a.back() / b.back());
        }
        return PairFigures{true, Median(a), Median(b), Median(ratios)};
    });
}

double PeakBytesInChild(const std::function<void()>& prepare, const MeasuredPath& path)
{
    return InChild<double>([&] {
        const long startKiB = ResidentKiB();
        if (prepare)
            prepare();
        return TimeOnce(path) < 0 ? -1.0 : double(MaxResidentKiB() - startKiB) * 1024;
    });
}

double PeakBytesAfterPrepare(const std::function<void()>& prepare, const MeasuredPath& path)
{
    return InChild<double>([&] {
        if (prepare)
            prepare();
        if (!ForgetPeak())
            return -1.0;
        const long startKiB = ResidentKiB();
        return TimeOnce(path) < 0 ? -1.0 : double(PeakResidentKiB() - startKiB) * 1024;
    });
}
