#include "mqo/plain_lines.h"

#include "mqo/number_parse.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* p) {
  while (IsBlank(*p)) ++p;
  return p;
}

// True when the tokenizer ends a token before c without making c part of it
// or starting a quoted text. Every other byte would glue itself to the token
// before it ("12-3", "1.5e3", "V0") and the split would differ.
bool EndsToken(char c) { return IsBlank(c) || c == '(' || c == ')' || c == '\r' || c == '\n'; }

bool EndsLine(char c) { return c == '\r' || c == '\n'; }

// The keyword (written in lower case) at p in any letter case; where the
// token after it starts, or null. The "(" that must follow a keyword ends
// its token.
const char* Keyword(const char* p, const char* lower) {
  for (; *lower; ++p, ++lower)
    if ((*p | 0x20) != *lower) return nullptr;
  return SkipBlanks(p);
}

// A number token: where the token after it starts, or null.
const char* Int(const char* p, int& value) {
  p = ParsePlainInt(p, value);
  return p && EndsToken(*p) ? SkipBlanks(p) : nullptr;
}

const char* Float(const char* p, float& value) {
  double number;
  p = ParsePlainDouble(p, number);
  if (!p || !EndsToken(*p)) return nullptr;
  value = static_cast<float>(number);
  return SkipBlanks(p);
}

const char* Bracket(const char* p, char bracket) { return *p == bracket ? SkipBlanks(p + 1) : nullptr; }

}  // namespace

const char* ScanVertexLine(const char* p, VertexMQO& v) {
  p = SkipBlanks(p);
  if (!(p = Float(p, v.x)) || !(p = Float(p, v.y)) || !(p = Float(p, v.z)) || !EndsLine(*p)) return nullptr;
  return p;
}

const char* ScanFaceLine(const char* p, int numMaterials, FaceMQO& f) {
  int n;
  if (!(p = Int(SkipBlanks(p), n)) || n < 1 || n > 4) return nullptr;
  if (!(p = Keyword(p, "v")) || !(p = Bracket(p, '('))) return nullptr;
  for (int k = 0; k < n; ++k)
    if (!(p = Int(p, f.vertexIndex[k]))) return nullptr;
  if (!(p = Bracket(p, ')'))) return nullptr;
  f.numVertices = n;
  if (const char* group = Keyword(p, "m")) {
    int m;
    if (!(p = Bracket(group, '(')) || !(p = Int(p, m)) || !(p = Bracket(p, ')'))) return nullptr;
    if (m >= 0 && m < numMaterials) f.material = m;
  }
  if (const char* group = Keyword(p, "uv")) {
    if (!(p = Bracket(group, '('))) return nullptr;
    for (int k = 0; k < n; ++k)
      if (!(p = Float(p, f.uv[k][0])) || !(p = Float(p, f.uv[k][1]))) return nullptr;
    if (!(p = Bracket(p, ')'))) return nullptr;
  }
  if (const char* group = Keyword(p, "col")) {
    if (!(p = Bracket(group, '('))) return nullptr;
    for (int k = 0; k < n; ++k)
      if (!(p = Int(p, f.vertexColor[k]))) return nullptr;
    if (!(p = Bracket(p, ')'))) return nullptr;
  }
  return EndsLine(*p) ? p : nullptr;
}
