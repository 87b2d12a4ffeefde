#include "app/console_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <cstdio>

namespace {

// Reads the user's codeset without changing the process's locale, so that
// number parsing and the reader keep the "C" rules.
bool LocaleWantsCp932() {
  locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return false;
  const bool cp932 = IsCp932Codeset(nl_langinfo_l(CODESET, user));
  freelocale(user);
  return cp932;
}

}  // namespace

bool IsCp932Codeset(const char* codeset) {
  if (codeset == nullptr) return false;
  static const char* const kNames[] = {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "CP932", "WINDOWS-31J", "MS_KANJI"};
  for (const char* name : kNames) {
    if (strcasecmp(codeset, name) == 0) return true;
  }
  return false;
}

std::string ToConsoleBytes(const char* utf8, bool cp932) {
  std::string text(utf8);
  if (!cp932 || text.empty()) return text;
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  // A CP932 character never takes more bytes than its UTF-8 form.
  std::string out(text.size(), '\0');
  char* in = text.data();
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1) || inLeft != 0) return text;
  out.resize(out.size() - outLeft);
  return out;
}

void PrintConsoleText(const char* utf8) {
  static const bool cp932 = LocaleWantsCp932();
  std::printf("%s", ToConsoleBytes(utf8, cp932).c_str());
}

void WaitForEnter() {
  std::fflush(stdout);
  std::getchar();
}
