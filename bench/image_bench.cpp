// Decoding speed of the image readers against the cost of just reading the
// same bytes: a 4096 x 4096 24-bit TGA and BMP against a bare fread, and a
// JPEG against a bare libjpeg decode. Prints the median of several runs.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "image/bmp_manager.h"
#include "image/jpeg_manager.h"
#include "image/tga_manager.h"
#include "references.h"
#include "texture_files.h"

namespace {

constexpr int kSide = 4096;
constexpr int kRuns = 7;

void BareRead(const std::string& path) {
  static Bytes buffer;
  buffer.resize(static_cast<size_t>(FileSize(path)));
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (std::fread(buffer.data(), 1, buffer.size(), fp) != buffer.size()) std::abort();
  std::fclose(fp);
}

// Fresh rows as a reader allocates them: in a virtual machine, first touches
// of new memory cost more than copying the file out of the page cache.
struct FreshRows {
  FreshRows() {
    for (auto& row : rows) row = new unsigned char[kSide * 3];
  }
  ~FreshRows() {
    for (auto* row : rows) delete[] row;
  }
  unsigned char* rows[kSide];
};

void BareReadIntoFreshRows(const std::string& path) {
  FreshRows plane;
  FILE* fp = std::fopen(path.c_str(), "rb");
  unsigned char header[54];
  if (std::fread(header, 1, path.back() == 'a' ? 18 : 54, fp) == 0) std::abort();
  for (auto* row : plane.rows)
    if (std::fread(row, 1, kSide * 3, fp) != kSide * 3) std::abort();
  std::fclose(fp);
}

void BareJpegDecode(const std::string& path, bool freshRows) {
  if (!freshRows) return ::BareJpegDecode(path);
  FreshRows plane;
  ::BareJpegDecode(path, plane.rows);
}

template <typename Reader>
void ReaderLoad(const std::string& path) {
  Reader image;
  if (image.Load(path.c_str()) == -1) std::abort();
}

double MedianSeconds(const std::function<void()>& run) {
  run();  // warm the page cache
  return ::MedianSeconds(kRuns, run);
}

// Two baselines: the bare work into one reused buffer, and the same work
// into freshly allocated rows, which no reader can avoid.
void Report(const char* what, const std::string& path, const char* baseName, const std::function<void()>& base,
            const std::function<void()>& baseFresh, const std::function<void()>& reader) {
  const double mb = FileSize(path) / 1e6;
  const double tb = MedianSeconds(base), tf = MedianSeconds(baseFresh), tr = MedianSeconds(reader);
  std::printf("%-5s %6.1f MB | %-7s %7.1f ms %8.1f MB/s | into new rows %7.1f ms %7.1f MB/s | reader %7.1f ms %7.1f MB/s\n",
              what, mb, baseName, tb * 1e3, mb / tb, tf * 1e3, mb / tf, tr * 1e3, mb / tr);
}

}  // namespace

int main() {
  char dir[] = "/tmp/lumenspin-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const std::string tga = std::string(dir) + "/big.tga", bmp = std::string(dir) + "/big.bmp",
                    jpg = std::string(dir) + "/big.jpg";
  const Bytes picture = NoisyPicture(kSide);
  if (!WriteTga(tga, picture, kSide) || !WriteBmp(bmp, picture, kSide) || !WriteJpeg(jpg, picture, kSide)) return 1;

  std::printf("%d x %d pixels, 24-bit, median of %d runs\n", kSide, kSide, kRuns);
  Report("TGA", tga, "fread", [&] { BareRead(tga); }, [&] { BareReadIntoFreshRows(tga); },
         [&] { ReaderLoad<CTgaManager>(tga); });
  Report("BMP", bmp, "fread", [&] { BareRead(bmp); }, [&] { BareReadIntoFreshRows(bmp); },
         [&] { ReaderLoad<CBMPManager>(bmp); });
  Report("JPEG", jpg, "libjpeg", [&] { BareJpegDecode(jpg, false); }, [&] { BareJpegDecode(jpg, true); },
         [&] { ReaderLoad<CJpegManager>(jpg); });
  unlink(tga.c_str());
  unlink(bmp.c_str());
  unlink(jpg.c_str());
  rmdir(dir);
  return 0;
}
