#include "io/DecoderComplaints.h"

#include <FreeImage.h>

#include <QByteArray>

namespace {

// Each thread's innermost listener; the callback runs on the thread whose decoder speaks.
thread_local DecoderComplaints* listening = nullptr;

} // namespace

bool MeansDamage(const char* message)
{
    const QByteArray text = QByteArray(message ? message : "").toLower();
    // Bytes the decoder skipped between segments leave every pixel as it was.
    if (text.contains("extraneous bytes"))
        return false;
    for (const char* damage : {"premature end", "corrupt", "invalid", "inconsistent", "truncat", "bad huffman",
                               "bad arithmetic", "not enough", "read error", "unexpected end", "incomplete"}) {
        if (text.contains(damage))
            return true;
    }
    return false;
}

void DecoderComplaints::Install()
{
    // Set once and never removed: swapping a process-wide callback while another thread decodes would race.
    static const bool installed = [] {
        FreeImage_SetOutputMessage([](FREE_IMAGE_FORMAT, const char* message) {
            if (listening && MeansDamage(message))
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
