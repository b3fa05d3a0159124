#include "io/DecoderComplaints.h"

#include <FreeImage.h>

#include <QByteArray>

#include <atomic>

namespace {

// Each thread's innermost listener; the callback runs on the thread whose decoder speaks.
thread_local DecoderComplaints* listening = nullptr;
std::atomic<int> listeners{0};

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

DecoderComplaints::DecoderComplaints() : m_outer(listening)
{
    listening = this;
    if (listeners.fetch_add(1) == 0) {
        FreeImage_SetOutputMessage([](FREE_IMAGE_FORMAT, const char* message) {
            if (listening && MeansDamage(message))
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
