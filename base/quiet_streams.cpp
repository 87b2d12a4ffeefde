#include "base/quiet_streams.h"

#include <fcntl.h>
#include <unistd.h>

void QuietStandardStreams() {
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null < 0) return;
  dup2(null, STDIN_FILENO);
  dup2(null, STDOUT_FILENO);
  if (null > STDERR_FILENO) close(null);
}
