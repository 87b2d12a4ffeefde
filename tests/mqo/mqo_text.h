#pragma once
// Helpers for the reader's tests: run LoaderMQO over bytes built in the test.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "mqo/loader.h"
#include "reading_diff.h"

struct LoadResult {
  int code;
  DocumentMQO document;
};

// Reads the bytes with Load, and checks on the way that reading them line by
// line and in tiny blocks gives the same result: every document of the
// reader's tests is also a case of the block reading's differential test.
// newer reads with LoaderMQO::SetNewerFormats on.
inline LoadResult LoadBytes(const std::string& bytes, Stream kind = Stream::kMemory, bool newer = false) {
  const Reading lineByLine = ReadBytes(bytes, 0, kind, newer);
  EXPECT_EQ(ReadingDifference(lineByLine, ReadBytes(bytes, 1, kind, newer)), "") << "blocks of 1 byte";
  const Reading loaded = ReadBytesWith(bytes, kind, [newer](LoaderMQO& loader) {
    loader.SetNewerFormats(newer);
    return loader.Load();
  });
  EXPECT_EQ(ReadingDifference(lineByLine, loaded), "") << "Load";
  return LoadResult{loaded.code, loaded.document};
}

inline LoadResult LoadNewer(const std::string& bytes) { return LoadBytes(bytes, Stream::kMemory, true); }

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
