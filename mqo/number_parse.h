#pragma once
// Number conversion with exactly the results of the C library's atoi and atof
// (C locale), but without their cost on the plain decimal texts that fill a
// document. Anything unusual (leading blanks or '+', hexadecimal, inf/nan,
// values out of range, very long digit runs) is handed to the C library.

int ParseInt(const char* text);        // == atoi(text), wrap past 32 bits included
double ParseDouble(const char* text);  // == atof(text)
