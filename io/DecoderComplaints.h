#pragma once

// Counts what FreeImage's decoders report while it lives: libjpeg's warnings
// about damaged data (a premature end, corrupt data) arrive there. Each load
// or check makes its own, so nothing said about another file is counted, and
// only what is said on the thread that made it: an encoder on another thread
// is not heard.

// Whether a decoder's message says the pixels are cut short or wrong; skipped
// stray bytes and unknown markers leave them intact.
bool MeansDamage(const char* message);

class DecoderComplaints {
public:
    // Puts FreeImage's message callback in place for the rest of the run;
    // start-up calls it, and the first listener does if start-up did not.
    static void Install();

    DecoderComplaints();
    ~DecoderComplaints();
    DecoderComplaints(const DecoderComplaints&) = delete;
    DecoderComplaints& operator=(const DecoderComplaints&) = delete;

    bool Heard() const { return m_heard > 0; }

private:
    int m_heard = 0;
    DecoderComplaints* m_outer = nullptr;
};
