#pragma once
// A .mqoz file: a ZIP archive holding one document (.mqo) beside the
// modeller's settings (.mqx) and, at times, textures. The document is
// inflated whole into memory and handed to the reader as a stream, so that
// its binary blocks and the reader's seeks work as on a file. Archives come
// from strangers: what an entry may inflate to is bounded before a byte of
// it is read.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

typedef struct zip zip_t;

// The most bytes one entry of an archive is inflated to (1 GiB).
constexpr unsigned long long kMaxInflatedBytes = 1ull << 30;
// Deflate gives at most 1032 bytes for one compressed byte.
constexpr unsigned long long kMaxDeflateRatio = 1032;

// Whether the name ends in ".mqoz", in any letter case.
bool IsArchiveName(const char* path);

class ModelArchive {
 public:
  // Opens the archive in the regular file at path, or in size bytes at bytes
  // (which must outlive the object). Failure() then says why it cannot be read.
  explicit ModelArchive(const char* path);
  ModelArchive(const void* bytes, std::size_t size);
  ~ModelArchive();
  ModelArchive(const ModelArchive&) = delete;
  ModelArchive& operator=(const ModelArchive&) = delete;

  bool IsOpen() const { return m_zip != nullptr; }
  const std::string& Failure() const { return m_failure; }

  // The one entry whose name ends in ".mqo" (any case), inflated into a
  // memory stream at its start; fclose frees it. Null with the reason when
  // there is none or several, or it is encrypted, compressed other than by
  // deflate, larger than the bounds allow, or damaged.
  FILE* OpenDocument(std::string& reason);
  // The entry of that name (any letter case), inflated the same way; null
  // with the reason when there is none or it cannot be read.
  FILE* OpenEntry(const char* name, std::string& reason);

  // Writes into folder, under their folders in the archive, the entries
  // whose last name component `wanted` accepts, within the same bounds, at
  // most maxBytes and maxFiles in all; entries with ".." or an absolute
  // path, and any that fail, are left out. Returns how many were written.
  int Extract(const std::function<bool(const std::string& fileName)>& wanted, const std::string& folder,
              unsigned long long maxBytes, int maxFiles);

 private:
  bool Inflatable(unsigned long long index, unsigned long long& size, std::string& reason);
  FILE* OpenIndex(unsigned long long index, std::string& reason);
  template <typename Write>
  bool Inflate(unsigned long long index, unsigned long long size, Write&& write, std::string& reason);

  zip_t* m_zip = nullptr;
  unsigned long long m_bytes = 0;  // the archive's own size
  std::string m_failure;
};
