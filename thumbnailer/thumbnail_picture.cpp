#include "thumbnailer/thumbnail_picture.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// libpng leaves by longjmp on an error, so nothing here owns a C++ object.
bool EncodePng(FILE* file, const unsigned char* rgba, int side) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < side; ++y) png_write_row(png, rgba + static_cast<size_t>(y) * side * 4);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePngFile(const std::string& path, const std::vector<unsigned char>& rgba, int side, std::string& error) {
  const std::string pattern = path + ".XXXXXX";
  if (pattern.size() >= sizeof g_partialOutput) {
    error = "the output path is too long";
    return false;
  }
  std::memcpy(g_partialOutput, pattern.c_str(), pattern.size() + 1);
  const int fd = mkstemp(g_partialOutput);
  if (fd < 0) {
    error = std::string("cannot create a file beside the output: ") + std::strerror(errno);
    g_partialOutput[0] = '\0';
    return false;
  }
  // mkstemp makes the file private; give it the mode any new file gets.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  bool written = false;
  int writeError = 0;
  if (FILE* file = fdopen(fd, "wb")) {
    errno = 0;
    written = EncodePng(file, rgba.data(), side);
    writeError = errno;
    // The last buffered bytes reach the file only here (a full disk shows now).
    if (std::fclose(file) != 0 && written) {
      written = false;
      writeError = errno;
    }
  } else {
    writeError = errno;
    close(fd);
  }
  if (!written) {
    error = "cannot write the output";
    if (writeError) error += std::string(": ") + std::strerror(writeError);
  } else if (std::rename(g_partialOutput, path.c_str()) != 0) {
    error = std::string("cannot rename the new file to the output: ") + std::strerror(errno);
    written = false;
  }
  if (!written) unlink(g_partialOutput);
  g_partialOutput[0] = '\0';
  return written;
}
