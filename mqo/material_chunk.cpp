#include <cstddef>

#include "mqo/loader.h"

namespace {

// The attributes a material line may carry: keyword, tokens the attribute
// spans (keyword, "(", values, ")"), and where its value goes.
enum class Target { kColor, kDiffuse, kAmbient, kSpecular, kEmissive, kPower, kTexture, kAlphaPlane, kBump, kVertexColors };

struct Attribute {
  const char* keyword;
  int span;
  Target target;
};

constexpr Attribute kAttributes[] = {
    {"col", 7, Target::kColor},       {"dif", 4, Target::kDiffuse},   {"amb", 4, Target::kAmbient},
    {"spc", 4, Target::kSpecular},    {"emi", 4, Target::kEmissive},  {"power", 4, Target::kPower},
    {"tex", 4, Target::kTexture},     {"aplane", 4, Target::kAlphaPlane}, {"bump", 4, Target::kBump},
    {"vcol", 4, Target::kVertexColors},
};

void Apply(const LoaderMQO& loader, int d, Target target, MaterialMQO& m) {
  const StringSeparator& s = *loader.separator;
  const auto value = [&](int i) { return static_cast<float>(s.GetDouble(i)); };
  switch (target) {
    case Target::kColor:
      for (int i = 0; i < 4; ++i) m.color[i] = value(d + 2 + i);
      break;
    case Target::kDiffuse: m.diffuse = value(d + 2); break;
    case Target::kAmbient: m.ambient = value(d + 2); break;
    case Target::kSpecular: m.specular = value(d + 2); break;
    case Target::kEmissive: m.emissive = value(d + 2); break;
    case Target::kPower: m.power = value(d + 2); break;
    case Target::kVertexColors: m.vertexColors = s.GetInt(d + 2); break;
    case Target::kTexture: loader.TakeName(m.textureName, s.GetToken(d + 2)); break;
    case Target::kAlphaPlane: loader.TakeName(m.alphaPlaneName, s.GetToken(d + 2)); break;
    case Target::kBump: loader.TakeName(m.bumpName, s.GetToken(d + 2)); break;
  }
}

// Fills m from the current line: the name, then attributes until the line
// ends or one is malformed.
void ReadMaterialLine(const LoaderMQO& loader, int n, MaterialMQO& m) {
  const StringSeparator& s = *loader.separator;
  loader.TakeName(m.name, s.GetToken(0));
  int d = 1;
  while (d < n) {
    const Attribute* fit = nullptr;
    for (const Attribute& a : kAttributes) {
      if (d + a.span <= n && s.IsToken(d, a.keyword)) {
        fit = &a;
        break;
      }
    }
    if (fit) {
      if (!s.IsToken(d + 1, "(") || !s.IsToken(d + fit->span - 1, ")")) return;
      Apply(loader, d, fit->target, m);
      d += fit->span;
      continue;
    }
    // Unknown (or too short) attributes are passed over by their parentheses,
    // whatever number of values they hold.
    if (!s.IsToken(d + 1, "(")) return;
    int close = d + 2;
    while (close < n && !s.IsToken(close, ")")) ++close;
    // The shader is taken as it is passed over, so that a malformed one
    // ends or skips the line as any unknown attribute does.
    if (close == d + 3 && s.IsToken(d, "shader")) m.shader = s.GetInt(d + 2);
    d = close + 1;
  }
}

}  // namespace

bool LoaderMQO::ReadMaterials() {
  AsciiFileString& s = *separator;
  for (;;) {
    const int n = NextLine();
    if (n == 0) continue;
    if (s.IsToken(0, "}")) return true;
    // Each record carries four 256-byte names, so a chunk of one-word lines
    // would cost some 500 times its size; past the limit the lines are read
    // and dropped.
    if (document.numMaterials >= kMaxMaterialRecords) continue;
    MaterialMQO material;
    ReadMaterialLine(*this, n, material);
    document.materials.push_back(material);
    document.numMaterials = document.materials.size();
  }
}
