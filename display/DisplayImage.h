#pragma once

#include <FreeImage.h>
#include <QImage>

// The bottom-up, padded BGR display copy as a top-down QImage for painting 1:1.
// Anything but a 24-bit bitmap with pixels gives a null QImage.
QImage ToTopDownImage(FIBITMAP* display);
