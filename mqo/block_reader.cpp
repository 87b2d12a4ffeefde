#include "mqo/block_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

BlockReader::~BlockReader() { std::free(buffer_); }

void BlockReader::Begin(FILE* file, std::size_t blockBytes, long bytesLeft) {
  End();
  block_ = std::max<std::size_t>(1, blockBytes);
  if (bytesLeft >= 0 && static_cast<unsigned long>(bytesLeft) < block_) block_ = static_cast<std::size_t>(bytesLeft) + 1;
  // A fill comes only when less than a whole line is left, so the buffer
  // holds that part line, one block and the line feed past the data.
  capacity_ = block_ + kMaxLine + 1;
  buffer_ = static_cast<char*>(std::malloc(capacity_));
  if (!buffer_) return;  // stays off: the caller reads line by line
  file_ = file;
  pos_ = end_ = 0;
  buffer_[0] = '\n';
  offset_ = -1;
  ended_ = false;
}

void BlockReader::End() {
  if (On()) HandBack();
  std::free(buffer_);
  buffer_ = nullptr;
  file_ = nullptr;
}

long BlockReader::Position() const {
  if (!On()) return -1;
  return offset_ < 0 ? std::ftell(file_) : offset_ + static_cast<long>(pos_);
}

bool BlockReader::HandBack() {
  if (!On() || offset_ < 0) return true;
  // With nothing read ahead the stream already stands there.
  const bool ahead = pos_ != end_;
  const long at = Position();
  pos_ = end_ = 0;
  buffer_[0] = '\n';
  offset_ = -1;
  ended_ = false;
  return !ahead || std::fseek(file_, at, SEEK_SET) == 0;
}

bool BlockReader::Fill() {
  if (ended_) return false;
  if (offset_ < 0) {
    offset_ = std::ftell(file_);
    if (offset_ < 0) {
      file_ = nullptr;  // nowhere to hand the stream back to: line by line from here
      return false;
    }
  }
  if (pos_ > 0) {
    std::memmove(buffer_, buffer_ + pos_, end_ - pos_);
    offset_ += static_cast<long>(pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  const std::size_t got = std::fread(buffer_ + end_, 1, block_, file_);
  end_ += got;
  buffer_[end_] = '\n';
  if (got == 0) ended_ = true;
  return got > 0;
}

bool BlockReader::Peek(char*& begin, char*& end) {
  std::size_t searched = 0;  // bytes after pos_ known to hold no line feed
  for (;;) {
    const std::size_t available = end_ - pos_;
    const std::size_t look = std::min(available, kMaxLine);
    begin = buffer_ + pos_;
    if (look > searched) {
      if (void* lf = std::memchr(begin + searched, '\n', look - searched)) {
        end = static_cast<char*>(lf) + 1;
        return true;
      }
      searched = look;
    }
    if (available >= kMaxLine || (ended_ && available > 0)) {
      end = begin + look;
      return true;
    }
    if (ended_) return false;
    if (!Fill() && !On()) return false;
  }
}
