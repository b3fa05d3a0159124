#include "io/PieceStream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

PieceStream::PieceStream(const PictureBytes& source)
    : m_source(source)
{
}

void PieceStream::AppendFromSource(BytePiece piece)
{
    m_pieces.push_back({nullptr, piece.offset, piece.length, m_size});
    m_size += piece.length;
}

void PieceStream::AppendBuffer(const QByteArray& bytes)
{
    m_pieces.push_back({reinterpret_cast<const uchar*>(bytes.constData()), 0, std::uint64_t(bytes.size()), m_size});
    m_size += std::uint64_t(bytes.size());
}

FIBITMAP* PieceStream::Load(FREE_IMAGE_FORMAT format, int flags)
{
    m_position = 0;
    FreeImageIO io{&PieceStream::ReadProc, nullptr, &PieceStream::SeekProc, &PieceStream::TellProc};
    return FreeImage_LoadFromHandle(format, &io, static_cast<fi_handle>(this), flags);
}

const PieceStream::Piece* PieceStream::PieceAt(std::uint64_t position) const
{
    const auto after = std::upper_bound(m_pieces.begin(), m_pieces.end(), position,
                                        [](std::uint64_t p, const Piece& piece) { return p < piece.start; });
    if (after == m_pieces.begin())
        return nullptr;
    const Piece& piece = *(after - 1);
    return position < piece.start + piece.length ? &piece : nullptr;
}

bool PieceStream::ReadPiece(const Piece& piece, std::uint64_t from, uchar* into, std::uint64_t count) const
{
    if (piece.buffer) {
        std::memcpy(into, piece.buffer + piece.offset + from, count);
        return true;
    }
    if (m_source.fileDescriptor < 0) {
        std::memcpy(into, m_source.data + piece.offset + from, count);
        return true;
    }
    while (count > 0) {
        const ssize_t got = pread(m_source.fileDescriptor, into, count, off_t(piece.offset + from));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        into += got;
        from += std::uint64_t(got);
        count -= std::uint64_t(got);
    }
    return true;
}

std::uint64_t PieceStream::Read(uchar* into, std::uint64_t count)
{
    std::uint64_t done = 0;
    while (done < count) {
        const Piece* piece = PieceAt(m_position);
        if (!piece)
            break;
        const std::uint64_t from = m_position - piece->start;
        const std::uint64_t take = std::min(count - done, piece->length - from);
        if (!ReadPiece(*piece, from, into + done, take))
            break;
        done += take;
        m_position += take;
    }
    return done;
}

unsigned PieceStream::ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    auto* stream = static_cast<PieceStream*>(handle);
    if (size == 0)
        return 0;
    // Like fread: whole items only; a partial item is consumed and not counted.
    const std::uint64_t bytes = stream->Read(static_cast<uchar*>(buffer), std::uint64_t(size) * count);
    return unsigned(bytes / size);
}

int PieceStream::SeekProc(fi_handle handle, long offset, int origin)
{
    auto* stream = static_cast<PieceStream*>(handle);
    long long base = 0;
    if (origin == SEEK_CUR)
        base = (long long)stream->m_position;
    else if (origin == SEEK_END)
        base = (long long)stream->m_size;
    else if (origin != SEEK_SET)
        return -1;
    const long long target = base + offset;
    if (target < 0)
        return -1;
    // Past the end is allowed, as for files; reads there return nothing.
    stream->m_position = std::uint64_t(target);
    return 0;
}

long PieceStream::TellProc(fi_handle handle)
{
    return long(static_cast<PieceStream*>(handle)->m_position);
}
