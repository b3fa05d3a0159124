#pragma once

#include <cstddef>
#include <functional>

// Calls work(item, thread) for every item of [0, count) on up to `threads`
// threads numbered from 0, the calling thread being 0, and joins them before
// it returns. An item that returns false or throws stops the others; false then.
bool ShareWork(size_t count, unsigned threads, const std::function<bool(size_t item, unsigned thread)>& work);
