#include "app/language.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

Language LanguageOf(const char* lcAll, const char* lcMessages, const char* lang) {
  // Read from the environment rather than asked of setlocale: the program
  // keeps the "C" locale for reading numbers, and setlocale would refuse a
  // Japanese locale that is set but not generated on this machine, while
  // the user still reads Japanese.
  for (const char* value : {lcAll, lcMessages, lang})
    if (value != nullptr && value[0] != '\0') return std::strncmp(value, "ja", 2) == 0 ? Language::kJapanese : Language::kEnglish;
  return Language::kEnglish;
}

Language UserLanguage() {
  return LanguageOf(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}
