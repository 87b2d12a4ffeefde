#pragma once
// A .mqoz file: a ZIP archive holding one document (.mqo) beside the
// modeller's settings (.mqx) and, at times, textures. Its entries are read as
// streams that inflate them as they go (entry_stream.h): the document and the
// textures are never held whole in memory, and nothing is written to disk.
// Archives come from strangers: what an entry may inflate to is bounded
// before a byte of it is read.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

typedef struct zip zip_t;

// The most bytes one entry of an archive is inflated to (1 GiB).
constexpr unsigned long long kMaxInflatedBytes = 1ull << 30;
// The modeller's archives inflate 1.6 to 9.2 times, and text compresses to
// about that; an entry that declares more than 64 times its compressed bytes
// is refused, so that what a document costs stays in proportion to the
// archive (a 130 KB archive of 64 MiB of face lines took 0.7 GB, its Ver 1.1
// twin 3.5 GB). An entry of at most 1 MiB is read whatever it compresses to,
// so that a small picture of flat colour, which deflate shrinks a thousand
// times, is not refused.
constexpr unsigned long long kMaxInflateRatio = 64;
constexpr unsigned long long kAlwaysInflatableBytes = 1ull << 20;
// Deflate gives at most 1032 bytes for one compressed byte: an entry that
// declares more is damaged.
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
  // Why the archive cannot be opened, or why the last stream that failed did.
  const std::string& Failure() const { return m_failure; }

  // The one entry whose name ends in ".mqo" (any case), as a stream at its
  // start; fclose ends it, before this object goes. Null with the reason
  // when there is none or several, or it is encrypted, compressed other than
  // by deflate, or larger than the bounds allow. A read that finds it
  // damaged fails (ferror), and Failure() then says why.
  FILE* OpenDocument(std::string& reason);
  // The entry of that name, exactly or else in any letter case, the same way;
  // null with the reason when there is none or it cannot be read.
  FILE* OpenEntry(const char* name, std::string& reason);

  // The names of at most maxCount entries, in archive order, that `wanted`
  // accepts; entries with "..", an absolute path or a name of more than 200
  // bytes, folders, and a second entry of a name are left out.
  std::vector<std::string> EntryNames(const std::function<bool(const std::string& name)>& wanted,
                                      std::size_t maxCount) const;

 private:
  bool Inflatable(unsigned long long index, unsigned long long& size, std::string& reason);
  FILE* OpenIndex(unsigned long long index, std::string& reason);

  zip_t* m_zip = nullptr;
  unsigned long long m_bytes = 0;  // the archive's own size
  std::string m_failure;
};
