#include "base/shown_text.h"

#include <iconv.h>

#include <cstdio>

namespace {

// The length of the UTF-8 character at s[i], or 0 when none starts there.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  const std::size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (length == 0 || s.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  const unsigned char next = static_cast<unsigned char>(s[i + 1]);
  // Overlong forms, surrogates and values past U+10FFFF.
  if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next > 0x9F) || (c == 0xF0 && next < 0x90) ||
      (c == 0xF4 && next > 0x8F))
    return 0;
  return length;
}

bool IsControl(const std::string& s, std::size_t i, std::size_t length) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (length == 1) return c < 0x20 || c == 0x7F;
  // U+0080 to U+009F, which terminals also obey (0x9B begins a sequence).
  return length == 2 && c == 0xC2 && static_cast<unsigned char>(s[i + 1]) < 0xA0;
}

// One CP932 character of one or two bytes at s[i], as UTF-8; empty when it
// does not convert.
std::string FromCp932(iconv_t cd, const std::string& s, std::size_t i, std::size_t length) {
  if (cd == reinterpret_cast<iconv_t>(-1) || s.size() - i < length) return "";
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string in = s.substr(i, length);
  char out[8];
  char* src = in.data();
  char* dst = out;
  std::size_t srcLeft = length, dstLeft = sizeof out;
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1) || srcLeft != 0) return "";
  const std::string converted(out, sizeof out - dstLeft);
  // A control character is escaped whichever way it came.
  const std::size_t first = converted.empty() ? 0 : Utf8Length(converted, 0);
  return first == 0 || IsControl(converted, 0, first) ? "" : converted;
}

}  // namespace

std::string ShownText(const std::string& bytes) {
  std::string shown;
  shown.reserve(bytes.size());
  iconv_t cd = reinterpret_cast<iconv_t>(-1);
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = Utf8Length(bytes, i);
    if (length > 0 && !IsControl(bytes, i, length)) {
      shown.append(bytes, i, length);
      i += length;
      continue;
    }
    if (length == 0) {
      if (cd == reinterpret_cast<iconv_t>(-1)) cd = iconv_open("UTF-8", "CP932");
      std::string converted = FromCp932(cd, bytes, i, 2);
      std::size_t used = 2;
      if (converted.empty()) {
        converted = FromCp932(cd, bytes, i, 1);
        used = 1;
      }
      if (!converted.empty()) {
        shown += converted;
        i += used;
        continue;
      }
    }
    // Escaped a byte at a time: a two-byte control character shows both.
    const std::size_t escaped = length == 0 ? 1 : length;
    for (std::size_t k = 0; k < escaped; ++k) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(bytes[i + k]));
      shown += hex;
    }
    i += escaped;
  }
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  return shown;
}
