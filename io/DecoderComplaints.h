#pragma once

// Counts what FreeImage's decoders report while it lives: libjpeg's warnings
// about damaged data (a premature end, corrupt data) arrive there. Each load
// or check makes its own, so nothing said about another file is counted, and
// only what is said on the thread that made it: an encoder on another thread
// is not heard. A listener made on a worker thread must live inside one of
// the thread that started the worker, which keeps the process-wide callback
// in place meanwhile.
// Whether a decoder's message says the pixels are cut short or wrong; skipped
// stray bytes and unknown markers leave them intact.
bool MeansDamage(const char* message);

class DecoderComplaints {
public:
    DecoderComplaints();
    ~DecoderComplaints();
    DecoderComplaints(const DecoderComplaints&) = delete;
    DecoderComplaints& operator=(const DecoderComplaints&) = delete;

    bool Heard() const { return m_heard > 0; }

private:
    int m_heard = 0;
    DecoderComplaints* m_outer = nullptr;
};
