#pragma once

#include <cstddef>

#include <sys/types.h>

// The system calls behind writing a picture file. Tests put in calls that
// fail the way a full disk, a vanished folder or a locked target would.
class FileCalls {
public:
    virtual ~FileCalls() = default;
    // `path` relative to the folder `dir` is open on (AT_FDCWD: the working folder).
    virtual int Open(int dir, const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, size_t size);
    virtual int Sync(int fd);
    virtual int Close(int fd);
    // Both names in the folder `dir` is open on.
    virtual int Rename(int dir, const char* from, const char* to);
    virtual int Remove(int dir, const char* name);
};

// The calls in force: the system's unless a test has put others in place.
FileCalls& CurrentFileCalls();
// Null puts the system's calls back.
void SetFileCalls(FileCalls* calls);
