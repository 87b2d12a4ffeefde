#include "image/texture_lookup.h"

#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/regular_file.h"

namespace {

using Components = std::vector<std::string>;
constexpr size_t kMaxPath = 259;

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool HasNonAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return true;
  return false;
}

bool IsValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
    if (extra > 3 || (extra == 1 && c < 0xC2) || s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

// Splits at '\\' and '/'; in CP932 text the byte after a lead byte is part of
// the character even when it is 0x5C. Empty components are dropped, so a
// leading separator never makes the path absolute.
Components Split(const std::string& name, bool cp932) {
  Components parts(1);
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (cp932 && IsCp932Lead(c) && i + 1 < name.size()) {
      parts.back() += name.substr(i, 2);
      ++i;
    } else if (c == '\\' || c == '/') {
      if (!parts.back().empty()) parts.emplace_back();
    } else {
      parts.back() += static_cast<char>(c);
    }
  }
  if (parts.back().empty()) parts.pop_back();
  return parts;
}

std::string Join(const Components& parts) {
  std::string path;
  for (const std::string& p : parts) {
    if (!path.empty()) path += '/';
    path += p;
  }
  return path;
}

bool IsRegularFile(const std::string& path) {
  if (path.empty() || path.size() > kMaxPath) return false;
  FILE* fp = OpenRegularFile(path.c_str());
  if (!fp) return false;
  std::fclose(fp);
  return true;
}

// In CP932 text the second byte of a character may be an ASCII letter; it is
// compared exactly, so that two different characters never match.
bool SameIgnoringAsciiCase(const std::string& a, const char* b, bool cp932) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (cp932 && IsCp932Lead(x) && i + 1 < a.size()) {
      if (x != y || a[i + 1] != b[i + 1]) return false;
      ++i;
      continue;
    }
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return i == a.size() && !b[i];
}

// Resolves each component against the directory it sits in, from the
// current directory, taking an exact entry when there is one and otherwise
// the first entry equal but for case.
std::string ResolveIgnoringCase(const Components& parts, bool cp932) {
  std::string path;
  for (const std::string& part : parts) {
    std::string next = path.empty() ? part : path + '/' + part;
    struct stat st;
    if (part != "." && part != ".." && stat(next.c_str(), &st) != 0) {
      DIR* dir = opendir(path.empty() ? "." : path.c_str());
      if (!dir) return "";
      bool found = false;
      while (dirent* entry = readdir(dir)) {
        if (SameIgnoringAsciiCase(part, entry->d_name, cp932)) {
          next = path.empty() ? entry->d_name : path + '/' + entry->d_name;
          found = true;
          break;
        }
      }
      closedir(dir);
      if (!found) return "";
    }
    path = next;
    if (path.size() > kMaxPath) return "";
  }
  return path;
}

std::string Cp932ToUtf8(const std::string& name) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "";
  std::string in = name;
  std::string out(in.size() * 3 + 4, '\0');
  char* src = in.data();
  char* dst = out.data();
  size_t srcLeft = in.size(), dstLeft = out.size();
  const size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1) || srcLeft != 0) return "";
  out.resize(out.size() - dstLeft);
  return out;
}

bool HasDrive(const std::string& part) {
  return part.size() >= 2 && part[1] == ':' && ((part[0] >= 'A' && part[0] <= 'Z') || (part[0] >= 'a' && part[0] <= 'z'));
}

// Candidates 1 to 3 for one spelling of the name.
std::vector<Components> Candidates(const Components& parts) {
  std::vector<Components> list;
  if (parts.empty()) return list;
  Components inTexture{"Texture"};
  inTexture.insert(inTexture.end(), parts.begin(), parts.end());
  list.push_back(inTexture);
  list.push_back(parts);
  // "C:check.png" names a file without naming a folder.
  const std::string last = parts.size() == 1 && HasDrive(parts[0]) ? parts[0].substr(2) : parts.back();
  if ((parts.size() > 1 || last != parts[0]) && !last.empty()) {
    list.push_back({"Texture", last});
    list.push_back({last});
  }
  return list;
}

// Candidates 1 to 3 for the name as written and, when it holds non-ASCII
// bytes, for its conversion from CP932 to UTF-8.
struct Spellings {
  bool cp932 = false;  // the written name is read as CP932
  std::vector<Components> plain, converted;
};

// Whether the document's names are UTF-8 by its own word.
bool g_namesUtf8 = false;

Spellings CandidatesOf(const std::string& written) {
  Spellings s;
  // A name that is already valid UTF-8 is split as such: its bytes never hold
  // a 0x5C trail byte, but a CP932 reading could swallow a real backslash.
  const bool maybeCp932 = !g_namesUtf8 && HasNonAscii(written);
  s.cp932 = maybeCp932 && !IsValidUtf8(written);
  s.plain = Candidates(Split(written, s.cp932));
  if (maybeCp932) {
    const std::string utf8 = Cp932ToUtf8(written);
    if (!utf8.empty()) s.converted = Candidates(Split(utf8, false));
  }
  return s;
}

PackedTextures g_packed;

bool StaysBelow(const Components& parts) {
  for (const std::string& p : parts)
    if (p == "." || p == "..") return false;
  return true;
}

