#include "base/diagnostics.h"

#include <errno.h>

#include <cstdarg>
#include <cstdio>

#include "base/shown_text.h"

namespace {

bool g_keep = false;
std::vector<std::string> g_kept;
thread_local bool t_quiet = false;
thread_local int t_dropped = 0;

}  // namespace

void Diagnose(const char* subject, const char* format, ...) {
  if (t_quiet) {
    ++t_dropped;
    return;
  }
  char reason[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(reason, sizeof reason, format, args);
  va_end(args);
  // Names in the line reach the terminal and the desktop as UTF-8, and
  // never as control characters.
  std::string line = ShownText(subject ? std::string(subject) + ": " + reason : std::string(reason));
  // One write per line, so that lines of two programs sharing the stream never mix.
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
  if (g_keep) g_kept.push_back(std::move(line));
}

void PrintFixedText(const char* text) {
  if (t_quiet)
    ++t_dropped;
  else
    std::fputs(text, stdout);
}

QuietThread::QuietThread() {
  t_quiet = true;
  t_dropped = 0;
}

QuietThread::~QuietThread() { t_quiet = false; }

int QuietThread::Dropped() const { return t_dropped; }

bool QuietThread::Active() { return t_quiet; }

void KeepDiagnostics() { g_keep = true; }

std::vector<std::string> TakeDiagnostics() {
  std::vector<std::string> lines;
  lines.swap(g_kept);
  return lines;
}
