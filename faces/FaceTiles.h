#pragma once

#include <vector>

// A square of the picture that the face model sees at once, in picture pixels
// with rows from the top; it may reach past the picture's edges.
struct FaceTile {
    long long left = 0;
    long long top = 0;
    long long side = 0;

    constexpr bool operator==(const FaceTile&) const = default;
};

// Sides of the square the model sees, and the faces it finds in it.
constexpr int kModelSide = 256;
constexpr int kSmallestModelFace = 20;   // pixels of the model's square
constexpr int kLargestModelFace = 48;    // still found whole in a tile

// The picture reduced `shrink` times (each pixel the mean of a shrink by
// shrink block), the side of its tiles in its own pixels (less than the
// model's when a small picture is enlarged), and the tiles cut from it, whose
// corners fall on its pixels.
struct FaceLayer {
    long long shrink = 1;
    long long span = kModelSide;
    std::vector<FaceTile> tiles;
};

// Layers covering a width by height picture so that every face from
// `smallestShare` of the shorter side upwards lies whole in some tile at a
// size the model finds: a fine layer of overlapping tiles, then layers
// reduced twice as much, up to one tile holding the whole picture.
std::vector<FaceLayer> FaceLayers(long long width, long long height, double smallestShare);
