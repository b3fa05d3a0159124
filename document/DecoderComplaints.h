#pragma once

// Counts what FreeImage's decoders report while it lives: libjpeg's warnings
// about damaged data (a premature end, corrupt data) arrive there. Each load
// or check makes its own, so nothing said about another file is counted.
class DecoderComplaints {
public:
    DecoderComplaints();
    ~DecoderComplaints();
    DecoderComplaints(const DecoderComplaints&) = delete;
    DecoderComplaints& operator=(const DecoderComplaints&) = delete;

    bool Heard() const { return heard_ > 0; }

private:
    int heard_ = 0;
    DecoderComplaints* outer_ = nullptr;
};
