#include "io/DecoderComplaints.h"

#include <FreeImage.h>

namespace {

// Each thread's innermost listener; the callback runs on the thread whose decoder speaks.
thread_local DecoderComplaints* listening = nullptr;

} // namespace

void DecoderComplaints::Install()
{
    // Set once and never removed: swapping a process-wide callback while another thread decodes would race.
    static const bool installed = [] {
        FreeImage_SetOutputMessage([](FREE_IMAGE_FORMAT, const char*) {
            if (listening)
                ++listening->m_heard;
        });
        return true;
    }();
    (void)installed;
}

DecoderComplaints::DecoderComplaints() : m_outer(listening)
{
    Install();
    listening = this;
}

DecoderComplaints::~DecoderComplaints() { listening = m_outer; }
