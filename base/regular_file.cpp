#include "base/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

FILE* OpenRegularFile(const char* path) {
  // Without O_NONBLOCK, opening a FIFO waits until something opens its other
  // end, which may be never.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  int error = 0;
  if (fstat(fd, &info) != 0)
    error = errno;
  else if (!S_ISREG(info.st_mode))
    error = EINVAL;
  else if (fcntl(fd, F_SETFL, 0) != 0)  // reads of a regular file block as usual
    error = errno;
  FILE* file = error ? nullptr : fdopen(fd, "rb");
  if (!file) {
    if (!error) error = errno;
    close(fd);
    errno = error;
  }
  return file;
}
