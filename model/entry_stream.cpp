#include "model/entry_stream.h"
#include "model/zip_library.h"


#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// The last kKeptBytes inflated stay in memory for a step back; the window
// is twice that, so that it slides by a memmove every 128 KiB inflated.
constexpr std::size_t kKeptBytes = 128 << 10;
constexpr std::size_t kWindowBytes = 2 * kKeptBytes;

struct EntryStream {
  zip_t* zip;
  zip_uint64_t index;
  unsigned long long size;  // as declared
  std::string name;         // "the document x.mqo", for messages
  std::string* failure;

  zip_file_t* file = nullptr;
  std::vector<char> window = std::vector<char>(kWindowBytes);
  unsigned long long windowStart = 0;  // entry offset of window[0]
  std::size_t filled = 0;              // bytes of the window inflated
  unsigned long long position = 0;     // where the caller reads next
  bool ended = false;                  // inflated to its end, which was where it should be
  bool damaged = false;

  unsigned long long Inflated() const { return windowStart + filled; }

  bool Fail(const std::string& why) {
    damaged = true;
    *failure = name + " " + why;
    errno = EIO;
    return false;
  }

  bool Restart() {
    if (file) Zip().fclose(file);
    file = Zip().fopen_index(zip, index, 0);
    windowStart = filled = 0;
    ended = false;
    return file || Fail(std::string("cannot be inflated: ") + Zip().strerror(zip));
  }

  // Inflates the next piece behind what the window holds; false at the end
  // of the entry or when it is damaged.
  bool InflateMore() {
    if (filled == window.size()) {
      const std::size_t dropped = filled - kKeptBytes;
      std::memmove(window.data(), window.data() + dropped, kKeptBytes);
      windowStart += dropped;
      filled = kKeptBytes;
    }
    const zip_int64_t got = Zip().fread(file, window.data() + filled, window.size() - filled);
    if (got < 0) return Fail(std::string("cannot be inflated: ") + Zip().file_strerror(file));
    // Checked as it comes, so that a lying size never costs more than it
    // declared, also when the caller stops reading at that size.
    if (static_cast<unsigned long long>(got) > size - Inflated())
      return Fail("inflates to more than the " + std::to_string(size) + " bytes it declares: the archive is damaged");
    if (got == 0) {
      if (Inflated() != size)
        return Fail("inflates to fewer than the " + std::to_string(size) + " bytes it declares: the archive is damaged");
      ended = true;
      return false;
    }
    filled += static_cast<std::size_t>(got);
    return true;
  }
};

ssize_t ReadEntry(void* cookie, char* buffer, std::size_t bytes) {
  EntryStream& s = *static_cast<EntryStream*>(cookie);
  if (s.damaged || (s.position < s.windowStart && !s.Restart())) {
    errno = EIO;
    return -1;
  }
  while (s.position >= s.Inflated()) {
    if (s.ended) return 0;
    if (!s.InflateMore()) return s.damaged ? -1 : 0;
  }
  const std::size_t offset = static_cast<std::size_t>(s.position - s.windowStart);
  const std::size_t count = std::min(bytes, s.filled - offset);
  std::memcpy(buffer, s.window.data() + offset, count);
  s.position += count;
  return static_cast<ssize_t>(count);
}

int SeekEntry(void* cookie, off64_t* offset, int whence) {
  EntryStream& s = *static_cast<EntryStream*>(cookie);
  const long long base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? static_cast<long long>(s.position)
                                              : static_cast<long long>(s.size);
  // As on a file, a position past the end is allowed and reads nothing.
  if (*offset < -base || *offset > std::numeric_limits<long long>::max() - base) {
    errno = EINVAL;
    return -1;
  }
  s.position = static_cast<unsigned long long>(base + *offset);
  *offset = static_cast<off64_t>(s.position);
  return 0;
}

int CloseEntry(void* cookie) {
  EntryStream* s = static_cast<EntryStream*>(cookie);
  if (s->file) Zip().fclose(s->file);
  delete s;
  return 0;
}

}  // namespace

FILE* OpenEntryStream(zip_t* zip, unsigned long long index, unsigned long long size, const std::string& name,
                      std::string* failure) {
  EntryStream* s = new EntryStream{zip, index, size, name, failure};
  if (!s->Restart()) {
    CloseEntry(s);
    return nullptr;
  }
  FILE* stream = fopencookie(s, "rb", cookie_io_functions_t{ReadEntry, nullptr, SeekEntry, CloseEntry});
  if (!stream) {
    *failure = name + " cannot be read: " + std::strerror(errno);
    CloseEntry(s);
  }
  return stream;
}
