#pragma once
// The bare loops that the benchmarks set beside the program's own figures,
// and the timing they share.
#include <charconv>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Keeps the reference loops' results alive.
extern volatile double g_sink;

// Median wall time of runs calls of run, in seconds.
double MedianSeconds(int runs, const std::function<void()>& run);

// The same for several loops that take turns in every round, so that a
// figure and its reference see the same drift of the machine's speed.
std::vector<double> MedianSecondsInTurns(int runs, const std::vector<std::function<void()>>& loops);

// A "VmRSS:"-style field of /proc/self/status in KiB, or -1.
long StatusKiB(const char* field);

// The folder of the running program, where the benchmarks keep their data.
std::string ExecutableFolder();

// Reads the file line by line with fgets and nothing else.
void FgetsLoop(const char* path);

// Reads the whole file with read() into newly allocated memory.
void BareReadLoop(const char* path);

inline bool IsTokenBreak(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(' || c == ')' || c == '"' || c == '[' ||
         c == ']' || c == '{' || c == '}' || c == ',' || c == ':' || c == ';' || c == '=';
}

// Splits every line into tokens in place and converts each numeric token
// with convert(begin, end), which sees a NUL-terminated token.
template <class Convert>
void SplitLoop(const char* path, Convert convert) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return;
  char line[8192];
  double sum = 0;
  while (std::fgets(line, 8191, f)) {
    char* p = line;
    for (;;) {
      while (*p && IsTokenBreak(*p)) ++p;
      if (!*p) break;
      char* start = p;
      while (*p && !IsTokenBreak(*p)) ++p;
      const char saved = *p;
      *p = '\0';
      if ((*start >= '0' && *start <= '9') || *start == '-' || *start == '.') sum += convert(start, p);
      *p = saved;
    }
  }
  std::fclose(f);
  g_sink = sum;
}

inline double FromChars(const char* begin, const char* end) {
  double v = 0;
  std::from_chars(begin, end, v);
  return v;
}

// Decodes a JPEG with libjpeg and nothing else; with rows, each scanline is
// decoded straight into rows[i] (as a reader's freshly allocated rows).
void BareJpegDecode(const std::string& path, unsigned char* const* rows = nullptr);
