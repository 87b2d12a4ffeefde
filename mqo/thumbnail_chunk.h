#pragma once
// The picture in a document's "Thumbnail W H 24 rgb raw {" chunk, whose hex
// digits give W x H RGB pixels (ThumbnailMQO). The reader passes the chunk
// over as it passes over any chunk it does not know, so its result never
// depends on the picture. Asked to keep the picture, it also shows every
// byte it takes from the stream, in order, to a ThumbnailChunk until that
// one has decided. The bytes are read as lines of text, not through the
// reader's tokens, so that a picture is taken or refused exactly as the
// thumbnailer always did it:
//
// - the lines are searched from the top up to the first one that begins
//   with "Material", "Object" or "Eof", within the first MiB (line feeds not
//   counted);
// - the first line that begins with "Thumbnail " and reads (its first 256
//   bytes, as sscanf reads them) as "Thumbnail W H BITS COLOURS STORAGE {"
//   decides: with 24 bits, "rgb", "raw", W and H from 1 to 1024, the bytes
//   after that line up to the first "}" must be exactly W x H x 3 bytes as
//   pairs of hex digits, whitespace anywhere between the digits. Anything
//   else, and the document has no picture.

#include <cstddef>
#include <string>

#include "mqo/document.h"

class ThumbnailChunk {
 public:
  // Starts on a document; without keep, nothing is watched.
  void Begin(bool keep);
  // Whether the bytes are still wanted: all a document costs when its
  // picture is not kept is this test.
  bool Watching() const { return state_ != State::kDone; }
  // The next bytes the reader took from the stream, [begin, end).
  void Take(const char* begin, const char* end, ThumbnailMQO& picture);
  // The document has ended: a picture whose chunk did not end is dropped.
  void End(ThumbnailMQO& picture);

 private:
  enum class State : unsigned char { kDone, kSearching, kPixels };
  // Each takes what it wants of [begin, end) and returns the rest.
  const char* TakeLine(const char* begin, const char* end, ThumbnailMQO& picture);
  const char* TakePixels(const char* begin, const char* end, ThumbnailMQO& picture);
  void DecideLine(ThumbnailMQO& picture);
  void Finish(bool whole, ThumbnailMQO& picture);

  State state_ = State::kDone;
  long budget_ = 0;     // bytes of lines left to search
  long lineBytes_ = 0;  // of the line being read, its line feed not counted
  std::string head_;    // its first bytes
  int width_ = 0, height_ = 0;
  std::size_t expected_ = 0;  // bytes of the picture
  int high_ = -1;             // the first digit of a byte, -1 between bytes
};
