#include "ForkedMeasure.h"

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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void RunChild(const MeasuredPath& path, int runs, int out)
{
    const long baseKiB = ResidentKiB();
    if (path.prepare)
        path.prepare();
    std::vector<double> times;
    PathFigures figures;
    figures.ok = true;
    for (int i = 0; i < runs && figures.ok; ++i) {
        // Each run starts with nothing of earlier ones still waiting to be written.
        sync();
        const auto start = std::chrono::steady_clock::now();
        figures.ok = path.run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (path.undo)
            path.undo();
    }
    figures.medianMs = Median(times);
    figures.peakBytes = double(MaxResidentKiB() - baseKiB) * 1024;
    const bool sent = write(out, &figures, sizeof figures) == ssize_t(sizeof figures);
    _exit(sent ? 0 : 1);
}

} // namespace

PathFigures MeasureInChild(const MeasuredPath& path, int runs)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        RunChild(path, runs, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    PathFigures figures;
    if (child < 0 || read(pipeEnds[0], &figures, sizeof figures) != ssize_t(sizeof figures))
        figures = {};
    close(pipeEnds[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return figures;
}
