#include "references.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
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
