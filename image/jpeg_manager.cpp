#include "image/jpeg_manager.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "base/diagnostics.h"

namespace {

const char kReadFailed[] = "Can't read jpeg file\n";

// A JPEG can describe a large flat picture in very few bytes, and a truncated
// one is padded out by the library, so a tiny file could announce 65500 x 65500
// pixels. A picture is refused before anything is allocated when its samples
// exceed both limits. Every 8 x 8 block of every component costs at least one
// bit, so no file can be 1024 times smaller than its samples (a flat colour
// picture with subsampled colour is the extreme); 1 MiB covers what headers
// and tables add to a small picture.
constexpr long long kMaxExpansion = 1024;
constexpr long long kAlwaysAllowedBytes = 1LL << 20;

bool g_fatalErrorsFail = false;
unsigned g_largestSide = 0;

// The library's error manager and progress monitor for one load, with the way
// out of it. The library hands its callbacks only the decompression object,
// whose err member points at `errors`, the first member.
struct DecodeGuard {
  jpeg_error_mgr errors;
  jpeg_progress_mgr progress;
  void (*standardExit)(j_common_ptr);
  const char* path;
  long long pictureBlocks;
  long long blockVisits;
  int scansCounted;
  std::jmp_buf way;
};

DecodeGuard& GuardOf(j_common_ptr cinfo) { return *reinterpret_cast<DecodeGuard*>(cinfo->err); }

void OnMessage(j_common_ptr cinfo) {
  char message[JMSG_LENGTH_MAX];
  (*cinfo->err->format_message)(cinfo, message);
  Diagnose(GuardOf(cinfo).path, "%s", message);
}

[[noreturn]] void OnFatalError(j_common_ptr cinfo) {
  DecodeGuard& guard = GuardOf(cinfo);
  // A quiet thread ends nothing: the picture is read again, out loud.
  if (!g_fatalErrorsFail && !QuietThread::Active()) {
    // The library's own line names no file: this one does, and is kept for
    // a notice when the desktop started the program.
    Diagnose(guard.path, "cannot be decoded; the program ends (status 1)");
    guard.standardExit(cinfo);  // prints the message and ends the process
    std::exit(EXIT_FAILURE);
  }
  (*cinfo->err->output_message)(cinfo);
  std::longjmp(guard.way, 1);
}

// Called before each row of blocks and each marker that the decoder takes
// in; the scan's components are known as soon as its number has grown.
void OnProgress(j_common_ptr common) {
  const j_decompress_ptr cinfo = reinterpret_cast<j_decompress_ptr>(common);
  DecodeGuard& guard = GuardOf(common);
  if (cinfo->input_scan_number != guard.scansCounted) {
    guard.scansCounted = cinfo->input_scan_number;
    for (int i = 0; i < cinfo->comps_in_scan; ++i)
      guard.blockVisits +=
          static_cast<long long>(cinfo->cur_comp_info[i]->width_in_blocks) * cinfo->cur_comp_info[i]->height_in_blocks;
  }
  const long long allowedVisits =
      std::max(CJpegManager::kAlwaysAllowedBlockVisits, CJpegManager::kMaxPasses * guard.pictureBlocks);
  if (guard.scansCounted <= CJpegManager::kMaxScans && guard.blockVisits <= allowedVisits) return;
  Diagnose(guard.path, "refused: its first %d scans take the picture's blocks %lld times over (at most %d times, %d scans)",
           guard.scansCounted, guard.blockVisits / std::max(1LL, guard.pictureBlocks), CJpegManager::kMaxPasses,
           CJpegManager::kMaxScans);
  std::longjmp(guard.way, 1);
}

// Runs decode with the guard's way out armed; false when it was taken. The
// frames that a jump leaves (decode's, the library's, the callbacks') hold
// nothing with a destructor.
template <typename Decode>
bool RunGuarded(DecodeGuard& guard, Decode&& decode) {
  if (setjmp(guard.way)) return false;
  decode();
  return true;
}

void CopyScanline(const JSAMPLE* src, unsigned char* dst, int width, int components, bool inverted) {
  switch (components) {
    case 1:
      for (int x = 0; x < width; ++x, dst += 3) dst[0] = dst[1] = dst[2] = src[x];
      break;
    default:  // 4: cyan, magenta, yellow, black
      for (int x = 0; x < width; ++x, src += 4, dst += 3) {
        // Adobe's files store the inks inverted (255 = no ink).
        const int k = inverted ? src[3] : 255 - src[3];
        for (int c = 0; c < 3; ++c) {
          const int ink = inverted ? src[c] : 255 - src[c];
          dst[c] = static_cast<unsigned char>((ink * k + 127) / 255);
        }
      }
  }
}

}  // namespace

