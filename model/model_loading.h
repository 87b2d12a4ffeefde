#pragma once
// The viewer's model: the reader of the model shown and the 256-slot
// tables, in which slot i holds object or material i of the document and
// the images decoded for material i. They belong here alone: LoadModel fills
// them, ReleaseModel empties them, and everyone else reads them. The tables
// are static objects destroyed after the exit handler.

#include <cstdio>
#include <string>

#include "image/material_images.h"
#include "mqo/loader.h"
#include "model/drawn_model.h"

constexpr int kMaxModelSlots = 256;

extern LoaderMQO* g_loader;  // made by LoadModel, deleted by ReleaseModel
extern ObjectMQO g_objects[kMaxModelSlots];
extern MaterialMQO g_materials[kMaxModelSlots];
extern MaterialImages g_materialImages[kMaxModelSlots];
// The slots in use: the document's counts, at most kMaxModelSlots.
extern int g_objectCount;
extern int g_materialCount;
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
// The budget that the model read was given (ViewerMemoryBudget() when
// g_memoryBudget was unset).
MemoryBudget ModelMemoryBudget();

// As modelled, a document whose every object with something to draw is
// hidden ("visible 0") is shown with its hidden objects, rather than as
// nothing at all; a line on standard error says so. Returns whether it was.
bool ShowHiddenObjectsWhenAllHidden(const char* path);
// As modelled, on demand: shows the objects the document hides, or with
// shown false hides them again. Returns how many objects the document hides
// (not counting those shown because all were).
int SetHiddenObjectsShown(bool shown);
int HiddenObjectsOfDocument();  // the count SetHiddenObjectsShown returns

// What the objects drawn as modelled, with their mirrored halves and
// joining faces (at most as drawn_model.h counts them), take of the budget,
// in bytes; and whether they fit it (if not, reason says "out of memory"
// with what they would take).
double DrawnModelBytes(const ObjectMQO* objects, int count, const MemoryBudget& budget);
bool DrawnModelFits(const ObjectMQO* objects, int count, const MemoryBudget& budget, std::string& reason);

// The viewer's textures share the model's budget: each pixel keeps its
// decoded plane (up to 4 bytes) and the renderer's copy (4), and while it is
// uploaded its texels (4 more). Whatever the budget, all textures together
// may have at most 256 Mi pixels (sixteen of 4096 x 4096), so that a small
// archive of pictures of flat colour cannot take the machine's memory.
constexpr long long kViewerBytesPerTexturePixel = 12;
constexpr long long kViewerMaxTexturePixels = 256LL << 20;
// Bounds the pixels of all pictures alive at once to what the budget leaves
// beyond modelBytes, and to kViewerMaxTexturePixels.
void BoundTexturePixels(const MemoryBudget& budget, double modelBytes);

// Reads the file into the tables. Returns -1 (after "Can't open mqo file.
// [enter]" and a wait for one character) when the file cannot be opened, and
// 0 otherwise, also when the reader reports an error (the tables stay empty).
int LoadModel(const char* path);
// Lets the model go: the reader, the tables and their images, the pictures
// decoded ahead and the archive the textures came from; the tables are then
// as before the first model. What was drawn from it (render/) is let go
// first, with ReleaseModelDrawing. Reading another model releases this one.
void ReleaseModel();
// Opens the model at path, reads it into the tables and closes it; with
// g_newerFormats a name ending in ".mqoz" is read as an archive: its one
// document is read, and the textures it holds are found before those beside
// it (the archive stays open for them until the next model is read).
// Returns false with the reason when the model cannot be opened (with
// regularOnly, also when it is not a regular file) or the archive turns out
// to be damaged; otherwise true, with the reader's result code in result
// and, when that is not 0, the reason. The model read before is let go
// first; with keepShownOnFailure only once the new one is read, so that a
// model that cannot be read leaves it as it was (the reader's message is
// still printed).
bool ReadModelFile(const char* path, bool regularOnly, int& result, std::string& reason,
                   bool keepShownOnFailure = false);
// The reading and copying part of LoadModel, on a stream the caller opened
// and closes. Returns the reader's result code (0 when the document was read).
int LoadModelFromStream(FILE* fp);
// Why the reader refused the document on fp, with its result code and, for
// -4, the format line the file declares; for messages on standard error.
std::string ReadFailureReason(int result, FILE* fp, const LoaderMQO& reader);
