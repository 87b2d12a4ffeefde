#include "mqo/number_parse.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const char* ParsePlainInt(const char* text, int& value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (!IsDigit(*p)) return nullptr;
  // 18 digits always fit in 64 bits; longer runs saturate in strtol first,
  // so they are left to the library.
  std::uint64_t sum = 0;
  int digits = 0;
  while (IsDigit(*p)) {
    if (++digits > 18) return nullptr;
    sum = sum * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  if (negative) sum = 0 - sum;
  // atoi is (int)strtol: the low 32 bits of the long, so 4294967295 gives -1.
  value = static_cast<int>(static_cast<std::uint32_t>(sum));
  return p;
}

int ParseInt(const char* text) {
  int value;
  return ParsePlainInt(text, value) ? value : std::atoi(text);
}

const char* ParsePlainDouble(const char* text, double& value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  // Plain decimals of at most 19 digits whose digits fit 53 bits and whose
  // fraction has at most 22 digits: both the digits and the power of ten are
  // exact doubles, so one division gives the correctly rounded value, which
  // is what strtod gives too.
  // Longer digit runs wrap the 64-bit sum harmlessly: they are refused below.
  std::uint64_t digits = 0;
  const char* first = p;
  while (IsDigit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
  long count = p - first, fraction = 0;
  if (*p == '.') {
    const char* point = ++p;
    while (IsDigit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
    fraction = p - point;
    count += fraction;
  }
  if (count == 0 || count > 19 || digits > (std::uint64_t{1} << 53) || fraction > 22) return nullptr;
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const double magnitude = static_cast<double>(digits) / kPowers[fraction];
  value = negative ? -magnitude : magnitude;
  return p;
}

double ParseDouble(const char* text) {
  double value;
  const char* end = ParsePlainDouble(text, value);
  if (end && *end == '\0') return value;
  const char* p = *text == '-' ? text + 1 : text;
  // from_chars reads neither hexadecimal nor a '+' nor leading blanks.
  if (!IsDigit(*p) || (p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))) return std::atof(text);
  const auto [stop, error] = std::from_chars(text, text + std::strlen(text), value);
  (void)stop;
  if (error != std::errc()) return std::atof(text);  // overflow or underflow: keep atof's value
  return value;
}
