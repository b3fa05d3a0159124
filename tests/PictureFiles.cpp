#include "tests/PictureFiles.h"

#include "io/ContentFormat.h"

#include <QTemporaryFile>
#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <zlib.h>

#include <memory>
#include <vector>

namespace {

QByteArray BigEndian32(quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

QByteArray LittleEndian32(quint32 value)
{
    const char bytes[4] = {char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    return QByteArray(bytes, 4);
}

// The tests' EncodePicture again: the corpus maker and the bench use these
// files without GoogleTest.
QByteArray EncodeWithFreeImage(FREE_IMAGE_FORMAT format, FIBITMAP* picture)
{
    FIMEMORY* memory = FreeImage_OpenMemory();
    const int flags = format == FIF_JPEG ? JPEG_QUALITYSUPERB : format == FIF_TIFF ? TIFF_NONE : 0;
    QByteArray bytes;
    if (FreeImage_SaveToMemory(format, picture, memory, flags)) {
        BYTE* data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(memory, &data, &size);
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    }
    FreeImage_CloseMemory(memory);
    return bytes;
}

// Top-down RGB(A) rows of a bottom-up BGR(A) bitmap.
std::vector<uint8_t> TopDownRgb(FIBITMAP* picture, unsigned channels)
{
    const unsigned width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
    std::vector<uint8_t> rgb;
    rgb.reserve(std::size_t(width) * height * channels);
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* in = FreeImage_GetScanLine(picture, int(height - 1 - y));
        for (unsigned x = 0; x < width; ++x, in += channels) {
            rgb.insert(rgb.end(), {in[FI_RGBA_RED], in[FI_RGBA_GREEN], in[FI_RGBA_BLUE]});
            if (channels == 4)
                rgb.push_back(in[FI_RGBA_ALPHA]);
        }
    }
    return rgb;
}

QByteArray EncodeWebp(FIBITMAP* picture)
{
    const unsigned channels = FreeImage_GetBPP(picture) / 8;
    const int width = int(FreeImage_GetWidth(picture)), height = int(FreeImage_GetHeight(picture));
    const std::vector<uint8_t> rgb = TopDownRgb(picture, channels);
    uint8_t* out = nullptr;
    const std::size_t size = channels == 4 ? WebPEncodeLosslessRGBA(rgb.data(), width, height, width * 4, &out)
                                           : WebPEncodeLosslessRGB(rgb.data(), width, height, width * 3, &out);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    WebPFree(out);
    return bytes;
}

heif_error WriteInto(heif_context*, const void* data, size_t size, void* userdata)
{
    static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

QByteArray EncodeHeic(FIBITMAP* picture, const QByteArray& exif)
{
    const unsigned channels = FreeImage_GetBPP(picture) / 8;
    const int width = int(FreeImage_GetWidth(picture)), height = int(FreeImage_GetHeight(picture));
    const std::vector<uint8_t> rgb = TopDownRgb(picture, channels);
    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(),
                                                                              &heif_context_free);
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &encoder).code != heif_error_Ok)
        return {};
    heif_encoder_set_lossy_quality(encoder, 90);
    heif_image* image = nullptr;
    heif_image_create(width, height, heif_colorspace_RGB,
                      channels == 4 ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, width, height, 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y)
        std::copy_n(rgb.data() + std::size_t(y) * width * channels, std::size_t(width) * channels,
                    plane + std::size_t(y) * stride);
    heif_image_handle* handle = nullptr;
    const bool encoded = heif_context_encode_image(context.get(), image, encoder, nullptr, &handle).code ==
                         heif_error_Ok;
    if (encoded && !exif.isEmpty())
        heif_context_add_exif_metadata(context.get(), handle, exif.constData(), int(exif.size()));
    if (handle)
        heif_image_handle_release(handle);
    heif_image_release(image);
    heif_encoder_release(encoder);
    QByteArray bytes;
    heif_writer writer{1, &WriteInto};
    if (encoded)
        heif_context_write(context.get(), &writer, &bytes);
    return bytes;
}

