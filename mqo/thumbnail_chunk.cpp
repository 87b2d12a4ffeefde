#include "mqo/thumbnail_chunk.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "mqo/loader.h"

namespace {

constexpr int kMaxSide = 1024;
// The chunk comes right after the header: no further than this is searched.
constexpr long kSearchedBytes = 1 << 20;
constexpr std::size_t kHeadBytes = 256;

bool StartsWith(const std::string& line, const char* word) { return line.compare(0, std::strlen(word), word) == 0; }

int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = std::tolower(c);
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

void ThumbnailChunk::Begin(bool keep) {
  state_ = keep ? State::kSearching : State::kDone;
  budget_ = kSearchedBytes;
  lineBytes_ = 0;
  head_.clear();
  high_ = -1;
}

void ThumbnailChunk::Take(const char* begin, const char* end, ThumbnailMQO& picture) {
  while (begin != end && state_ != State::kDone)
    begin = state_ == State::kPixels ? TakePixels(begin, end, picture) : TakeLine(begin, end, picture);
}

void ThumbnailChunk::End(ThumbnailMQO& picture) {
  if (state_ == State::kPixels) picture = ThumbnailMQO();
  state_ = State::kDone;
}

// A line is decided once its line feed comes; one that does not fit in the
// bytes left to search ends the search.
const char* ThumbnailChunk::TakeLine(const char* begin, const char* end, ThumbnailMQO& picture) {
  const char* lf = static_cast<const char*>(std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));
  const std::size_t bytes = static_cast<std::size_t>((lf ? lf : end) - begin);
  lineBytes_ += static_cast<long>(bytes);
  if (head_.size() < kHeadBytes) head_.append(begin, std::min(bytes, kHeadBytes - head_.size()));
  if (lineBytes_ >= budget_) {
    state_ = State::kDone;
    return end;
  }
  if (!lf) return end;
  budget_ -= lineBytes_;
  DecideLine(picture);
  lineBytes_ = 0;
  head_.clear();
  return lf + 1;
}

void ThumbnailChunk::DecideLine(ThumbnailMQO& picture) {
  if (StartsWith(head_, "Material") || StartsWith(head_, "Object") || StartsWith(head_, "Eof")) {
    state_ = State::kDone;
    return;
  }
  int width = 0, height = 0, bits = 0;
  char colours[8] = "", storage[8] = "", brace[2] = "";
  if (!StartsWith(head_, "Thumbnail ") ||
      std::sscanf(head_.c_str(), "Thumbnail %d %d %d %7s %7s %1s", &width, &height, &bits, colours, storage,
                  brace) != 6)
    return;
  state_ = State::kDone;
  if (bits == 24 && !std::strcmp(colours, "rgb") && !std::strcmp(storage, "raw") && !std::strcmp(brace, "{") &&
      width >= 1 && width <= kMaxSide && height >= 1 && height <= kMaxSide) {
    picture = ThumbnailMQO();
    width_ = width;
    height_ = height;
    expected_ = static_cast<std::size_t>(width) * height * 3;
    high_ = -1;
    state_ = State::kPixels;
  }
}

// The chunk's hex digits up to its closing brace, whitespace between them.
const char* ThumbnailChunk::TakePixels(const char* begin, const char* end, ThumbnailMQO& picture) {
  for (const char* p = begin; p != end; ++p) {
    const int c = static_cast<unsigned char>(*p);
    const std::size_t kept = static_cast<std::size_t>(picture.rgb.size());
    if (c == '}') {
      Finish(high_ < 0 && kept == expected_, picture);
      return end;
    }
    if (std::isspace(c)) continue;
    const int value = HexValue(c);
    if (value < 0 || kept == expected_) {
      Finish(false, picture);
      return end;
    }
    if (high_ < 0) {
      high_ = value;
      continue;
    }
    // The picture is not worth failing the document for.
    try {
      picture.rgb.push_back(static_cast<unsigned char>(high_ * 16 + value));
    } catch (const std::bad_alloc&) {
      Finish(false, picture);
      return end;
    }
    high_ = -1;
  }
  return end;
}

void ThumbnailChunk::Finish(bool whole, ThumbnailMQO& picture) {
  if (whole) {
    picture.width = width_;
    picture.height = height_;
  } else {
    picture = ThumbnailMQO();
  }
  state_ = State::kDone;
}

int LoaderMQO::ReadWatchedLine() {
  const char* begin;
  const char* end;
  const int n = separator->ReadLine(begin, end);
  if (n >= 0) WatchThumbnail(begin, end);
  return n;
}

// As lines of text, bytes that the reader skips may still hold the chunk's
// line, or a line that ends the search.
void LoaderMQO::WatchSkippedBytes(long at, int size) {
  char bytes[4096];
  for (int left = size; left > 0 && thumbnail_.Watching();) {
    const std::size_t want = std::min<std::size_t>(sizeof bytes, static_cast<std::size_t>(left));
    const std::size_t got = std::fread(bytes, 1, want, file);
    if (got == 0) break;
    WatchThumbnail(bytes, bytes + got);
    left -= static_cast<int>(got);
  }
  if (std::fseek(file, at, SEEK_SET) != 0) throw -1;
}
