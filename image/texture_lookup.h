#pragma once
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

// A folder that FindTextureFile searches first, in the same way, as if the
// model stood in it: where the textures an archive holds were unpacked.
// Candidates that would lead out of it ("..") are passed over there. An
// empty folder turns this off.
void SetPackedTextureFolder(const std::string& folder);
// The file names (no folders) that the name may refer to: the last
// components of its candidates, to be compared ignoring case.
std::vector<std::string> CandidateFileNames(const char* name);

// A path relative to the current directory (the model's folder) made absolute.
std::string FullTexturePath(const std::string& path);
// The paths FindTextureFile tries for the name, without repeats, made
// absolute; each is also tried ignoring letter case. For telling the user
// where a texture was looked for.
std::vector<std::string> TexturePlaces(const char* name);
