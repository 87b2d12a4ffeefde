#include "mqo/name_copy.h"

#include <cstring>
#include <string>

#include "mqo/string_separator.h"

void CopyName(char* field, std::size_t fieldSize, const char* text, bool utf8) {
  if (fieldSize == 0) return;
  const std::size_t limit = fieldSize - 1;
  std::size_t n = 0;
  if (utf8) {
    n = std::strlen(text);
    if (n > limit) {
      // Back to the first byte of the character that crosses the limit.
      n = limit;
      while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    }
  } else {
    // Walk whole characters so that the cut falls between two of them.
    while (text[n] != '\0') {
      const bool pair = IsLeadByte932(static_cast<unsigned char>(text[n])) && text[n + 1] != '\0';
      const std::size_t step = pair ? 2 : 1;
      if (n + step > limit) break;
      n += step;
    }
  }
  std::memcpy(field, text, n);
  field[n] = '\0';
}

void CopyConvertedName(char* field, std::size_t fieldSize, const char* text) {
  const std::size_t length = std::strlen(text);
  const char* dot = std::strrchr(text, '.');
  const std::size_t extension = dot ? length - static_cast<std::size_t>(dot - text) : 0;
  if (length < fieldSize || extension == 0 || extension > 16 || extension >= fieldSize ||
      std::strpbrk(dot, "/\\")) {
    CopyName(field, fieldSize, text, true);
    return;
  }
  const std::string stem(text, dot);
  CopyName(field, fieldSize - extension, stem.c_str(), true);
  std::memcpy(field + std::strlen(field), dot, extension + 1);
}