// libtiff writes the orientation tag; it needs a file to write to.
QByteArray EncodeTiff(FIBITMAP* picture, unsigned orientation, unsigned rowsPerStrip = 16)
{
    TIFFSetWarningHandler(nullptr);
    QTemporaryFile file;
    if (!file.open())
        return {};
    const unsigned channels = FreeImage_GetBPP(picture) / 8;
    const unsigned width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
    const std::vector<uint8_t> rgb = TopDownRgb(picture, channels);
    TIFF* tiff = TIFFOpen(file.fileName().toLocal8Bit().constData(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
    if (channels == 4) {
        const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    // libtiff writes none but the eight valid values; others are patched in below.
    if (orientation != 0)
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(orientation >= 1 && orientation <= 8 ? orientation : 1));
    for (unsigned y = 0; y < height; ++y)
        TIFFWriteScanline(tiff, const_cast<uint8_t*>(rgb.data() + std::size_t(y) * width * channels), y, 0);
    TIFFClose(tiff);
    QByteArray bytes = file.readAll();
    const QByteArray entry = QByteArray::fromHex("1201 0300 01000000");
    const qsizetype at = bytes.indexOf(entry);
    if (orientation != 0 && at >= 0)
        bytes[at + entry.size()] = char(orientation);
    return bytes;
}

// The WebP's bitstream chunk inside an extended file that says it has EXIF.
QByteArray WebpWithExif(const QByteArray& simple, const QByteArray& exif, unsigned width, unsigned height)
{
    const QByteArray bitstream = simple.mid(12);
    QByteArray extended = QByteArray("VP8X") + LittleEndian32(10) + QByteArray(1, '\x08') + QByteArray(3, '\0') +
                          LittleEndian32(width - 1).left(3) + LittleEndian32(height - 1).left(3);
    extended += bitstream;
    extended += QByteArray("EXIF") + LittleEndian32(quint32(exif.size())) + exif;
    if (exif.size() % 2)
        extended += '\0';
    return QByteArray("RIFF") + LittleEndian32(quint32(extended.size() + 4)) + QByteArray("WEBP") + extended;
}

} // namespace

BitmapPtr PatternBitmap(unsigned width, unsigned height, unsigned bits)
{
    BitmapPtr picture(FreeImage_Allocate(int(width), int(height), int(bits)));
    const unsigned channels = bits / 8;
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(picture.get(), int(y));
        for (unsigned x = 0; x < width; ++x, line += channels) {
            line[FI_RGBA_RED] = BYTE(x * 37 + y * 5);
            line[FI_RGBA_GREEN] = BYTE(y * 41 + x * 3);
            line[FI_RGBA_BLUE] = BYTE((x ^ y) * 13);
            if (channels == 4)
                line[FI_RGBA_ALPHA] = BYTE(width > 1 ? x * 255 / (width - 1) : 255);
        }
    }
    return picture;
}

QByteArray EncodeInFormat(FREE_IMAGE_FORMAT format, FIBITMAP* picture)
{
    if (format == FIF_WEBP)
        return EncodeWebp(picture);
    if (format == kHeifFormat)
        return EncodeHeic(picture, QByteArray());
    if (format == FIF_TIFF)
        return EncodeTiff(picture, 0);
    return EncodeWithFreeImage(format, picture);
}

QByteArray EncodeTiffInStrips(FIBITMAP* picture, unsigned rowsPerStrip)
{
    return EncodeTiff(picture, 0, rowsPerStrip);
}

QByteArray ExifWithOrientation(unsigned orientation, bool bigEndian)
{
    if (bigEndian)
        return QByteArray::fromHex("4D4D002A 00000008 0001 0112 0003 00000001") + QByteArray(1, '\0') +
               QByteArray(1, char(orientation)) + QByteArray(2, '\0') + QByteArray(4, '\0');
    return QByteArray::fromHex("49492A00 08000000 0100 1201 0300 01000000") + QByteArray(1, char(orientation)) +
           QByteArray(3, '\0') + QByteArray(4, '\0');
}

QByteArray PngChunk(const char* type, const QByteArray& body)
{
    const QByteArray typed = QByteArray(type, 4) + body;
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size())));
    return BigEndian32(quint32(body.size())) + typed + BigEndian32(crc);
}

QByteArray EncodeOriented(FREE_IMAGE_FORMAT format, FIBITMAP* picture, unsigned orientation)
{
    const QByteArray exif = ExifWithOrientation(orientation);
    switch (format) {
    case FIF_JPEG: {
        const QByteArray file = EncodeWithFreeImage(format, picture);
        const QByteArray body = QByteArray("Exif\0\0", 6) + exif;
        return file.left(2) + QByteArray::fromHex("FFE1") + QByteArray(1, char((body.size() + 2) >> 8)) +
               QByteArray(1, char(body.size() + 2)) + body + file.mid(2);
    }
    case FIF_PNG: {
        // After the signature and the 25 bytes of the header chunk.
        const QByteArray file = EncodeWithFreeImage(format, picture);
        return file.left(33) + PngChunk("eXIf", exif) + file.mid(33);
    }
    case FIF_WEBP:
        return WebpWithExif(EncodeWebp(picture), exif, FreeImage_GetWidth(picture), FreeImage_GetHeight(picture));
    case FIF_TIFF:
        return EncodeTiff(picture, orientation);

    default:
        return format == kHeifFormat ? EncodeHeic(picture, exif) : EncodeWithFreeImage(format, picture);
    }
}

