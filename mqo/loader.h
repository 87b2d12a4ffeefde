#pragma once
// Reads one Metasequoia text document from an open stream.
// Load() returns 0 on success, -1 for a malformed document, -2 when the file
// ends inside a chunk, -3 for a bad first header line, -4 for a bad second
// one, kOutOfMemory when the document needs more memory than it may have.
// Safe on untrusted input: it never reads or writes out of bounds and never
// reserves more memory than the bytes left in the file can justify.
// The stream is borrowed: the caller opens it ("rb") and closes it.

#include <cstddef>
#include <cstdio>
#include <vector>

#include "mqo/block_reader.h"
#include "mqo/code_page.h"
#include "mqo/document.h"
#include "mqo/polygon_splitter.h"
#include "mqo/string_separator.h"
#include "mqo/thumbnail_chunk.h"

// The most material records a document keeps. The viewer shows the first 256
// and a face naming a later one is drawn without material either way; no
// real model comes near this many.
constexpr int kMaxMaterialRecords = 4096;

// The result of a document that would pass the memory budget, or that ran
// the process out of memory while it was read.
constexpr int kOutOfMemory = -5;

// What the document's vertices and faces may cost, as the program that reads
// it counts them: perFace bytes for each face record kept (a face of many
// corners keeps one per triangle), perVertex for each vertex, at most bytes
// in all (0: no bound). The program's own costs of each record belong in
// them. A list whose count the document understated may take three times
// its records for a moment while it grows: a budget without that much room
// may still see an allocation fail, which gives kOutOfMemory too.
struct MemoryBudget {
  long long bytes = 0;
  long long perFace = 0;
  long long perVertex = 0;
};

class LoaderMQO {
 public:
  LoaderMQO(const DocumentMQO& initial, FILE* file);
  virtual ~LoaderMQO();
  LoaderMQO(const LoaderMQO&) = delete;
  LoaderMQO& operator=(const LoaderMQO&) = delete;

  // Reads the stream in blocks of 64 KiB. A stream that cannot
  // seek is read line by line.
  int Load();
  // The same reading with blocks of blockBytes (the tests try small ones),
  // and line by line through the tokenizer's own ReadLine: all three give the
  // same document, result code and stream position.
  int LoadInBlocks(std::size_t blockBytes);
  int LoadLineByLine();
  DocumentMQO GetDocument() const;  // a full copy, cheap (shared until changed)

  // Off by default: only "Format Text Ver 1.0" documents are read, as always.
  // On, the later versions of format 1 are read too ("Ver 1.1", "Ver 1.2"
  // and any later 1.x). In those (and only those) a face of five or more
  // corners is split into triangles that cover its area
  // (polygon_splitter.h), face groups other than M, UV and COL are passed
  // over, in any order, and a quoted name whose last two-byte character
  // the writer cut short still ends at its quote. In any version a
  // "CodePage" line before the first material or object then sets the code
  // page of the names (code_page.h): they are split by its lead bytes and,
  // for a code page other than CP932 and UTF-8, stored converted to UTF-8.
  // A Ver 1.0 document without such a line reads the same either way: of a
  // larger face it keeps the first four corners.
  void SetNewerFormats(bool accept) { newerFormats_ = accept; }
  bool NewerFormats() const { return newerFormats_; }

  // Off by default: the "Thumbnail" chunk is passed over as any chunk the
  // reader does not know. On, the picture it holds is kept in
  // document.thumbnail (thumbnail_chunk.h tells which); the result code is
  // the same either way.
  void SetKeepThumbnail(bool keep) { keepThumbnail_ = keep; }

