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

// Tiles covering a width by height picture so that every face from
// `smallestShare` of the shorter side upwards lies whole in some tile at a
// size the model finds: a fine layer of overlapping tiles, then layers of
// tiles twice as large, up to one tile holding the whole picture.
std::vector<FaceTile> FaceTiles(long long width, long long height, double smallestShare);
