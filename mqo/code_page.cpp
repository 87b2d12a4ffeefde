#include "mqo/code_page.h"

#include <iconv.h>
#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "mqo/string_separator.h"

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

CodePageMQO MakeDefault() {
  CodePageMQO page;
  for (int c = 0; c < 256; ++c) page.lead[c] = IsLeadByte932(static_cast<unsigned char>(c));
  return page;
}

// Runs iconv over in, writing into out; false on an invalid or cut sequence.
bool Convert(iconv_t cd, const char* in, std::size_t size, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string input(in, size);
  out.assign(size * 4 + 4, '\0');
  char* src = input.data();
  char* dst = out.data();
  std::size_t srcLeft = size, dstLeft = out.size();
  const std::size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  out.resize(out.size() - dstLeft);
  return done != static_cast<std::size_t>(-1) && srcLeft == 0;
}

// The code page of a Windows number as iconv knows it, or false.
bool AskIconv(long number, CodePageMQO& page) {
  const std::string name = "CP" + std::to_string(number);
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == kNoConverter) return false;
  // The document's syntax is ASCII: a code page that spells it otherwise
  // (an EBCDIC one, say) cannot be what the file was written in.
  static const char kSyntax[] = "Object \"a\" { ( ) [ ] } 0.5,-1;=:\\";
  std::string converted;
  bool fits = Convert(cd, kSyntax, sizeof kSyntax - 1, converted) && converted == kSyntax;
  CodePageMQO found;
  found.iconvName = name;
  // A byte that iconv takes for the start of a longer sequence leads a
  // two-byte character.
  for (int c = 0x80; c < 256 && fits; ++c) {
    const char byte = static_cast<char>(c);
    found.lead[c] = !Convert(cd, &byte, 1, converted) && errno == EINVAL;
  }
  iconv_close(cd);
  if (fits) page = found;
  return fits;
}

}  // namespace

const CodePageMQO& DefaultCodePage() {
  static const CodePageMQO page = MakeDefault();
  return page;
}

bool FindCodePage(const char* value, CodePageMQO& page) {
  if (!strcasecmp(value, "utf8") || !strcasecmp(value, "utf-8") || !std::strcmp(value, "65001")) {
    page = CodePageMQO();
    page.iconvName = "UTF-8";
    page.utf8 = true;
    return true;
  }
  char* end = nullptr;
  const long number = std::strtol(value, &end, 10);
  if (end == value || *end != '\0' || number <= 0 || number > 65535) return false;
  // Asking iconv takes some 8 µs; a document may repeat the line at will,
  // so each number is asked once a process (at most 65535 answers, mostly
  // refusals, which keep no table).
  static std::mutex guard;
  static std::map<long, std::unique_ptr<CodePageMQO>> answers;
  const std::lock_guard<std::mutex> lock(guard);
  auto known = answers.find(number);
  if (known == answers.end()) {
    CodePageMQO asked;
    known = answers.emplace(number, AskIconv(number, asked) ? std::make_unique<CodePageMQO>(asked) : nullptr).first;
  }
  if (!known->second) return false;
  page = *known->second;
  return true;
}

std::string NameToUtf8(const char* name, const CodePageMQO& page) {
  const std::size_t size = std::strlen(name);
  if (page.utf8) return std::string(name, size);
  iconv_t cd = iconv_open("UTF-8", page.iconvName.c_str());
  if (cd == kNoConverter) return std::string(name, size);
  std::string out, piece;
  // Character by character, so that one that does not convert costs only
  // its first byte, which stays as it is.
  for (std::size_t i = 0; i < size;) {
    const std::size_t length = page.lead[static_cast<unsigned char>(name[i])] && i + 1 < size ? 2 : 1;
    if (Convert(cd, name + i, length, piece)) {
      out += piece;
      i += length;
    } else {
      out += name[i++];
    }
  }
  iconv_close(cd);
  return out;
}
