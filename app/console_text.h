#pragma once
// Console output of the program's own texts. They are kept in the source as
// UTF-8 and written in the encoding of the user's locale: CP932 when its
// codeset is Shift-JIS or CP932, UTF-8 otherwise.

#include <string>

// Whether a codeset name as nl_langinfo(CODESET) reports it means CP932.
bool IsCp932Codeset(const char* codeset);
// The bytes to write for a UTF-8 text; with cp932 false they are unchanged.
// A text that cannot be converted is written as it is.
std::string ToConsoleBytes(const char* utf8, bool cp932);
// Writes the text in the locale's encoding (decided once, on first use).
void PrintConsoleText(const char* utf8);
// The wait after a " [enter]" prompt: flushes standard output and reads one
// character; end of input counts as that character.
void WaitForEnter();