QByteArray ForgedPngHeader(unsigned width, unsigned height)
{
    const QByteArray header = BigEndian32(width) + BigEndian32(height) + QByteArray::fromHex("0802000000");
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", QByteArray()) +
           PngChunk("IEND", QByteArray());
}

QByteArray ForgedWebpHeader(unsigned width, unsigned height)
{
    // Signature 0x2F, then 14 bits each of width - 1 and height - 1, no alpha, version 0.
    const quint32 bits = (width - 1) | ((height - 1) << 14);
    const QByteArray body = QByteArray(1, '\x2F') + LittleEndian32(bits) + QByteArray(11, '\0');
    const QByteArray chunk = QByteArray("VP8L") + LittleEndian32(quint32(body.size())) + body;
    return QByteArray("RIFF") + LittleEndian32(quint32(chunk.size() + 4)) + QByteArray("WEBP") + chunk;
}

QByteArray ForgedTiffHeader(unsigned width, unsigned height)
{
    const auto entry = [](quint16 tag, quint16 type, quint32 value) {
        const char head[4] = {char(tag), char(tag >> 8), char(type), char(type >> 8)};
        return QByteArray(head, 4) + LittleEndian32(1) +
               (type == 3 ? QByteArray(1, char(value)) + QByteArray(1, char(value >> 8)) + QByteArray(2, '\0')
                          : LittleEndian32(value));
    };
    constexpr quint16 kShort = 3, kLong = 4;
    const QByteArray entries[] = {entry(256, kLong, width), entry(257, kLong, height), entry(258, kShort, 8),
                                  entry(259, kShort, 1),    entry(262, kShort, 1),     entry(273, kLong, 8),
                                  entry(277, kShort, 1),    entry(278, kLong, height), entry(279, kLong, 16)};
    QByteArray directory = QByteArray(1, char(std::size(entries))) + QByteArray(1, '\0');
    for (const QByteArray& e : entries)
        directory += e;
    directory += LittleEndian32(0);
    return QByteArray("II*\0", 4) + LittleEndian32(24) + QByteArray(16, '\x55') + directory;
}

QByteArray WithHeifSize(const QByteArray& heif, unsigned width, unsigned height)
{
    QByteArray changed = heif;
    for (qsizetype at = changed.indexOf("ispe"); at >= 0; at = changed.indexOf("ispe", at + 4))
        changed.replace(at + 8, 8, BigEndian32(width) + BigEndian32(height));
    return changed;
}

