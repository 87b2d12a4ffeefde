#pragma once
// The last resort of the texture lookup when the model is shown as modelled
// or thumbnailed: projects (game mods above all) keep a model's pictures
// elsewhere in their tree, and documents name them bare or by a path of the
// author's machine. Off by default; the default lookup never walks a tree.
//
// The tree is the model's folder (the current directory) and up to four
// folders above it, never the file system's root, a folder right under it
// (/home, /tmp) nor the home folder or one above it, with everything below
// them on the same file system: at most 200,000 entries, 12 folders deep
// below each, for at most a second. Folders that are symbolic links are not
// entered (a link could lead out of the tree or round in a circle); files
// that are links to regular files count as files. The tree is walked once,
// on the first name that needs it, and kept until ResetTextureTree.
// Safe to call from any thread.

#include <string>

// Turns the search on or off for the whole process.
void SetTextureTreeSearch(bool on);
bool TextureTreeSearch();

// The file in the model's tree that the name (bare, relative, or an absolute
// Windows path) most likely means, as an absolute path; empty when the
// search is off or no file bears the name's last component (letter case
// ignored). Of several, the one whose path ends with the longest part of the
// named path, then the one nearest to the model (fewest folders up, then
// fewest down), then the first in byte order.
std::string FindTextureInTree(const char* name);

// The top of the tree searched, for telling the user; empty when the search
// is off. Walks the tree if it has not been walked yet.
std::string TextureTreeTop();

// Forgets the tree walked (the model is let go; the next may lie elsewhere).
void ResetTextureTree();
