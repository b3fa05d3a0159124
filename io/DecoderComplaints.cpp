#include "io/DecoderComplaints.h"

#include <FreeImage.h>

#include <atomic>

namespace {

// Each thread's innermost listener; the callback runs on the thread whose decoder speaks.
thread_local DecoderComplaints* listening = nullptr;
std::atomic<int> listeners{0};

} // namespace

DecoderComplaints::DecoderComplaints() : m_outer(listening)
{
    listening = this;
    if (listeners.fetch_add(1) == 0) {
        FreeImage_SetOutputMessage([](FREE_IMAGE_FORMAT, const char*) {
            if (listening)
                ++listening->m_heard;
        });
    }
}

DecoderComplaints::~DecoderComplaints()
{
    listening = m_outer;
    if (listeners.fetch_sub(1) == 1)
        FreeImage_SetOutputMessage(nullptr);
}
