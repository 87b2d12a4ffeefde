#pragma once
// Copies a name into a fixed 256-byte field, cut to at most 255 bytes. A cut
// never leaves the first byte of a two-byte Shift-JIS character on its own.

#include <cstddef>

void CopyName(char* field, std::size_t fieldSize, const char* text);

template <std::size_t N>
void CopyName(char (&field)[N], const char* text) {
  CopyName(field, N, text);
}