void CJpegManager::SetFatalErrorsFail(bool fail) { g_fatalErrorsFail = fail; }

void CJpegManager::SetLargestSide(int side) { g_largestSide = side > 0 ? static_cast<unsigned>(side) : 0; }

int CJpegManager::Load(const char* path) { return LoadFile(path, kOpenFailed); }

int CJpegManager::ReadStream(FILE* fp) {
  m_planeKind = 1;
  const long long fileLength = RemainingBytes(fp);

  // Zeroed, so that destroying it is harmless even if creating it failed.
  jpeg_decompress_struct cinfo{};
  DecodeGuard guard;
  cinfo.err = jpeg_std_error(&guard.errors);
  guard.standardExit = guard.errors.error_exit;
  guard.errors.error_exit = OnFatalError;
  if (g_fatalErrorsFail || QuietThread::Active()) guard.errors.output_message = OnMessage;
  guard.progress.progress_monitor = OnProgress;
  guard.path = m_fileName;
  guard.pictureBlocks = guard.blockVisits = guard.scansCounted = 0;

  bool decoded = false;
  const bool finished = RunGuarded(guard, [&] {
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &guard.progress;  // creating the object clears it
    jpeg_stdio_src(&cinfo, fp);
    jpeg_read_header(&cinfo, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i)
      guard.pictureBlocks += static_cast<long long>(cinfo.comp_info[i].width_in_blocks) * cinfo.comp_info[i].height_in_blocks;

    const unsigned side = std::max(cinfo.image_width, cinfo.image_height);
    unsigned denominator = 1;
    while (g_largestSide > 0 && denominator < 8 && (side + denominator - 1) / denominator > g_largestSide)
      denominator *= 2;
    cinfo.scale_num = 1;
    cinfo.scale_denom = denominator;
    jpeg_calc_output_dimensions(&cinfo);

    const J_COLOR_SPACE space = cinfo.out_color_space;
    const bool spaceTaken = space == JCS_RGB || space == JCS_GRAYSCALE || space == JCS_CMYK;
    const long long decodedBytes =
        static_cast<long long>(cinfo.image_width) * cinfo.image_height * cinfo.num_components;
    if (!spaceTaken || fileLength < 0 ||
        (decodedBytes > kAlwaysAllowedBytes && decodedBytes / kMaxExpansion > fileLength) ||
        !WithinPixelLimit(cinfo.output_width, cinfo.output_height))
      return;

    jpeg_start_decompress(&cinfo);
    const int components = cinfo.output_components;
    const int stride = static_cast<int>(cinfo.output_width) * components;
    JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, stride, 1);

    m_width = static_cast<int>(cinfo.output_width);
    m_height = static_cast<int>(cinfo.output_height);
    if (!(components == 1 || components == 3 || components == 4) || !AllocatePlane(m_rgbRows, 3)) return;
    const bool inverted = cinfo.saw_Adobe_marker != 0;
    for (int y = 0; cinfo.output_scanline < cinfo.output_height; ++y) {
      // Colour scanlines are already in the plane's layout: decode them in
      // place rather than through the scratch row.
      if (components == 3) {
        JSAMPROW row = m_rgbRows[y];
        jpeg_read_scanlines(&cinfo, &row, 1);
        continue;
      }
      jpeg_read_scanlines(&cinfo, buffer, 1);
      CopyScanline(buffer[0], m_rgbRows[y], m_width, components, inverted);
    }
    jpeg_finish_decompress(&cinfo);
    decoded = true;
  });
  jpeg_destroy_decompress(&cinfo);
  if (!finished || !decoded) {
    PrintFixedText(kReadFailed);
    return -1;
  }
  return 1;
}
