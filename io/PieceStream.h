#pragma once

#include <FreeImage.h>
#include <QByteArray>

#include <cstdint>
#include <vector>

// A run of bytes of the picture file.
struct BytePiece {
    std::uint64_t offset;
    std::uint64_t length;
};

// The bytes of a picture file: in memory, or mapped from a file that reads
// go to directly, so that no page of the file stays in memory for longer
// than the decoder needs it.
struct PictureBytes {
    const uchar* data = nullptr;
    std::uint64_t size = 0;
    int fileDescriptor = -1;
};

// Hands FreeImage a file made of pieces of the picture's bytes and buffers of
// the program's own, in order, without joining them into one copy.
class PieceStream {
public:
    explicit PieceStream(const PictureBytes& source);

    void AppendFromSource(BytePiece piece);
    // The stream refers to `bytes` until it is destroyed.
    void AppendBuffer(const QByteArray& bytes);

    FIBITMAP* Load(FREE_IMAGE_FORMAT format, int flags);

private:
    struct Piece {
        const uchar* buffer;  // nullptr: read from the source
        std::uint64_t offset; // in the source, or in the buffer
        std::uint64_t length;
        std::uint64_t start;  // in the stream
    };

    std::uint64_t Read(uchar* into, std::uint64_t count);
    bool ReadPiece(const Piece& piece, std::uint64_t from, uchar* into, std::uint64_t count) const;
    const Piece* PieceAt(std::uint64_t position) const;

    static unsigned ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle);
    static int SeekProc(fi_handle handle, long offset, int origin);
    static long TellProc(fi_handle handle);

    PictureBytes m_source;
    std::vector<Piece> m_pieces;
    std::uint64_t m_size = 0;
    std::uint64_t m_position = 0;
};
