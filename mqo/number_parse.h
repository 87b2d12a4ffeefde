#pragma once
// Number conversion with exactly the results of the C library's atoi and atof
// (C locale), but without their cost on the plain decimal texts that fill a
// document. Anything unusual (leading blanks or '+', hexadecimal, inf/nan,
// values out of range, very long digit runs) is handed to the C library.

#include <cstdint>

int ParseInt(const char* text);        // == atoi(text), wrap past 32 bits included
double ParseDouble(const char* text);  // == atof(text)

// The conversions that ParseInt and ParseDouble make themselves, for a number
// that starts at text and may go on with other characters: -digits for
// ParseInt, -digits.digits for ParseDouble (sign, integer part, point and
// fraction each optional but one digit). Each returns where its number stops,
// or null when it leaves this text to the C library. A token that is exactly
// such a number converts to this value, whatever character ends the token.
// Inline: the reader's one-pass line scan calls them for every number.

inline bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

inline const char* ParsePlainInt(const char* text, int& value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  if (!IsDecimalDigit(*p)) return nullptr;
  // 18 digits always fit in 64 bits; longer runs saturate in strtol first,
  // so they are left to the library.
  std::uint64_t sum = 0;
  const char* first = p;
  while (IsDecimalDigit(*p)) sum = sum * 10 + static_cast<std::uint64_t>(*p++ - '0');
  if (p - first > 18) return nullptr;
  if (negative) sum = 0 - sum;
  // atoi is (int)strtol: the low 32 bits of the long, so 4294967295 gives -1.
  value = static_cast<int>(static_cast<std::uint32_t>(sum));
  return p;
}

inline const char* ParsePlainDouble(const char* text, double& value) {
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
  while (IsDecimalDigit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
  long count = p - first, fraction = 0;
  if (*p == '.') {
    const char* point = ++p;
    while (IsDecimalDigit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
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
