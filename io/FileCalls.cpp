#include "io/FileCalls.h"

#include <cstdio>

#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

FileCalls systemCalls;
FileCalls* currentCalls = &systemCalls;

} // namespace

int FileCalls::Open(int dir, const char* path, int flags, mode_t mode) { return ::openat(dir, path, flags, mode); }
ssize_t FileCalls::Write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }
int FileCalls::Sync(int fd) { return ::fsync(fd); }
int FileCalls::Close(int fd) { return ::close(fd); }
int FileCalls::Rename(int dir, const char* from, const char* to) { return ::renameat(dir, from, dir, to); }
int FileCalls::Remove(int dir, const char* name) { return ::unlinkat(dir, name, 0); }

FileCalls& CurrentFileCalls() { return *currentCalls; }

void SetFileCalls(FileCalls* calls) { currentCalls = calls ? calls : &systemCalls; }
