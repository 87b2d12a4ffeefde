#pragma once
// Helpers for the reader's tests: run LoaderMQO over bytes built in the test.

#include <cstdio>
#include <string>
#include <vector>

#include "mqo/loader.h"

struct LoadResult {
  int code;
  DocumentMQO document;
};

// How the bytes reach the reader: a memory stream (fmemopen, where fseek
// cannot pass the end) or a real temporary file (where it can).
enum class Stream { kMemory, kFile };

inline LoadResult LoadBytes(const std::string& bytes, Stream kind = Stream::kMemory) {
  // An exact-size heap copy, so that a read past the end is seen by ASan.
  std::vector<char> buffer(bytes.begin(), bytes.end());
  FILE* f = nullptr;
  if (kind == Stream::kMemory && !buffer.empty()) {
    f = fmemopen(buffer.data(), buffer.size(), "rb");
  } else {
    f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
  }
  LoaderMQO loader(DocumentMQO{}, f);
  const int code = loader.Load();
  LoadResult result{code, loader.GetDocument()};
  std::fclose(f);
  return result;
}

inline const char kHeader[] = "Metasequoia Document\nFormat Text Ver 1.0\n";

// A document with the header and the given body.
inline LoadResult LoadBody(const std::string& body, Stream kind = Stream::kMemory) {
  return LoadBytes(kHeader + body, kind);
}

// One object holding the given lines after a vertex list of four vertices,
// in a document with three materials.
inline LoadResult LoadObjectBody(const std::string& lines) {
  return LoadBody(
      "Material 3 {\n\"a\"\n\"b\"\n\"c\"\n}\n"
      "Object \"o\" {\n\tvertex 4 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t1 1 0\n\t\t0 1 0\n\t}\n" +
      lines + "}\n");
}
