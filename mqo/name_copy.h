#pragma once
// Copies a name into a fixed 256-byte field, cut to at most 255 bytes. A cut
// never splits a character: a two-byte Shift-JIS one, or with utf8 a UTF-8
// one.

#include <cstddef>

void CopyName(char* field, std::size_t fieldSize, const char* text, bool utf8 = false);

template <std::size_t N>
void CopyName(char (&field)[N], const char* text, bool utf8 = false) {
  CopyName(field, N, text, utf8);
}
