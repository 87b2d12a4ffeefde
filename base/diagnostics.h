#pragma once
// Diagnostics for the user on standard error, one line each:
//   "<program>: <subject>: <reason>"   (or "<program>: <reason>")
// They come in addition to the fixed console texts on standard output,
// which stay byte for byte as they are; those name neither the file nor
// the reason. The subject is usually a file name; the line is shown as
// shown_text.h says (UTF-8, Shift-JIS converted, control characters escaped).

#include <string>
#include <vector>

void Diagnose(const char* subject, const char* format, ...) __attribute__((format(printf, 2, 3)));

// From now on every line is also kept, for a notice outside the console.
void KeepDiagnostics();
// The lines kept since the last call; the store is emptied.
std::vector<std::string> TakeDiagnostics();
