#pragma once

#include "io/BitmapPtr.h"

#include <FreeImage.h>

enum class QuarterTurn { Left, Right };

// A turned copy of the 24-bit `picture`: H wide and W high, 24 bits, no colour
// masks and nothing of the old bitmap but its pixels. Turned left, source
// pixel (i, H - 1 - j) lands on (j, i); turned right, (W - 1 - i, j) does
// (x from the left, y the scan line from the bottom). Null when the new
// bitmap cannot be allocated.
BitmapPtr TurnPicture(FIBITMAP* picture, QuarterTurn turn);

// The kernel of every turn that swaps width and height, turns and the
// orientations that mirror as they turn: a copy H wide and W high whose scan
// line i (from the bottom) holds source column i, or W - 1 - i when
// `columnsReversed`, and whose column j holds source scan line j, or H - 1 - j
// when `linesReversed`. Null when the copy cannot be allocated.
BitmapPtr TransposePicture(FIBITMAP* picture, bool linesReversed, bool columnsReversed);
