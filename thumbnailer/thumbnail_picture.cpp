#include "thumbnailer/thumbnail_picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "image/png_writer.h"

char g_partialOutput[4096];

std::vector<unsigned char> ResolveThumbnail(const unsigned char* rgba, const float* depth, int side, int factor) {
  std::vector<unsigned char> out(static_cast<size_t>(side) * side * 4);
  const size_t stride = static_cast<size_t>(side) * factor;
  for (int y = 0; y < side; ++y) {
    // Read rows run bottom-up; the picture's rows top-down.
    const size_t firstRow = static_cast<size_t>(side - 1 - y) * factor;
    for (int x = 0; x < side; ++x) {
      unsigned sum[3] = {0, 0, 0}, drawn = 0;
      for (int sy = 0; sy < factor; ++sy)
        for (int sx = 0; sx < factor; ++sx) {
          const size_t at = (firstRow + sy) * stride + static_cast<size_t>(x) * factor + sx;
          if (!(depth[at] < 1.0f)) continue;
          for (int c = 0; c < 3; ++c) sum[c] += rgba[4 * at + c];
          ++drawn;
        }
      unsigned char* pixel = &out[(static_cast<size_t>(y) * side + x) * 4];
      if (drawn == 0) continue;  // transparent black
      for (int c = 0; c < 3; ++c) pixel[c] = static_cast<unsigned char>((sum[c] + drawn / 2) / drawn);
      const unsigned samples = factor * factor;
      pixel[3] = static_cast<unsigned char>((drawn * 255 + samples / 2) / samples);
    }
  }
  return out;
}

namespace {

bool WriteAll(int fd, const unsigned char* data, size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, data, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    length -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

bool WritePngFile(const std::string& path, const std::vector<unsigned char>& rgba, int side, std::string& error) {
  std::vector<unsigned char> png;
  if (!EncodePng(rgba.data(), side, side, png)) {
    error = "cannot encode the picture";
    return false;
  }
  if (path.size() >= sizeof g_partialOutput) {
    error = "the output path is too long";
    return false;
  }
  // Only a regular file is filled (and removed on failure): never a device,
  // a FIFO that would wait for a reader, or a folder.
  struct stat before;
  if (stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) {
    error = "the output exists and is not a regular file";
    return false;
  }
  // From here the output is ours: the signal handlers remove it too.
  std::memcpy(g_partialOutput, path.c_str(), path.size() + 1);
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  struct stat opened;
  const bool ours = fd >= 0 && fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode);
  bool written = ours && WriteAll(fd, png.data(), png.size());
  int writeError = written ? 0 : errno;
  // A full disk or a lost server may show only now.
  if (fd >= 0 && close(fd) != 0 && written) {
    written = false;
    writeError = errno;
  }
  if (!written) {
    error = fd < 0 ? "cannot open the output" : ours ? "cannot write the output" : "the output is not a regular file";
    if (writeError && (fd < 0 || ours)) error += std::string(": ") + std::strerror(writeError);
    if (ours) unlink(g_partialOutput);
  }
  g_partialOutput[0] = '\0';
  return written;
}