  // No reservation passes the budget, and a document that would is refused
  // with kOutOfMemory before the record past it is kept. None by default.
  void SetMemoryBudget(const MemoryBudget& budget) { budget_ = budget; }
  const MemoryBudget& Budget() const { return budget_; }
  // What the last Load kept in all objects, also of a refused document.
  long long KeptFaces() const { return keptFaces_; }
  long long KeptVertices() const { return keptVertices_; }
  // Whether its kOutOfMemory came from the budget (otherwise from an
  // allocation that failed).
  bool OverBudget() const { return overBudget_; }

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
  // Copies a name token into a record's field, in the document's code page
  // or as UTF-8 (DocumentMQO::namesUtf8).
  void TakeName(char* field, std::size_t fieldSize, const char* token) const;
  template <std::size_t N>
  void TakeName(char (&field)[N], const char* token) const {
    TakeName(field, N, token);
  }

  FILE* file;                  // not owned
  AsciiFileString* separator;  // owned
  DocumentMQO document;

 private:
  int ReadLine();  // the next line's token count, -1 at end of file
  int NextLine();  // the same; end of file raises -2
  // The next line when it has one of the two common shapes (plain_lines.h);
  // false, reading nothing, for any other line.
  bool ReadPlainVertex(VertexMQO& vertex);
  bool ReadPlainFace(FaceMQO& face);
  bool TakeLine(const char* tokensEnd);
  bool TokenIs(long long index, const char* text) const;
  int IntAt(long long index) const;
  float FloatAt(long long index) const;
  long BytesLeft() const;  // bytes between the position and the end, -1 if unknown
  void SkipBinaryOfLine(int tokenCount);
  void ReadFaceLine(ObjectMQO& object, int tokenCount);
  int ReadFaceGroups(long long n, int tokenCount);
  void AddFaces(ObjectMQO& object, int material);
  void ReadBVertexData(ObjectMQO& object, int n);
  // Adds the record to the object within the budget; raises kOutOfMemory past it.
  void KeepVertex(ObjectMQO& object, const VertexMQO& vertex);
  void KeepFace(ObjectMQO& object, const FaceMQO& face);
  // How many more records of perRecord bytes the budget has room for.
  long long Affordable(long long perRecord) const;
  void UseCodePage(const char* value);
  // What the reader takes from the stream, shown to the thumbnail's reading
  // while it watches (thumbnail_chunk.cpp): a line of the tokenizer's own
  // reading, and the size bytes from at that a binary skip passes over, read
  // and the stream put back at at.
  void WatchThumbnail(const char* begin, const char* end) { thumbnail_.Take(begin, end, document.thumbnail); }
  int ReadWatchedLine();
  void WatchSkippedBytes(long at, int size);

  long fileSize_ = -1;  // measured once by Load
  MemoryBudget budget_;
  long long spent_ = 0;  // of the budget, by the records kept
  long long keptFaces_ = 0, keptVertices_ = 0;
  bool overBudget_ = false;
  bool newerFormats_ = false;
  bool keepThumbnail_ = false;
  ThumbnailChunk thumbnail_;
  bool newerDocument_ = false;  // the document being read is a Ver 1.1 or later one
  CodePageMQO codePage_;        // of the names; CP932 unless the document names another
  bool namesConverted_ = false;  // names go to UTF-8 through iconv
  bool namesRead_ = false;       // a material or object chunk began: the code page stays
  BlockReader lines_;           // on during a Load in blocks

  // The corners of the face line being read, kept between lines.
  struct FaceCorner {
    int index = 0;
    float uv[2] = {};
    int color = 0;
  };
  std::vector<FaceCorner> corners_;
  std::vector<VertexMQO> outline_;
  PolygonSplitter splitter_;
};

// Inline: one comparison a record, in the loops that fill the lists.
inline void LoaderMQO::KeepVertex(ObjectMQO& object, const VertexMQO& vertex) {
  if (budget_.bytes > 0 && (spent_ += budget_.perVertex) > budget_.bytes) {
    overBudget_ = true;
    throw kOutOfMemory;
  }
  ++keptVertices_;
  object.AddVertex(vertex);
}

inline void LoaderMQO::KeepFace(ObjectMQO& object, const FaceMQO& face) {
  if (budget_.bytes > 0 && (spent_ += budget_.perFace) > budget_.bytes) {
    overBudget_ = true;
    throw kOutOfMemory;
  }
  ++keptFaces_;
  object.AddFace(face);
}
