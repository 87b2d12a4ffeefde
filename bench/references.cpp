#include "references.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>

volatile double g_sink;

double MedianSeconds(int runs, const std::function<void()>& run) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (times.empty()) return 0;
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::vector<double> MedianSecondsInTurns(int runs, const std::vector<std::function<void()>>& loops) {
  std::vector<std::vector<double>> times(loops.size());
  for (int i = 0; i < runs; ++i)
    for (std::size_t k = 0; k < loops.size(); ++k) {
      const auto start = std::chrono::steady_clock::now();
      loops[k]();
      times[k].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
  std::vector<double> medians;
  for (std::vector<double>& t : times) {
    std::sort(t.begin(), t.end());
    medians.push_back(t.empty() ? 0 : t[t.size() / 2]);
  }
  return medians;
}

void BareReadLoop(const char* path) {
  const int fd = open(path, O_RDONLY);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) == 0) {
    const std::size_t size = static_cast<std::size_t>(st.st_size);
    std::unique_ptr<char[]> bytes(new char[size]);
    std::size_t got = 0;
    while (got < size) {
      const ssize_t n = read(fd, bytes.get() + got, size - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    g_sink = static_cast<double>(got);
  }
  close(fd);
}

void FgetsLoop(const char* path) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return;
  char line[8192];
  long lines = 0;
  while (std::fgets(line, 8191, f)) ++lines;
  std::fclose(f);
  g_sink = static_cast<double>(lines);
}

void BareJpegDecode(const std::string& path, unsigned char* const* rows) {
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return;
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, fp);
  jpeg_read_header(&d, TRUE);
  jpeg_start_decompress(&d);
  JSAMPARRAY row = (*d.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d), JPOOL_IMAGE, d.output_width * 3, 1);
  while (d.output_scanline < d.output_height) {
    if (rows) row[0] = rows[d.output_scanline];
    jpeg_read_scanlines(&d, row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::fclose(fp);
}

long StatusKiB(const char* field) {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long value = -1;
  const std::size_t n = std::strlen(field);
  while (std::fgets(line, sizeof line, f))
    if (!std::strncmp(line, field, n)) value = std::atol(line + n);
  std::fclose(f);
  return value;
}

std::string ExecutableFolder() {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return ".";
  exe[n] = '\0';
  const std::string path = exe;
  return path.substr(0, path.find_last_of('/'));
}
