#pragma once

#include "tests/TestPictures.h"

#include <QByteArray>

// A plain FreeImage decode of `bytes`, run in a child process so that a
// decoder crash cannot take the test down.
struct ChildDecode {
    enum class Outcome { Decoded, Refused, Crashed };
    Outcome outcome = Outcome::Crashed;
    BitmapPtr picture;   // converted to 24 bits, when decoded
};

ChildDecode DecodeInChild(FREE_IMAGE_FORMAT format, const QByteArray& bytes, int flags);
