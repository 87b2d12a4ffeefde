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

// Reads the file into the tables. Returns -1 (after "Can't open mqo file.
// [enter]" and a wait for one character) when the file cannot be opened, and
// 0 otherwise, also when the reader reports an error (the tables stay empty).
int LoadModel(const char* path);
// Opens the model at path, reads it into the tables and closes it; with
// g_newerFormats a name ending in ".mqoz" is read as an archive: its one
// document is read, and the textures it holds are found before those beside
// it. Returns false with the reason when the model cannot be opened (with
// regularOnly, also when it is not a regular file); otherwise true, with the
// reader's result code in result and, when that is not 0, the reason.
bool ReadModelFile(const char* path, bool regularOnly, int& result, std::string& reason);
// Removes the private folder an archive's textures were unpacked into (also
// done at exit and before the next model is read); for a caller that has
// made its textures and wants no file of its own left behind a later kill.
void RemovePackedFolder();
// The reading and copying part of LoadModel, on a stream the caller opened
// and closes. Returns the reader's result code (0 when the document was read).
int LoadModelFromStream(FILE* fp);
// Why the reader refused the document on fp, with its result code and, for
// -4, the format line the file declares; for messages on standard error.
std::string ReadFailureReason(int result, FILE* fp);
