#pragma once

#include <QByteArray>

#include <string>
#include <vector>

// Looking inside PNG files and changing their chunks, for the tests of what a
// saved PNG holds.

// The chunk types of a PNG file in order ("IHDR", "IDAT", ..., "IEND"); stops
// at the first chunk that runs past the end.
std::vector<std::string> PngChunks(const QByteArray& png);

// `png` with a chunk of `type` and `payload`, its checksum right, put right after IHDR.
QByteArray PngWithChunk(const QByteArray& png, const char* type, const QByteArray& payload);
// `png` without any chunk of `type`.
QByteArray PngWithoutChunk(const QByteArray& png, const char* type);