namespace {

// The boxes of a HEIF file: a 32-bit big-endian size, then the type.
quint64 ReadBigEndian(const QByteArray& bytes, qsizetype at, unsigned size)
{
    quint64 value = 0;
    for (unsigned i = 0; i < size; ++i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

void WriteBigEndian(QByteArray& bytes, qsizetype at, unsigned size, quint64 value)
{
    for (unsigned i = size; i-- > 0; value >>= 8)
        bytes[at + i] = char(value);
}

// The first box of `type` among the boxes from `from` to `end`; -1 if none.
qsizetype FindBox(const QByteArray& file, qsizetype from, qsizetype end, const char* type)
{
    for (qsizetype at = from; at + 8 <= end;) {
        const qsizetype size = qsizetype(ReadBigEndian(file, at, 4));
        if (file.mid(at + 4, 4) == type)
            return at;
        if (size < 8)
            return -1;
        at += size;
    }
    return -1;
}

qsizetype BoxEnd(const QByteArray& file, qsizetype box)
{
    return box + qsizetype(ReadBigEndian(file, box, 4));
}

void GrowBox(QByteArray& file, qsizetype box, qsizetype added)
{
    WriteBigEndian(file, box, 4, ReadBigEndian(file, box, 4) + quint64(added));
}

// Every item stored at or past `from` moves `shift` bytes on: the offsets of
// the item locations (the base offset where there is one, else each extent's).
void ShiftItemLocations(QByteArray& file, qsizetype iloc, qsizetype from, qsizetype shift)
{
    const unsigned version = quint8(file[iloc + 8]);
    qsizetype at = iloc + 12;
    const unsigned offsetSize = quint8(file[at]) >> 4, lengthSize = quint8(file[at]) & 15;
    const unsigned baseSize = quint8(file[at + 1]) >> 4, indexSize = version > 0 ? quint8(file[at + 1]) & 15 : 0;
    at += 2;
    const unsigned idSize = version < 2 ? 2 : 4;
    const quint64 items = ReadBigEndian(file, at, idSize);
    at += idSize;
    const auto shiftAt = [&](qsizetype field, unsigned size) {
        if (size > 0 && ReadBigEndian(file, field, size) >= quint64(from))
            WriteBigEndian(file, field, size, ReadBigEndian(file, field, size) + quint64(shift));
    };
    for (quint64 item = 0; item < items; ++item) {
        at += idSize + (version > 0 ? 2 : 0) + 2;
        shiftAt(at, baseSize);
        at += baseSize;
        const quint64 extents = ReadBigEndian(file, at, 2);
        at += 2;
        for (quint64 extent = 0; extent < extents; ++extent) {
            at += indexSize;
            if (baseSize == 0)
                shiftAt(at, offsetSize);
            at += offsetSize + lengthSize;
        }
    }
}

// The mirror and anticlockwise quarter turns that show a picture stored as
// `orientation` says, in the order they are applied. libheif takes mirror
// axis 1 for left to right, 0 for top to bottom.
QByteArray TransformBoxes(unsigned orientation)
{
    const auto box = [](const char* type, int value) { return BigEndian32(9) + QByteArray(type) + QByteArray(1, char(value)); };
    switch (orientation) {
    case 2: return box("imir", 1);
    case 3: return box("irot", 2);
    case 4: return box("imir", 0);
    case 5: return box("imir", 1) + box("irot", 1);
    case 6: return box("irot", 3);
    case 7: return box("imir", 1) + box("irot", 3);
    case 8: return box("irot", 1);
    default: return {};
    }
}

} // namespace

QByteArray HeifWithTransforms(const QByteArray& heif, unsigned orientation)
{
    const QByteArray properties = TransformBoxes(orientation);
    const qsizetype meta = FindBox(heif, 0, heif.size(), "meta");
    if (properties.isEmpty() || meta < 0)
        return heif;
    const qsizetype metaEnd = BoxEnd(heif, meta);
    const qsizetype pitm = FindBox(heif, meta + 12, metaEnd, "pitm");
    const qsizetype iloc = FindBox(heif, meta + 12, metaEnd, "iloc");
    const qsizetype iprp = FindBox(heif, meta + 12, metaEnd, "iprp");
    const qsizetype ipco = iprp < 0 ? -1 : FindBox(heif, iprp + 8, BoxEnd(heif, iprp), "ipco");
    const qsizetype ipma = iprp < 0 ? -1 : FindBox(heif, iprp + 8, BoxEnd(heif, iprp), "ipma");
    if (pitm < 0 || iloc < 0 || ipco < 0 || ipma < ipco)
        return heif;
    int existing = 0;
    for (qsizetype at = ipco + 8; at < BoxEnd(heif, ipco); at = BoxEnd(heif, at))
        ++existing;
    const int added = int(properties.size() / 9);
    // The primary item's entry in the associations; wide indices when flag 1 is set.
    const quint64 primary = ReadBigEndian(heif, pitm + 12, 2);
    const unsigned ipmaVersion = quint8(heif[ipma + 8]);
    const unsigned idSize = ipmaVersion < 1 ? 2 : 4, indexSize = (quint8(heif[ipma + 11]) & 1) ? 2 : 1;
    qsizetype entry = ipma + 16;
    for (quint64 n = ReadBigEndian(heif, ipma + 12, 4); n > 0; --n) {
        if (ReadBigEndian(heif, entry, idSize) == primary)
            break;
        entry += idSize + 1 + qsizetype(quint8(heif[entry + idSize])) * indexSize;
    }
    if (entry >= BoxEnd(heif, ipma))
        return heif;
    QByteArray associations;
    for (int i = 1; i <= added; ++i)
        associations += indexSize == 2 ? BigEndian32(quint32(existing + i)).right(2) : QByteArray(1, char(existing + i));
    QByteArray file = heif;
    const qsizetype shift = properties.size() + associations.size();
    ShiftItemLocations(file, iloc, metaEnd, shift);
    // From the back, so that the places found before stay where they are.
    const qsizetype count = entry + idSize;
    file[count] = char(quint8(file[count]) + added);
    file.insert(count + 1 + qsizetype(quint8(heif[count])) * indexSize, associations);
    GrowBox(file, ipma, associations.size());
    file.insert(BoxEnd(heif, ipco), properties);
    GrowBox(file, ipco, properties.size());
    GrowBox(file, iprp, shift);
    GrowBox(file, meta, shift);
    return file;
}

// libx265, the HEIC encoder the fixtures use, keeps a small allocation of its
// own until the process ends; the leak checker of sanitized builds is told.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libx265.so\n";
}
