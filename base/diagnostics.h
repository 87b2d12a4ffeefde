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

// Prints one of the fixed console texts, as it is, on standard output.
void PrintFixedText(const char* text);

// While one lives, the thread that made it prints nothing: its diagnostics
// and fixed texts are counted and dropped. For work done ahead on a thread
// of its own whose result is used only when it had nothing to say; where it
// had, the work is done again in its place, and says it then.
class QuietThread {
 public:
  QuietThread();
  ~QuietThread();
  QuietThread(const QuietThread&) = delete;
  QuietThread& operator=(const QuietThread&) = delete;
  // The lines dropped on this thread since this object was made.
  int Dropped() const;
  // Whether the calling thread is quiet now.
  static bool Active();
};

// From now on every line is also kept, for a notice outside the console.
void KeepDiagnostics();
// The lines kept since the last call; the store is emptied.
std::vector<std::string> TakeDiagnostics();
