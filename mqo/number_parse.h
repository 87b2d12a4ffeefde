#pragma once
// Number conversion with exactly the results of the C library's atoi and atof
// (C locale), but without their cost on the plain decimal texts that fill a
// document. Anything unusual (leading blanks or '+', hexadecimal, inf/nan,
// values out of range, very long digit runs) is handed to the C library.

int ParseInt(const char* text);        // == atoi(text), wrap past 32 bits included
double ParseDouble(const char* text);  // == atof(text)

// The conversions that ParseInt and ParseDouble make themselves, for a number
// that starts at text and may go on with other characters: -digits for
// ParseInt, -digits.digits for ParseDouble (sign, integer part, point and
// fraction each optional but one digit). Each returns where its number stops,
// or null when it leaves this text to the C library. A token that is exactly
// such a number converts to this value, whatever character ends the token.
const char* ParsePlainInt(const char* text, int& value);
const char* ParsePlainDouble(const char* text, double& value);
