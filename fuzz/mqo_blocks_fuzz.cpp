// Reads arbitrary bytes line by line and in blocks of several sizes, with
// newer formats off and on, and stops at the first difference between the
// readings of one mode (result code, any field of the document, or where the
// stream was left), or between the two modes on a document that is not a
// newer one. Inputs of odd length are read keeping the Thumbnail chunk's
// picture, which sees every byte the reader takes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/mqo/reading_diff.h"

namespace {

void Check(const Reading& lineByLine, const Reading& other, const char* what, std::size_t block) {
  const std::string difference = ReadingDifference(lineByLine, other);
  if (difference.empty()) return;
  std::fprintf(stderr, "%s %zu: %s\n", what, block, difference.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const bool keep = size % 2 == 1;
  Reading plain;
  for (const bool newer : {false, true}) {
    const Reading lineByLine = ReadBytes(bytes, 0, Stream::kMemory, newer, keep);
    // Tiny blocks end inside every line; the size-dependent one moves the
    // block ends from input to input; Load reads small inputs in one block.
    for (const std::size_t block : {std::size_t{1}, std::size_t{13}, 2 + size % 97})
      Check(lineByLine, ReadBytes(bytes, block, Stream::kMemory, newer, keep),
            newer ? "newer, blocks of" : "blocks of", block);
    Check(lineByLine, ReadBytesWith(bytes, Stream::kMemory, [newer, keep](LoaderMQO& loader) {
            loader.SetNewerFormats(newer);
            loader.SetKeepThumbnail(keep);
            return loader.Load();
          }), newer ? "newer, Load" : "Load", 0);
    // A document that the default reading does not refuse at its format line
    // (a Ver 1.0 one) reads the same with newer formats on.
    if (!newer)
      plain = lineByLine;
    else if (plain.code != -4)
      Check(plain, lineByLine, "newer against default, line by line", 0);
  }
  return 0;
}
