#pragma once
// Copies a name into a fixed 256-byte field, cut to at most 255 bytes. A cut
// never splits a character: a two-byte Shift-JIS one, or with utf8 a UTF-8
// one.

#include <cstddef>

void CopyName(char* field, std::size_t fieldSize, const char* text, bool utf8 = false);

// The same for a name converted to UTF-8 from another code page, which may
// have grown by half: one too long for the field is cut before its extension
// (".png", up to 16 bytes after the last dot), which it keeps, since the
// extension says how a texture is read.
void CopyConvertedName(char* field, std::size_t fieldSize, const char* text);

template <std::size_t N>
void CopyName(char (&field)[N], const char* text, bool utf8 = false) {
  CopyName(field, N, text, utf8);
}
