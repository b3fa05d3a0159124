#pragma once

#include "faces/FaceTiles.h"

#include <FreeImage.h>

#include <vector>

// What the face model reads: kModelSide rows from the top of kModelSide
// pixels, each red, green, blue from -1 to 1.
using ModelInput = std::vector<float>;

// The tile of the 24-bit `picture` scaled to the model's square: each model
// pixel the mean of the picture pixels it covers (the nearest one when the
// tile is enlarged), 0 where the tile reaches past the picture.
void ReduceToModelInput(FIBITMAP* picture, const FaceTile& tile, ModelInput& out);

// `in` turned `turns` quarter turns to the right.
void TurnModelInput(const ModelInput& in, int turns, ModelInput& out);
