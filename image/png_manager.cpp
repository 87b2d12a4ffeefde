#include "image/png_manager.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "base/diagnostics.h"

// Everything that must survive a longjmp out of libpng lives here, outside
// the frame that called setjmp.
struct PngDecode {
  png_structp png = nullptr;
  png_infop info = nullptr;
  unsigned char* scratch = nullptr;  // interleaved pixels before splitting
  unsigned char** scratchRows = nullptr;
};

namespace {

const char kReadFailed[] = "Can't read png file\n";

// Deflate cannot expand data by more than about 1032 to 1, so a picture whose
// filtered rows exceed that multiple of the file's length cannot be complete;
// it is refused before its planes are allocated. Low-depth and palette
// pictures grow again when expanded to 8-bit samples (a 1-bit picture by 24
// times), so the expanded rows face the same rule above a small allowance.
constexpr long long kMaxInflation = 1032;
constexpr long long kAlwaysAllowedBytes = 64LL << 20;
// No texture is wider or higher than this; libpng's own default is 1000000.
constexpr png_uint_32 kMaxSide = 65535;
// Ancillary chunks libpng keeps (text, palettes of suggestions, ...).
constexpr png_uint_32 kMaxCachedChunks = 128;
// A chunk's data or a decompressed text or profile may take this much memory
// beyond the file's own length.
constexpr long long kChunkAllowance = 64 << 10;

void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// Splits interleaved grey-alpha or RGBA pixels into the two planes.
void SplitRow(const unsigned char* src, unsigned char* rgb, unsigned char* alpha, int width, int channels) {
  for (int x = 0; x < width; ++x, src += channels, rgb += 3) {
    if (channels == 2) {
      rgb[0] = rgb[1] = rgb[2] = src[0];
      alpha[x] = src[1];
    } else {
      rgb[0] = src[0];
      rgb[1] = src[1];
      rgb[2] = src[2];
      alpha[x] = src[3];
    }
  }
}

}  // namespace

int CPngManager::Decode(FILE* fp, long long fileLength, PngDecode& d) {
  if (setjmp(png_jmpbuf(d.png))) return -1;
  png_init_io(d.png, fp);
  png_set_user_limits(d.png, kMaxSide, kMaxSide);
  png_set_chunk_cache_max(d.png, kMaxCachedChunks);
  png_set_chunk_malloc_max(d.png, static_cast<png_alloc_size_t>(fileLength + kChunkAllowance));
  // libpng only warns about an oversized ancillary chunk and then allocates it
  // anyway: a 44-byte file claiming a 2 GiB text chunk cost 2 GiB before the
  // read failed. The pixels depend on nothing but the header, palette,
  // transparency and image data (no gamma or colour profile is applied), so
  // every other chunk is passed over unread.
  png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(d.png, d.info);

  const png_uint_32 width = png_get_image_width(d.png, d.info);
  const png_uint_32 height = png_get_image_height(d.png, d.info);
  const long long filteredBytes = (static_cast<long long>(png_get_rowbytes(d.png, d.info)) + 1) * height;
  if (filteredBytes / kMaxInflation > fileLength) return -1;

  png_set_expand(d.png);  // palette to RGB, low-depth grey to 8 bits, transparency chunk to alpha
  png_set_scale_16(d.png);
  const int passes = png_set_interlace_handling(d.png);
  png_read_update_info(d.png, d.info);

  const int channels = png_get_channels(d.png, d.info);
  if (png_get_bit_depth(d.png, d.info) != 8 || channels < 1 || channels > 4) return -1;
  const long long expandedBytes = static_cast<long long>(png_get_rowbytes(d.png, d.info)) * height;
  if (expandedBytes > kAlwaysAllowedBytes && expandedBytes / kMaxInflation > fileLength) return -1;
  m_width = static_cast<int>(width);
  m_height = static_cast<int>(height);
  const size_t rowBytes = static_cast<size_t>(width) * channels;

  // Grey and RGB pictures decode straight into their plane; with alpha the
  // pixels are interleaved and need a scratch copy (the whole picture when
  // interlaced, since every pass revisits every row).
  unsigned char** target = nullptr;
  if (channels == 1) {
    m_planeKind = 2;
    if (!AllocatePlane(m_alphaRows, 1)) return -1;
    target = m_alphaRows;
  } else {
    m_planeKind = 1;
    if (!AllocatePlane(m_rgbRows, 3)) return -1;
    target = m_rgbRows;
    if (channels == 2 || channels == 4) {
      if (!AllocatePlane(m_alphaRows, 1)) return -1;
      const size_t scratchRows = passes > 1 ? height : 1;
      d.scratch = static_cast<unsigned char*>(std::malloc(rowBytes * scratchRows + 1));
      d.scratchRows = static_cast<unsigned char**>(std::malloc(sizeof(unsigned char*) * (height + 1)));
      if (!d.scratch || !d.scratchRows) {
        m_outOfMemory = true;
        return -1;
      }
      for (png_uint_32 y = 0; y < height; ++y) d.scratchRows[y] = d.scratch + (passes > 1 ? rowBytes * y : 0);
      target = nullptr;
    }
  }

  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_read_row(d.png, target ? target[y] : d.scratchRows[y], nullptr);
      if (!target && passes == 1) SplitRow(d.scratchRows[y], m_rgbRows[y], m_alphaRows[y], m_width, channels);
    }
  }
  if (!target && passes > 1) {
    for (png_uint_32 y = 0; y < height; ++y)
      SplitRow(d.scratchRows[y], m_rgbRows[y], m_alphaRows[y], m_width, channels);
  }
  png_read_end(d.png, nullptr);
  return 0;
}

int CPngManager::Load(const char* path) { return LoadFile(path, kOpenFailed); }

int CPngManager::ReadStream(FILE* fp) {
  const long long fileLength = RemainingBytes(fp);
  PngDecode d;
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (d.png) d.info = png_create_info_struct(d.png);
  int result = -1;
  if (d.png && d.info && fileLength >= 0) result = Decode(fp, fileLength, d);
  png_destroy_read_struct(d.png ? &d.png : nullptr, d.info ? &d.info : nullptr, nullptr);
  std::free(d.scratch);
  std::free(d.scratchRows);
  if (result != 0) PrintFixedText(kReadFailed);
  return result;
}
