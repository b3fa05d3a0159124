#include "faces/ModelInput.h"

#include <algorithm>
#include <array>

namespace {
// The model's value of each byte.
std::array<float, 256> ByteValues()
{
    std::array<float, 256> values{};
    for (int b = 0; b < 256; ++b)
        values[size_t(b)] = float(b / 127.5 - 1.0);
    return values;
}
} // namespace

void CutModelInput(const CReducedLayer& reduced, const FaceLayer& layer, const FaceTile& tile, ModelInput& out)
{
    static const std::array<float, 256> value = ByteValues();
    out.assign(size_t(kModelSide) * kModelSide * 3, 0.0f);
    const long long left = tile.left / layer.shrink, top = tile.top / layer.shrink;
    // Model pixel i shows pixel i * span / kModelSide of the tile: the nearest when enlarged.
    for (int y = 0; y < kModelSide; ++y) {
        const long long row = top + y * layer.span / kModelSide;
        if (row >= reduced.Height())
            break;
        const unsigned char* source = reduced.Row(row);
        float* target = out.data() + size_t(y) * kModelSide * 3;
        for (int x = 0; x < kModelSide; ++x, target += 3) {
            const long long column = left + x * layer.span / kModelSide;
            if (column >= reduced.Width())
                break;
            const unsigned char* pixel = source + 3 * column;
            target[0] = value[pixel[FI_RGBA_RED]];
            target[1] = value[pixel[FI_RGBA_GREEN]];
            target[2] = value[pixel[FI_RGBA_BLUE]];
        }
    }
}

void TurnModelInput(const ModelInput& in, int turns, ModelInput& out)
{
    out.resize(in.size());
    constexpr int n = kModelSide;
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            // Where pixel (x, y) of the turned square comes from.
            int sx = x, sy = y;
            for (int t = 0; t < (turns & 3); ++t) {
                const int px = sy, py = n - 1 - sx;
                sx = px, sy = py;
            }
            std::copy_n(&in[(size_t(sy) * n + sx) * 3], 3, &out[(size_t(y) * n + x) * 3]);
        }
    }
}
