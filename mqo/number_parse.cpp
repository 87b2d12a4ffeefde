#include "mqo/number_parse.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int ParseInt(const char* text) {
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (!IsDigit(*p)) return std::atoi(text);
  // 18 digits always fit in 64 bits; longer runs saturate in strtol first,
  // so they are left to the library.
  std::uint64_t value = 0;
  int digits = 0;
  while (IsDigit(*p)) {
    if (++digits > 18) return std::atoi(text);
    value = value * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  if (negative) value = 0 - value;
  // atoi is (int)strtol: the low 32 bits of the long, so 4294967295 gives -1.
  return static_cast<int>(static_cast<std::uint32_t>(value));
}

double ParseDouble(const char* text) {
  const char* p = text;
  if (*p == '-') ++p;
  // from_chars reads neither hexadecimal nor a '+' nor leading blanks.
  if (!IsDigit(*p) || (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))) return std::atof(text);
  double value = 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
  (void)end;
  if (error != std::errc()) return std::atof(text);  // overflow or underflow: keep atof's value
  return value;
}
