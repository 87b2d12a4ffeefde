#pragma once
// The viewer's model: the one reader, kept for the whole run, and the two
// 256-slot tables, in which slot i holds object or material i of the
// document. The tables are static objects destroyed after the exit handler.

#include <cstdio>
#include <string>

#include "mqo/loader.h"

constexpr int kMaxModelSlots = 256;

extern LoaderMQO* g_loader;  // created by LoadModel, deleted by the exit handler
extern ObjectMQO g_objects[kMaxModelSlots];
extern MaterialMQO g_materials[kMaxModelSlots];
// Whether the reader that LoadModel makes also reads newer documents
// (LoaderMQO::SetNewerFormats) and archives (.mqoz). Off unless the user
// asks for it.
extern bool g_newerFormats;
// Whether that reader keeps the document's own picture, its "Thumbnail"
// chunk (LoaderMQO::SetKeepThumbnail), in g_loader->document. Off unless
// the thumbnailer asks for it.
extern bool g_keepThumbnail;

// What the model may cost in memory. Unset (bytes 0), a model read gets the
// viewer's budget, ViewerMemoryBudget(); the thumbnailer sets its own.
extern MemoryBudget g_memoryBudget;
// The viewer keeps a face's record (72 bytes) and its part of the display
// list that draws it: grid documents of 250,000 and 1 million faces peaked
// at 255 and 530 MiB (release build, Mesa llvmpipe), 393 bytes a face with
// its vertex. Rounded up, 512 bytes a face and 32 a vertex, of at most half
// of the memory available when the model is read (AvailableMemoryBytes):
// the other half is for textures, Mesa's frames and the rest of the
// desktop. Faces that each cross much of the window cost the renderer more
// (1 million random triangles peaked at 1.8 GB), which that half covers
// only in part.
constexpr long long kViewerBytesPerFace = 512;
constexpr long long kViewerBytesPerVertex = 32;
MemoryBudget ViewerMemoryBudget();

// Reads the file into the tables. Returns -1 (after "Can't open mqo file.
// [enter]" and a wait for one character) when the file cannot be opened, and
// 0 otherwise, also when the reader reports an error (the tables stay empty).
int LoadModel(const char* path);
// Opens the model at path, reads it into the tables and closes it; with
// g_newerFormats a name ending in ".mqoz" is read as an archive: its one
// document is read, and the textures it holds are found before those beside
// it (the archive stays open for them until the next model is read).
// Returns false with the reason when the model cannot be opened (with
// regularOnly, also when it is not a regular file) or the archive turns out
// to be damaged; otherwise true, with the reader's result code in result
// and, when that is not 0, the reason.
bool ReadModelFile(const char* path, bool regularOnly, int& result, std::string& reason);
// The reading and copying part of LoadModel, on a stream the caller opened
// and closes. Returns the reader's result code (0 when the document was read).
int LoadModelFromStream(FILE* fp);
// Why the reader refused the document on fp, with its result code and, for
// -4, the format line the file declares; for messages on standard error.
std::string ReadFailureReason(int result, FILE* fp);
