#pragma once
// The line tokenizer of the .mqo reader. Splits one line into tokens:
// ( ) , : ; = [ ] { } are tokens of their own, blanks separate, double quotes
// group text and are dropped, and a two-byte character of the document's
// code page (Shift-JIS unless told otherwise) is never split. Token texts are
// borrowed until the next ReadLine or Separate.
// The tokenizer keeps its slot strings and line buffer from line to line and
// grows them only when a line needs more, so reading a file allocates nothing
// per line once the longest tokens have been seen.

#include <cstdio>

// True for a lead byte of code page 932 (0x81-0x9F, 0xE0-0xFC).
inline bool IsLeadByte932(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

class StringSeparator {
 public:
  StringSeparator();
  virtual ~StringSeparator();
  StringSeparator(const StringSeparator&) = delete;
  StringSeparator& operator=(const StringSeparator&) = delete;

  int Separate(const char* line);
  bool SetToken(int index, const char* text);
  bool IsKeyword(const char* keyword, int minCount) const;
  bool IsToken(int index, const char* text) const;
  int GetInt(int index) const;
  double GetDouble(int index) const;
  float GetFloat(int index) const;
  const char* GetToken(int index) const;  // 0 <= index < count

  // The bytes that begin a two-byte character (CP932's until told
  // otherwise); none for UTF-8. With quoteEndsCharacter, a lead byte right
  // before a quote is a character cut short by the writer: it stays alone
  // and the quote still closes the name.
  void SetLeadBytes(const bool lead[256], bool quoteEndsCharacter);
  bool IsLeadByte(unsigned char c) const { return classes_[c] == kLead; }

  char** tokens;
  int capacity;
  int count;
  char separators[128];
  char quote;

 protected:
  // Buffer for the line being read, kept between lines; grows, never shrinks.
  char* LineBuffer(int size);

 private:
  void StoreToken(int index, const char* text, int length);
  void GrowSlot(int index, int length);

  // What the split does with each byte value.
  enum ByteClass : unsigned char { kPlain, kLead, kEnd, kBlank, kQuoteByte, kSeparator };
  unsigned char classes_[256];
  bool quoteEndsCharacter_ = false;
  int* slotSizes_ = nullptr;  // bytes allocated for each slot string
  char* lineBuffer_ = nullptr;
  int lineBufferSize_ = 0;
};

class FileStringSeparator : public StringSeparator {
 public:
  explicit FileStringSeparator(FILE* file);
  virtual int ReadLine();  // token count, 0 for an empty line, -1 at end of stream

  FILE* file;  // not owned
};

class AsciiFileString : public FileStringSeparator {
 public:
  explicit AsciiFileString(FILE* file);
  int ReadLine() override;
  // The same, also giving the bytes read, [begin, end), NUL bytes included;
  // they stay until the next ReadLine.
  int ReadLine(const char*& begin, const char*& end);
};
