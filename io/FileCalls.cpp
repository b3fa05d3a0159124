#include "io/FileCalls.h"

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

FileCalls systemCalls;
FileCalls* currentCalls = &systemCalls;

} // namespace

int FileCalls::Open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileCalls::Write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int FileCalls::Sync(int fd) { return ::fsync(fd); }
int FileCalls::Close(int fd) { return ::close(fd); }
int FileCalls::Rename(const char* from, const char* to) { return std::rename(from, to); }
int FileCalls::Remove(const char* path) { return ::unlink(path); }

FileCalls& CurrentFileCalls() { return *currentCalls; }

void SetFileCalls(FileCalls* calls) { currentCalls = calls ? calls : &systemCalls; }
