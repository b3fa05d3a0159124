#include "document/DecoderComplaints.h"

#include <FreeImage.h>

namespace {

DecoderComplaints* listening = nullptr;

} // namespace

DecoderComplaints::DecoderComplaints() : outer_(listening)
{
    listening = this;
    FreeImage_SetOutputMessage([](FREE_IMAGE_FORMAT, const char*) {
        if (listening)
            ++listening->heard_;
    });
}

DecoderComplaints::~DecoderComplaints()
{
    listening = outer_;
    if (!listening)
        FreeImage_SetOutputMessage(nullptr);
}
