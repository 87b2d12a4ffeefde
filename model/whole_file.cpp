#include "model/whole_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "model/archive.h"

namespace {

// An end record is 22 bytes and may carry a comment of up to 65,535.
constexpr long kEndRecordBytes = 22;
constexpr long kMostTail = kEndRecordBytes + 65535;
// A document's last line; what stands after it (line ends, spaces, a DOS
// end-of-file mark) is passed over within this many bytes.
constexpr long kDocumentTail = 4096;

std::vector<unsigned char> Tail(FILE* fp, long most) {
  if (std::fseek(fp, 0, SEEK_END) != 0) return {};
  const long size = std::ftell(fp);
  if (size <= 0) return {};
  const long length = size < most ? size : most;
  std::vector<unsigned char> tail(length);
  if (std::fseek(fp, size - length, SEEK_SET) != 0 || std::fread(tail.data(), 1, length, fp) != tail.size()) return {};
  return tail;
}

bool ArchiveWhole(const std::vector<unsigned char>& tail) {
  const long size = tail.size();
  for (long at = size - kEndRecordBytes; at >= 0; --at) {
    if (std::memcmp(&tail[at], "PK\x05\x06", 4) != 0) continue;
    const long comment = tail[at + 20] | tail[at + 21] << 8;
    if (at + kEndRecordBytes + comment == size) return true;
  }
  return false;
}

bool Trailing(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0x1a || c == 0; }

bool DocumentWhole(const std::vector<unsigned char>& tail) {
  long end = tail.size();
  while (end > 0 && Trailing(tail[end - 1])) --end;
  if (end < 3 || std::memcmp(&tail[end - 3], "Eof", 3) != 0) return false;
  return end == 3 || tail[end - 4] == '\n' || tail[end - 4] == '\r';
}

}  // namespace

bool ModelFileWhole(const char* path) {
  FILE* fp = std::fopen(path, "rb");
  if (!fp) return false;
  const bool archive = IsArchiveName(path);
  const std::vector<unsigned char> tail = Tail(fp, archive ? kMostTail : kDocumentTail);
  std::fclose(fp);
  return archive ? ArchiveWhole(tail) : DocumentWhole(tail);
}
