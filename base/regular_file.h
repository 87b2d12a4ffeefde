#pragma once
// Opening files that come from untrusted places (a downloaded model and the
// textures it names) for reading, without ever waiting on them.

#include <cstdio>

// Opens path for binary reading when it is a regular file (a symbolic link to
// one included). A FIFO, a device or a directory is refused without waiting
// for a writer or reading a byte: null, with errno set (EINVAL for a file of
// the wrong kind).
FILE* OpenRegularFile(const char* path);
