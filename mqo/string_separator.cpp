#include "mqo/string_separator.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "mqo/number_parse.h"

namespace {

// The characters that form one-character tokens of their own.
constexpr unsigned char kSeparatorChars[] = {'(', ')', ',', ':', ';', '=', '[', ']', '{', '}'};
constexpr char kQuote = '"';

void* CheckedRealloc(void* block, std::size_t size) {
  void* grown = std::realloc(block, size);
  if (!grown) throw std::bad_alloc();
  return grown;
}

// Case-insensitive for the ASCII letters only, like _stricmp in the C locale.
bool EqualsIgnoreCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (x != y) {
      if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
      if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
      if (x != y) return false;
    }
    if (x == 0) return true;
  }
}

}  // namespace

StringSeparator::StringSeparator() : tokens(nullptr), capacity(0), count(0), quote(kQuote) {
  std::memset(separators, 0, sizeof separators);
  for (unsigned char c : kSeparatorChars) separators[c] = 1;
  bool lead[256];
  for (int c = 0; c < 256; ++c) lead[c] = IsLeadByte932(static_cast<unsigned char>(c));
  SetLeadBytes(lead, false);
}

void StringSeparator::SetLeadBytes(const bool lead[256], bool quoteEndsCharacter) {
  for (int c = 0; c < 256; ++c) classes_[c] = lead[c] ? kLead : kPlain;
  classes_[0] = classes_[0x0A] = classes_[0x0D] = kEnd;
  classes_[0x20] = classes_[0x09] = kBlank;
  classes_[static_cast<unsigned char>(kQuote)] = kQuoteByte;
  for (unsigned char c : kSeparatorChars) classes_[c] = kSeparator;
  quoteEndsCharacter_ = quoteEndsCharacter;
}

StringSeparator::~StringSeparator() {
  for (int i = 0; i < capacity; ++i) std::free(tokens[i]);
  std::free(tokens);
  std::free(slotSizes_);
  std::free(lineBuffer_);
}

char* StringSeparator::LineBuffer(int size) {
  if (size > lineBufferSize_) {
    lineBuffer_ = static_cast<char*>(CheckedRealloc(lineBuffer_, static_cast<std::size_t>(size)));
    lineBufferSize_ = size;
  }
  return lineBuffer_;
}

// Room for a token of length bytes in slot index, made by the rare lines
// that have more or longer tokens than any line before.
void StringSeparator::GrowSlot(int index, int length) {
  if (index >= capacity) {
    const std::size_t slots = static_cast<std::size_t>(index) + 1;
    tokens = static_cast<char**>(CheckedRealloc(tokens, slots * sizeof *tokens));
    slotSizes_ = static_cast<int*>(CheckedRealloc(slotSizes_, slots * sizeof *slotSizes_));
    for (int i = capacity; i <= index; ++i) {
      tokens[i] = nullptr;
      slotSizes_[i] = 0;
    }
    capacity = index + 1;
  }
  if (slotSizes_[index] < length + 1) {
    const int size = length + 1 < 16 ? 16 : length + 1;
    std::free(tokens[index]);
    tokens[index] = nullptr;
    slotSizes_[index] = 0;
    tokens[index] = static_cast<char*>(CheckedRealloc(nullptr, static_cast<std::size_t>(size)));
    slotSizes_[index] = size;
  }
}

// A slot keeps its string from line to line and is only replaced by a bigger
// one, so the steady state allocates nothing.
inline void StringSeparator::StoreToken(int index, const char* text, int length) {
  if (index >= capacity || slotSizes_[index] <= length) GrowSlot(index, length);
  char* slot = tokens[index];
  // Tokens are short: two overlapping fixed-size copies beat a library call.
  if (length >= 8) {
    if (length <= 16) {
      std::memcpy(slot, text, 8);
      std::memcpy(slot + length - 8, text + length - 8, 8);
    } else {
      std::memcpy(slot, text, static_cast<std::size_t>(length));
    }
  } else if (length >= 4) {
    std::memcpy(slot, text, 4);
    std::memcpy(slot + length - 4, text + length - 4, 4);
  } else {
    for (int i = 0; i < length; ++i) slot[i] = text[i];
  }
  slot[length] = '\0';
}

bool StringSeparator::SetToken(int index, const char* text) {
  StoreToken(index, text, static_cast<int>(std::strlen(text)));
  return true;
}

