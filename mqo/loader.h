#pragma once
// Reads one Metasequoia text document from an open stream.
// Load() returns 0 on success, -1 for a malformed document, -2 when the file
// ends inside a chunk, -3 for a bad first header line, -4 for a bad second
// one. Safe on untrusted input: it never reads or writes out of bounds and
// never reserves more memory than the bytes left in the file can justify.
// The stream is borrowed: the caller opens it ("rb") and closes it.

#include <cstdio>

#include "mqo/document.h"
#include "mqo/string_separator.h"

// The most material records a document keeps. The viewer shows the first 256
// and a face naming a later one is drawn without material either way; no
// real model comes near this many.
constexpr int kMaxMaterialRecords = 4096;

class LoaderMQO {
 public:
  LoaderMQO(const DocumentMQO& initial, FILE* file);
  virtual ~LoaderMQO();
  LoaderMQO(const LoaderMQO&) = delete;
  LoaderMQO& operator=(const LoaderMQO&) = delete;

  int Load();
  DocumentMQO GetDocument() const;  // a full copy, cheap (shared until changed)

  // The chunk readers; a failure is raised as an int result code.
  bool ReadHeader();
  bool ReadChunks();
  bool ReadScene();
  bool ReadMaterials();
  bool SkipChunk(int tokenCount);
  bool SkipBinary(int size);
  bool ReadObjectChunk(ObjectMQO& object);
  bool ReadVertexChunk(ObjectMQO& object);
  bool ReadVertexAttrChunk(ObjectMQO& object);
  bool SkipColorList();
  bool ReadWeightList(ObjectMQO& object);
  bool ReadBVertexChunk(ObjectMQO& object);
  bool ReadFaceChunk(ObjectMQO& object);

  FILE* file;                  // not owned
  AsciiFileString* separator;  // owned
  DocumentMQO document;

 private:
  int NextLine();  // the next line's token count; end of file raises -2
  bool TokenIs(long long index, const char* text) const;
  int IntAt(long long index) const;
  float FloatAt(long long index) const;
  long BytesLeft() const;  // bytes between the position and the end, -1 if unknown
  void SkipBinaryOfLine(int tokenCount);
  void ReadFaceLine(ObjectMQO& object, int tokenCount);
  void ReadBVertexData(ObjectMQO& object, int n);

  long fileSize_ = -1;  // measured once by Load
};
