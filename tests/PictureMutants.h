#pragma once

#include <QByteArray>

#include <random>
#include <string>
#include <vector>

// Damaged copies of well-formed picture files, made from a seed.

struct JpegSegment {
    qsizetype offset;   // of the 0xFF before the marker
    uchar marker;
    qsizetype size;     // marker and length bytes included; 2 for SOI
};

// The segments of a well-formed JPEG from SOI up to and including the first scan header.
std::vector<JpegSegment> JpegHeaderSegments(const QByteArray& jpeg);

struct Mutant {
    std::string description;
    QByteArray bytes;
    bool carriesMetadata = false;   // an APP1-APP13, APP15 or COM segment was added
};

// `jpeg` with a segment (`marker`, `payload`) right after its SOI.
QByteArray WithSegment(const QByteArray& jpeg, char marker, const QByteArray& payload);

// What a decoder reads past: padding and doubled fill bytes between segments,
// stray markers, padding and cuts inside the scan.
Mutant ResyncMutant(const QByteArray& jpeg, std::mt19937& random);

// Damage of every kind: flipped bits, truncation at every tenth, length
// fields of 0, 1 and 0xFFFF, garbage inside APP1.
std::vector<Mutant> HostileJpegMutants(const QByteArray& jpeg, std::mt19937& random, int flips);
std::vector<Mutant> HostileBmpMutants(const QByteArray& bmp, std::mt19937& random, int flips);

// SOI, a frame header (SOFn `frameMarker`) claiming width x height with one
// component per sampling byte, a scan header over the first
// `componentsInFirstScan` of them, two bytes of scan and EOI: no tables, so
// nothing a decoder could turn into pixels.
QByteArray ForgedJpegHeaders(uchar frameMarker, unsigned width, unsigned height, const std::vector<uchar>& sampling,
                             unsigned componentsInFirstScan);

// A 4-bit run-length BMP of 144 bytes claiming 8 x 33,554,438 pixels.
QByteArray RunLengthBomb();
