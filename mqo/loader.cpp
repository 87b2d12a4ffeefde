#include "mqo/loader.h"

#include <new>

#include "mqo/name_copy.h"

LoaderMQO::LoaderMQO(const DocumentMQO& initial, FILE* file)
    : file(file), separator(new AsciiFileString(file)), document(initial) {}

LoaderMQO::~LoaderMQO() { delete separator; }

int LoaderMQO::Load() {
  // The file's length bounds every binary skip and every reservation; it is
  // measured once and the position put back where the caller left it.
  fileSize_ = -1;
  const long start = std::ftell(file);
  if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
    fileSize_ = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0) fileSize_ = -1;
  }
  try {
    ReadHeader();
    ReadChunks();
  } catch (int code) {
    return code;
  } catch (const std::bad_alloc&) {
    // A document too big for the memory left is a failed read, not a crash.
    return -1;
  }
  return 0;
}

DocumentMQO LoaderMQO::GetDocument() const { return document; }

int LoaderMQO::NextLine() {
  const int n = separator->ReadLine();
  if (n < 0) throw -2;
  return n;
}

bool LoaderMQO::TokenIs(long long index, const char* text) const {
  if (index < 0 || index >= separator->count) return false;
  return separator->IsToken(static_cast<int>(index), text);
}

int LoaderMQO::IntAt(long long index) const {
  if (index < 0 || index >= separator->count) return 0;
  return separator->GetInt(static_cast<int>(index));
}

float LoaderMQO::FloatAt(long long index) const {
  if (index < 0 || index >= separator->count) return 0;
  return separator->GetFloat(static_cast<int>(index));
}

long LoaderMQO::BytesLeft() const {
  if (fileSize_ < 0) return -1;
  const long position = std::ftell(file);
  if (position < 0) return -1;
  return position < fileSize_ ? fileSize_ - position : 0;
}

bool LoaderMQO::ReadHeader() {
  AsciiFileString& s = *separator;
  s.ReadLine();
  if (!s.IsKeyword("Metasequoia", 2) || !s.IsToken(1, "Document")) throw -3;
  s.ReadLine();
  if (!s.IsKeyword("Format", 4) || !s.IsToken(1, "Text") || !s.IsToken(2, "Ver") || s.GetDouble(3) != 1.0)
    throw -4;
  return true;
}

bool LoaderMQO::ReadChunks() {
  AsciiFileString& s = *separator;
  for (;;) {
    const int n = s.ReadLine();
    if (n < 0) return true;  // there is no end marker: the file's end is the end
    if (n == 0) continue;
    if (s.IsKeyword("Scene", 2)) {
      if (!s.IsToken(n - 1, "{")) throw -1;
      ReadScene();
    } else if (s.IsKeyword("Material", 2)) {
      if (!s.IsToken(n - 1, "{")) throw -1;
      ReadMaterials();
    } else if (s.IsKeyword("Object", 2)) {
      if (!s.IsToken(n - 1, "{")) throw -1;
      ObjectMQO object;
      if (n >= 3) CopyName(object.name, s.GetToken(1));
      if (!ReadObjectChunk(object)) throw -1;
      document.objects.push_back(object);
      document.numObjects = document.objects.size();
    } else {
      SkipChunk(n);
    }
  }
}

bool LoaderMQO::SkipChunk(int tokenCount) {
  AsciiFileString& s = *separator;
  const int n = tokenCount;
  if (n >= 1 && s.IsToken(n - 1, "{")) {
    int depth = 1;
    while (depth > 0) {
      const int m = NextLine();
      if (m < 1) continue;
      if (s.IsToken(m - 1, "{"))
        ++depth;
      else if (s.IsToken(m - 1, "}"))
        --depth;
      else
        SkipBinaryOfLine(m);
    }
  } else {
    SkipBinaryOfLine(n);
  }
  return true;
}

// Skips the block announced by a line ending in "[", a size and "]".
void LoaderMQO::SkipBinaryOfLine(int tokenCount) {
  AsciiFileString& s = *separator;
  const int n = tokenCount;
  if (n < 3 || !s.IsToken(n - 3, "[") || !s.IsToken(n - 1, "]")) return;
  // The size converts as every other number does ("+4" and "4.0" are 4,
  // "abc" is 0); SkipBinary refuses a negative size or one past the file.
  SkipBinary(s.GetInt(n - 2));
}

bool LoaderMQO::SkipBinary(int size) {
  // fseek past the end succeeds on its own, so the size is checked against
  // the bytes the file really has left.
  if (size < 0) throw -1;
  const long left = BytesLeft();
  if (left >= 0 && size > left) throw -1;
  const long before = std::ftell(file);
  if (before < 0 || std::fseek(file, size, SEEK_CUR) != 0) throw -1;
  if (std::ftell(file) != before + size) throw -1;
  return true;
}
