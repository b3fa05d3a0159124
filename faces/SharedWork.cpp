#include "faces/SharedWork.h"

#include <atomic>
#include <thread>
#include <vector>

bool ShareWork(size_t count, unsigned threads, const std::function<bool(size_t item, unsigned thread)>& work)
{
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    const auto worker = [&](unsigned thread) {
        for (size_t i; !stop && (i = next++) < count;) {
            try {
                if (!work(i, thread))
                    stop = true;
            } catch (...) {
                stop = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (unsigned t = 1; t < threads && t < count; ++t)
            helpers.emplace_back(worker, t);
    } catch (...) {
        // Fewer threads do the same work.
    }
    worker(0);
    for (std::thread& helper : helpers)
        helper.join();
    return !stop;
}