// The packed entry named exactly, or else the first equal but for case.
std::string PackedEntry(const Components& parts, bool cp932) {
  if (!StaysBelow(parts)) return "";
  const std::string path = Join(parts);
  for (const std::string& name : g_packed.names)
    if (name == path) return name;
  for (const std::string& name : g_packed.names)
    if (SameIgnoringAsciiCase(path, name.c_str(), cp932)) return name;
  return "";
}

// The first of the candidates for the name that opens as a regular file.
std::string FindFile(const std::string& written) {
  if (IsRegularFile("Texture/" + written)) return "Texture/" + written;

  const Spellings spellings = CandidatesOf(written);
  const bool cp932 = spellings.cp932;
  const std::vector<Components>& plain = spellings.plain;
  const std::vector<Components>& converted = spellings.converted;
  for (size_t i = 0; i < plain.size() || i < converted.size(); ++i) {
    if (i < plain.size()) {
      const std::string exact = Join(plain[i]);
      if (IsRegularFile(exact)) return exact;
      const std::string caseless = ResolveIgnoringCase(plain[i], cp932);
      if (IsRegularFile(caseless)) return caseless;
    }
    if (i < converted.size()) {
      const std::string exactUtf8 = Join(converted[i]);
      if (IsRegularFile(exactUtf8)) return exactUtf8;
      const std::string caselessUtf8 = ResolveIgnoringCase(converted[i], false);
      if (IsRegularFile(caselessUtf8)) return caselessUtf8;
    }
  }
  return "";
}

}  // namespace

void SetTextureNamesUtf8(bool utf8) { g_namesUtf8 = utf8; }

void SetPackedTextures(PackedTextures textures) { g_packed = std::move(textures); }

std::string FindPackedTexture(const char* name) {
  if (g_packed.names.empty() || !name || !name[0]) return "";
  const Spellings spellings = CandidatesOf(name);
  for (size_t i = 0; i < spellings.plain.size() || i < spellings.converted.size(); ++i) {
    if (i < spellings.plain.size()) {
      const std::string entry = PackedEntry(spellings.plain[i], spellings.cp932);
      if (!entry.empty()) return entry;
    }
    if (i < spellings.converted.size()) {
      const std::string entry = PackedEntry(spellings.converted[i], false);
      if (!entry.empty()) return entry;
    }
  }
  return "";
}

FILE* OpenPackedTexture(const std::string& name, std::string& reason) {
  if (!g_packed.open) {
    reason = "no archive is open";
    return nullptr;
  }
  return g_packed.open(name, reason);
}

bool FinishPackedTexture(FILE* fp, std::string& reason) {
  char rest[1 << 16];
  while (std::fread(rest, 1, sizeof rest, fp) == sizeof rest) {
  }
  const bool damaged = std::ferror(fp) != 0;
  std::fclose(fp);
  if (damaged) reason = g_packed.failure ? g_packed.failure() : "the entry is damaged";
  return !damaged;
}

std::string PackedTexturePath(const std::string& name) { return g_packed.archive + "/" + name; }

std::vector<std::string> CandidateEntryPaths(const char* name) {
  Spellings spellings = CandidatesOf(name ? name : "");
  std::vector<std::string> paths;
  spellings.plain.insert(spellings.plain.end(), spellings.converted.begin(), spellings.converted.end());
  for (const Components& candidate : spellings.plain)
    if (StaysBelow(candidate)) paths.push_back(Join(candidate));
  return paths;
}

std::string FindTextureFile(const char* name) {
  const std::string written = name ? name : "";
  return written.empty() ? "" : FindFile(written);
}

std::string FullTexturePath(const std::string& path) {
  char cwd[4096];
  if (path.empty() || path[0] == '/' || !getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + (cwd[1] ? "/" : "") + path;
}

std::vector<WrittenPath> TextureNameSpellings(const char* name) {
  const std::string written = name ? name : "";
  std::vector<WrittenPath> spellings;
  if (written.empty()) return spellings;
  const bool maybeCp932 = !g_namesUtf8 && HasNonAscii(written);
  const bool cp932 = maybeCp932 && !IsValidUtf8(written);
  spellings.push_back({Split(written, cp932), cp932});
  if (maybeCp932) {
    const std::string utf8 = Cp932ToUtf8(written);
    if (!utf8.empty()) spellings.push_back({Split(utf8, false), false});
  }
  for (WrittenPath& s : spellings)
    if (s.parts.size() == 1 && HasDrive(s.parts[0])) s.parts[0].erase(0, 2);
  std::erase_if(spellings, [](const WrittenPath& s) { return s.parts.empty() || s.parts.back().empty(); });
  return spellings;
}

bool SameNameIgnoringCase(const std::string& written, const char* entry, bool cp932) {
  return SameIgnoringAsciiCase(written, entry, cp932);
}

std::vector<std::string> TexturePlaces(const char* name) {
  const std::string written = name ? name : "";
  std::vector<std::string> places;
  if (written.empty()) return places;
  Spellings spellings = CandidatesOf(written);
  std::vector<Components>& all = spellings.plain;
  all.insert(all.end(), spellings.converted.begin(), spellings.converted.end());
  for (const Components& c : all) {
    const std::string place = FullTexturePath(Join(c));
    bool seen = false;
    for (const std::string& p : places) seen = seen || p == place;
    if (!seen) places.push_back(place);
  }
  return places;
}
