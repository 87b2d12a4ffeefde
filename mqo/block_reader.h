#pragma once
// Reads a stream in large blocks into one reused buffer and hands out its
// lines exactly as fgets(line, 8191, stream) cuts them: up to and including
// the next line feed, at most 8190 bytes, and the rest of the stream at its
// end. The document reader's lines are all of that shape, so reading them
// from here instead of one fgets call each gives the same lines for a
// fraction of the cost.
//
// The stream runs ahead of the lines handed out. Before anyone reads the
// stream directly, HandBack puts it where line-by-line reading would have
// left it; the next line then refills the buffer from there.

#include <cstddef>
#include <cstdio>

class BlockReader {
 public:
  // fgets(line, 8191, ...) reads at most this many bytes.
  static constexpr std::size_t kMaxLine = 8190;

  BlockReader() = default;
  ~BlockReader();
  BlockReader(const BlockReader&) = delete;
  BlockReader& operator=(const BlockReader&) = delete;

  // Starts on a seekable stream at its position, reading at most blockBytes
  // (at least 1) a time; bytesLeft (-1 if unknown) keeps the buffer small
  // for a small file.
  void Begin(FILE* file, std::size_t blockBytes, long bytesLeft);
  // Hands the stream back and frees the buffer.
  void End();
  // False before Begin, after End, and once the stream's position could not
  // be had: the caller then reads the stream line by line itself.
  bool On() const { return file_ != nullptr; }

  // The next line, [begin, end), without moving past it; false at the end
  // of the stream or when the reader went off. Consume moves past it. The
  // byte at end may be overwritten while the line is in use, and restored.
  bool Peek(char*& begin, char*& end);
  void Consume(const char* end) { pos_ = static_cast<std::size_t>(end - buffer_); }
  // Moves past the next `bytes` bytes when the buffer holds them all, as a
  // seek of the stream would; false, and nothing moved, when it does not.
  bool Skip(std::size_t bytes) {
    if (offset_ < 0 || bytes > Available()) return false;
    pos_ += bytes;
    return true;
  }

  // The bytes not yet handed out. Past them, until the next fill, there is
  // always a line feed that does not belong to the stream, so a scan for
  // one never runs off the data; a line is real only if it ends before Data
  // + Available.
  const char* Data() const { return buffer_ + pos_; }
  std::size_t Available() const { return end_ - pos_; }

  // The stream offset of the next byte not handed out, -1 if unknown.
  long Position() const;
  // Puts the stream at Position() and empties the buffer; false when the
  // stream could not be put there.
  bool HandBack();

 private:
  bool Fill();  // false when the stream has ended or its position is lost

  FILE* file_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t capacity_ = 0, block_ = 0;
  std::size_t pos_ = 0, end_ = 0;  // handed out up to pos_, read up to end_
  long offset_ = -1;               // stream offset of buffer_[0]; -1 while handed back
  bool ended_ = false;             // the stream gave no more bytes
};
