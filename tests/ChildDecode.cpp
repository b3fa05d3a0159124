#include "tests/ChildDecode.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace {

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = write(fd, p, size);
        if (done <= 0)
            return false;
        p += done;
        size -= size_t(done);
    }
    return true;
}

// Width and height, then the 24-bit rows bottom-up, without padding.
[[noreturn]] void DecodeAndSend(FREE_IMAGE_FORMAT format, const QByteArray& bytes, int flags, int fd)
{
    FIMEMORY* stream = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.constData())),
                                            DWORD(bytes.size()));
    FIBITMAP* dib = FreeImage_LoadFromMemory(format, stream, flags);
    FIBITMAP* converted = dib ? FreeImage_ConvertTo24Bits(dib) : nullptr;
    if (!converted)
        _exit(1);
    const unsigned size[2] = {FreeImage_GetWidth(converted), FreeImage_GetHeight(converted)};
    bool sent = WriteAll(fd, size, sizeof size);
    for (unsigned y = 0; sent && y < size[1]; ++y)
        sent = WriteAll(fd, FreeImage_GetScanLine(converted, int(y)), size[0] * 3);
    _exit(sent ? 0 : 1);
}

QByteArray ReadUntilClosed(int fd)
{
    QByteArray received;
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return received;
        received.append(buffer, got);
    }
}

BitmapPtr Unpack(const QByteArray& received)
{
    unsigned size[2];
    if (received.size() < qsizetype(sizeof size))
        return nullptr;
    std::memcpy(size, received.constData(), sizeof size);
    if (received.size() != qsizetype(sizeof size + std::uint64_t(size[0]) * 3 * size[1]))
        return nullptr;
    BitmapPtr dib(FreeImage_Allocate(int(size[0]), int(size[1]), 24));
    for (unsigned y = 0; y < size[1]; ++y)
        std::memcpy(FreeImage_GetScanLine(dib.get(), int(y)), received.constData() + sizeof size + y * size[0] * 3,
                    size[0] * 3);
    return dib;
}

} // namespace

ChildDecode DecodeInChild(FREE_IMAGE_FORMAT format, const QByteArray& bytes, int flags)
{
    ChildDecode result;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return result;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        DecodeAndSend(format, bytes, flags, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    const QByteArray received = child > 0 ? ReadUntilClosed(pipeEnds[0]) : QByteArray();
    close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return result;
    result.picture = WEXITSTATUS(status) == 0 ? Unpack(received) : nullptr;
    result.outcome = result.picture ? ChildDecode::Outcome::Decoded : ChildDecode::Outcome::Refused;
    return result;
}
