#pragma once

#include "faces/FaceTiles.h"
#include "faces/ReducedLayer.h"

#include <vector>

// What the face model reads: kModelSide rows from the top of kModelSide
// pixels, each red, green, blue from -1 to 1.
using ModelInput = std::vector<float>;

// The tile of `layer`'s picture from `reduced`, the picture reduced as `layer`
// says, scaled to the model's square (a small picture's pixels repeated),
// 0 where the tile reaches past the picture.
void CutModelInput(const CReducedLayer& reduced, const FaceLayer& layer, const FaceTile& tile, ModelInput& out);

// `in` turned `turns` quarter turns to the right.
void TurnModelInput(const ModelInput& in, int turns, ModelInput& out);
