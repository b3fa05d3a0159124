#pragma once

#include <FreeImage.h>
#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <vector>

// Looking inside JPEG files and their metadata, for the tests that check
// that nothing of an original travels into a saved picture.

QByteArray ReadWholeFile(const QString& path);

// The pieces of `jpeg` the loader hands the decoder (WalkJpeg), joined into one stream.
std::optional<QByteArray> StripJpegMetadata(const QByteArray& jpeg);

// A marker segment: 0xFF, `marker`, the length (counting itself) and `payload`.
QByteArray SegmentBytes(char marker, const QByteArray& payload);
// `jpeg` with that segment put right after its SOI.
QByteArray WithSegment(const QByteArray& jpeg, char marker, const QByteArray& payload);

// Names the segments of a JPEG file in order ("SOI", "DQT", "APP0 JFIF", ...).
std::vector<std::string> JpegMarkers(const QByteArray& file);

// The file holds the picture alone: SOI, APP0 JFIF, DQT, SOF0-2, DHT, SOS, EOI.
void ExpectOnlyPictureMarkers(const QString& path);

// No metadata of any model, no thumbnail and no colour profile.
void ExpectNoMetadata(FIBITMAP* dib);

// An EXIF block as a camera writes it (little-endian): IFD0 holds Make and
// points to a GPS IFD holding GPSLatitudeRef and GPSLatitude.
QByteArray CameraExifBlock();

void AttachTag(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const char* key, WORD id, FREE_IMAGE_MDTYPE type,
               DWORD count, DWORD length, const void* value);
void AttachText(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const char* key, WORD id, const char* text);

// Everything a camera or an editor leaves in a file: raw EXIF with GPS, a
// comment, camera tags, XMP, IPTC, a thumbnail and an ICC profile.
void AttachEverything(FIBITMAP* dib);
