#pragma once

#include <cstddef>

#include <sys/types.h>

// The system calls behind writing a picture file. Tests put in calls that
// fail the way a full disk, a vanished folder or a locked target would.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, size_t size);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Remove(const char* path);
};

// The calls in force: the system's unless a test has put others in place.
FileCalls& CurrentFileCalls();
// Null puts the system's calls back.
void SetFileCalls(FileCalls* calls);
