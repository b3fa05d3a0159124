#include "io/HeifDecoder.h"

#include "io/ContentFormat.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

namespace {

struct ContextFreer {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleReleaser {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageReleaser {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFreer {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

// Rows first .. end - 1 of interleaved RGB(A) into FreeImage's bottom-up BGR(A).
template <unsigned channels>
void CopyRows(const uint8_t* plane, int stride, FIBITMAP* dib, unsigned first, unsigned end)
{
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    for (unsigned y = first; y < end; ++y) {
        const uint8_t* in = plane + std::size_t(y) * unsigned(stride);
        BYTE* out = FreeImage_GetScanLine(dib, int(height - 1 - y));
        for (unsigned x = 0; x < width; ++x, in += channels, out += channels) {
            out[FI_RGBA_RED] = in[0];
            out[FI_RGBA_GREEN] = in[1];
            out[FI_RGBA_BLUE] = in[2];
            if constexpr (channels == 4)
                out[FI_RGBA_ALPHA] = in[3];
        }
    }
}

void CopyRows(const uint8_t* plane, int stride, unsigned channels, FIBITMAP* dib, unsigned first, unsigned end)
{
    if (channels == 4)
        CopyRows<4>(plane, stride, dib, first, end);
    else
        CopyRows<3>(plane, stride, dib, first, end);
}

// Runs `work` on a second thread while `alongside` runs on this one, and
// returns when both are done; without a second thread, one after the other.
// Neither may throw.
template <typename Work, typename Alongside>
void RunTogether(const Work& work, const Alongside& alongside)
{
    std::thread worker;
    try {
        worker = std::thread(work);
    } catch (const std::system_error&) {
        work();
    }
    alongside();
    if (worker.joinable())
        worker.join();
}

} // namespace

DecodedPicture DecodeHeif(const PictureBytes& bytes)
{
    const std::unique_ptr<heif_context, ContextFreer> context(heif_context_alloc());
    if (!context || heif_context_read_from_memory_without_copy(context.get(), bytes.data, bytes.size, nullptr).code !=
                        heif_error_Ok)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    heif_image_handle* primary = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    const std::unique_ptr<heif_image_handle, HandleReleaser> handle(primary);
    const int width = heif_image_handle_get_width(handle.get());
    const int height = heif_image_handle_get_height(handle.get());
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const unsigned channels = alpha ? 4 : 3;
    if (width <= 0 || height <= 0)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    // The decoder's planes and its RGB picture, then the bitmap.
    if (ClaimTooLarge(kHeifFormat, unsigned(width), unsigned(height), 8 * (channels + channels), bytes.size))
        return RefusedPicture(PictureLoadFailure::TooLarge);
    const std::unique_ptr<heif_decoding_options, OptionsFreer> options(heif_decoding_options_alloc());
    options->ignore_transformations = 0;
    // The bitmap is allocated, and cleared as FreeImage does, while libheif
    // decodes; its sides are the handle's, which libheif gives after its turns.
    const int bits = int(8 * channels);
    DecodedPicture decoded;
    heif_image* decodedImage = nullptr;
    heif_error decoding{};
    RunTogether([&] { decoded.bitmap.reset(FreeImage_Allocate(width, height, bits)); },
                [&] {
                    decoding = heif_decode_image(handle.get(), &decodedImage, heif_colorspace_RGB,
                                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                                 options.get());
                });
    const std::unique_ptr<heif_image, ImageReleaser> image(decodedImage);
    if (decoding.code != heif_error_Ok)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int shownWidth = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int shownHeight = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!plane || shownWidth <= 0 || shownHeight <= 0 || std::int64_t(shownWidth) * shownHeight !=
                                                               std::int64_t(width) * height)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    if (shownWidth != width)
        decoded.bitmap.reset(FreeImage_Allocate(shownWidth, shownHeight, bits));
    if (!decoded.bitmap)
        return RefusedPicture(PictureLoadFailure::TooLarge);
    // Half the rows each on two threads.
    const unsigned half = unsigned(shownHeight) / 2;
    FIBITMAP* dib = decoded.bitmap.get();
    RunTogether([&] { CopyRows(plane, stride, channels, dib, half, unsigned(shownHeight)); },
                [&] { CopyRows(plane, stride, channels, dib, 0, half); });
    return decoded;
}
