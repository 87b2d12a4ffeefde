#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Finds the file that a texture name written by a Windows modeller refers to,
// relative to the current directory (the model's folder). Windows names ignore
// case, use backslashes, are often written beside the model or as absolute
// paths, and are stored in CP932, so the candidates, tried in this order, are:
//   1. "Texture/" + the name, backslashes read as folder separators;
//   2. the name itself;
//   3. for a name with folders or a drive letter, its last component, in
//      "Texture/" and then on its own;
// each as written, then matched folder by folder ignoring ASCII case, then the
// same two ways with the name converted from CP932 to UTF-8 when it holds
// non-ASCII bytes. A backslash that is the second byte of a CP932 character is
// not a separator. Returns the first candidate that opens as a regular file
// (at most 259 bytes long), or the empty string when none does. Reads
// directories only; opens nothing else.
std::string FindTextureFile(const char* name);

// Whether the names are known to be UTF-8 (the document said so, or its
// names were converted from the code page it named): then they are looked
// up as written alone, with no CP932 reading. Off by default.
void SetTextureNamesUtf8(bool utf8);

// The textures an archive holds, which come before any file: the names of
// its entries (folders separated by '/'), the archive's path, which messages
// name an entry under as if it were a folder, and how to open an entry as a
// stream (null, with the reason, when it cannot be read).
struct PackedTextures {
  std::vector<std::string> names;
  std::string archive;
  std::function<FILE*(const std::string& name, std::string& reason)> open;
  // Why the last stream that failed did.
  std::function<std::string()> failure;
};
// Replaces them; an empty set turns them off.
void SetPackedTextures(PackedTextures textures);
// The entry among them that the name refers to, matched as FindTextureFile
// matches files, as if the entries lay in the model's folder; candidates
// with "." or ".." are passed over. Empty when none matches.
std::string FindPackedTexture(const char* name);
// The entry as a stream at its start, or null with the reason.
FILE* OpenPackedTexture(const std::string& name, std::string& reason);
// Reads what a decoder left of the entry's stream and closes it; false, with
// the reason, when the archive then found the entry damaged (a wrong check
// sum, fewer bytes than it declares): a decoder stops at its picture's end
// marker, before the stream has seen its end.
bool FinishPackedTexture(FILE* fp, std::string& reason);
// "ARCHIVE/ENTRY", how messages name it.
std::string PackedTexturePath(const std::string& name);
// The entry paths (folders separated by '/') that the name may refer to in
// an archive: its candidates that stay below the archive's root, to be
// compared ignoring case.
std::vector<std::string> CandidateEntryPaths(const char* name);

// A path relative to the current directory (the model's folder) made absolute.
std::string FullTexturePath(const std::string& path);
// The paths FindTextureFile tries for the name, without repeats, made
// absolute; each is also tried ignoring letter case. For telling the user
// where a texture was looked for.
std::vector<std::string> TexturePlaces(const char* name);

// A written name split into its components as the lookup splits it: once as
// written (cp932 when its bytes are read as Shift-JIS) and, for a name with
// non-ASCII bytes that may be CP932, once converted to UTF-8. A drive letter
// before a bare file name ("C:a.png") is dropped. Empty for an empty name.
struct WrittenPath {
  std::vector<std::string> parts;
  bool cp932 = false;
};
std::vector<WrittenPath> TextureNameSpellings(const char* name);
// Whether a component as written names the entry, ASCII case ignored; a
// CP932 character's second byte is compared exactly.
bool SameNameIgnoringCase(const std::string& written, const char* entry, bool cp932);