int StringSeparator::Separate(const char* line) {
  // Every token is one contiguous run of the line (quotes and separators
  // always end the run before them), so the runs are copied straight into
  // the slots without a work buffer.
  const unsigned char* p = reinterpret_cast<const unsigned char*>(line);
  const unsigned char* start = p;
  int k = 0;
  int n = 0;
  bool inQuotes = false;
  auto flush = [&] {
    if (k > 0) {
      StoreToken(n++, reinterpret_cast<const char*>(start), k);
      k = 0;
    }
  };
  for (;;) {
    switch (classes_[*p]) {
      case kPlain: {
        const unsigned char* q = p + 1;
        while (classes_[*q] == kPlain) ++q;
        if (k == 0) start = p;
        k += static_cast<int>(q - p);
        p = q;
        break;
      }
      case kLead:
        // The trail byte is taken unexamined, unless the line ends right
        // after the lead byte (then the lone byte stays and the scan stops)
        // or, where allowed, a quote follows it: no code page has a quote as
        // a trail byte, so the writer cut the character short there.
        if (k == 0) start = p;
        if (p[1] == '\0' || (quoteEndsCharacter_ && p[1] == kQuote)) {
          k += 1;
          p += 1;
        } else {
          k += 2;
          p += 2;
        }
        break;
      case kEnd:
        flush();
        count = n;
        return n;
      case kBlank:
        if (inQuotes) {
          if (k == 0) start = p;
          ++k;
        } else {
          flush();
        }
        ++p;
        break;
      case kQuoteByte:
        if (inQuotes) {
          // A closing quote stores its token even when it is empty.
          StoreToken(n++, reinterpret_cast<const char*>(k > 0 ? start : p), k);
          k = 0;
          inQuotes = false;
        } else {
          flush();
          inQuotes = true;
        }
        ++p;
        break;
      default:  // kSeparator
        if (inQuotes) {
          if (k == 0) start = p;
          ++k;
        } else {
          flush();
          StoreToken(n++, reinterpret_cast<const char*>(p), 1);
        }
        ++p;
        break;
    }
  }
}

bool StringSeparator::IsKeyword(const char* keyword, int minCount) const {
  if (count < minCount || count < 1) return false;
  return EqualsIgnoreCase(tokens[0], keyword);
}

bool StringSeparator::IsToken(int index, const char* text) const {
  if (index < 0 || index >= count) return false;
  return EqualsIgnoreCase(tokens[index], text);
}

int StringSeparator::GetInt(int index) const {
  if (index < 0 || index >= count) return 0;
  return ParseInt(tokens[index]);
}

double StringSeparator::GetDouble(int index) const {
  if (index < 0 || index >= count) return 0.0;
  return ParseDouble(tokens[index]);
}

float StringSeparator::GetFloat(int index) const { return static_cast<float>(GetDouble(index)); }

const char* StringSeparator::GetToken(int index) const { return tokens[index]; }

FileStringSeparator::FileStringSeparator(FILE* file) : file(file) {}

int FileStringSeparator::ReadLine() {
  int size = 4096;
  char* line = LineBuffer(size);
  int length = 0;
  for (;;) {
    // Room for a two-byte pair and the terminating NUL at every step.
    if (length >= size - 4) {
      size *= 2;
      line = LineBuffer(size);
    }
    const int c = std::fgetc(file);
    if (c == EOF) {
      if (length == 0) {
        count = -1;
        return -1;
      }
      break;
    }
    if (c == '\n') break;
    if (c == '\r') {
      // CR, LF and CR LF each end one line.
      const int next = std::fgetc(file);
      if (next != '\n' && next != EOF) std::ungetc(next, file);
      break;
    }
    line[length++] = static_cast<char>(c);
    if (IsLeadByte(static_cast<unsigned char>(c))) {
      const int trail = std::fgetc(file);
      if (trail == EOF) break;
      line[length++] = static_cast<char>(trail);
    }
  }
  line[length] = '\0';
  return Separate(line);
}

AsciiFileString::AsciiFileString(FILE* file) : FileStringSeparator(file) {}

int AsciiFileString::ReadLine() {
  char* line = LineBuffer(8192);
  if (!std::fgets(line, 8191, file)) {
    count = -1;
    return -1;
  }
  return Separate(line);
}

int AsciiFileString::ReadLine(const char*& begin, const char*& end) {
  // fgets tells no length, and a line may hold NUL bytes; with none in the
  // buffer before, the last NUL is the one fgets put after the line.
  char* line = LineBuffer(8192);
  std::memset(line, '\n', 8191);
  const int n = AsciiFileString::ReadLine();
  begin = line;
  end = static_cast<const char*>(memrchr(line, '\0', 8191));
  return n;
}
