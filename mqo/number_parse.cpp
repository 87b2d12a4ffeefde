#include "mqo/number_parse.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <system_error>

int ParseInt(const char* text) {
  int value;
  return ParsePlainInt(text, value) ? value : std::atoi(text);
}

double ParseDouble(const char* text) {
  double value;
  const char* end = ParsePlainDouble(text, value);
  if (end && *end == '\0') return value;
  const char* p = *text == '-' ? text + 1 : text;
  // from_chars reads neither hexadecimal nor a '+' nor leading blanks.
  if (!IsDecimalDigit(*p) || (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))) return std::atof(text);
  const auto [stop, error] = std::from_chars(text, text + std::strlen(text), value);
  (void)stop;
  if (error != std::errc()) return std::atof(text);  // overflow or underflow: keep atof's value
  return value;
}
