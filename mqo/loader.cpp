#include "mqo/loader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "mqo/name_copy.h"
#include "mqo/plain_lines.h"

namespace {

// Large enough that a read costs little per byte, small enough that a load's
// peak memory stays where reading line by line has it.
constexpr std::size_t kBlockBytes = 64 * 1024;

}  // namespace

LoaderMQO::LoaderMQO(const DocumentMQO& initial, FILE* file)
    : file(file), separator(new AsciiFileString(file)), document(initial) {}

LoaderMQO::~LoaderMQO() { delete separator; }

int LoaderMQO::Load() { return LoadInBlocks(kBlockBytes); }

int LoaderMQO::LoadLineByLine() { return LoadInBlocks(0); }

int LoaderMQO::LoadInBlocks(std::size_t blockBytes) {
  // The file's length bounds every binary skip and every reservation; it is
  // measured once and the position put back where the caller left it.
  fileSize_ = -1;
  newerDocument_ = false;
  codePage_ = DefaultCodePage();
  namesConverted_ = false;
  namesRead_ = false;
  spent_ = keptFaces_ = keptVertices_ = 0;
  overBudget_ = false;
  thumbnail_.Begin(keepThumbnail_);
  separator->SetLeadBytes(codePage_.lead, false);
  const long start = std::ftell(file);
  if (start >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
    fileSize_ = std::ftell(file);
    if (std::fseek(file, start, SEEK_SET) != 0) fileSize_ = -1;
  }
  // Reading ahead needs a stream that can be put back behind the last line.
  if (blockBytes > 0 && fileSize_ >= 0) lines_.Begin(file, blockBytes, fileSize_ - start);
  int code = 0;
  try {
    ReadHeader();
    ReadChunks();
  } catch (int raised) {
    code = raised;
  } catch (const std::bad_alloc&) {
    // A document too big for the memory left is a failed read, not a crash.
    code = kOutOfMemory;
  }
  lines_.End();
  thumbnail_.End(document.thumbnail);
  return code;
}

DocumentMQO LoaderMQO::GetDocument() const { return document; }

long long LoaderMQO::Affordable(long long perRecord) const {
  if (budget_.bytes <= 0 || perRecord <= 0) return std::numeric_limits<long long>::max();
  return std::max(0LL, (budget_.bytes - spent_) / perRecord);
}


int LoaderMQO::ReadLine() {
  char* begin;
  char* end;
  if (!lines_.On() || !lines_.Peek(begin, end)) {
    if (!lines_.On()) return thumbnail_.Watching() ? ReadWatchedLine() : separator->ReadLine();
    separator->count = -1;
    return -1;
  }
  lines_.Consume(end);
  if (thumbnail_.Watching()) WatchThumbnail(begin, end);
  // The split reads up to a NUL, as it does behind fgets.
  const char saved = *end;
  *end = '\0';
  const int n = separator->Separate(begin);
  *end = saved;
  return n;
}

int LoaderMQO::NextLine() {
  const int n = ReadLine();
  if (n < 0) throw -2;
  return n;
}

bool LoaderMQO::ReadPlainVertex(VertexMQO& vertex) {
  return lines_.On() && TakeLine(ScanVertexLine(lines_.Data(), vertex));
}

bool LoaderMQO::ReadPlainFace(FaceMQO& face) {
  return lines_.On() && TakeLine(ScanFaceLine(lines_.Data(), document.numMaterials, face));
}

// Moves past the line whose tokens a scan found to end at tokensEnd, if it
// is one that fgets would return whole: its line feed is in the data read,
// and within the 8190 bytes of one call.
bool LoaderMQO::TakeLine(const char* tokensEnd) {
  if (!tokensEnd) return false;
  const char* begin = lines_.Data();
  const char* dataEnd = begin + lines_.Available();
  const char* lf = tokensEnd;
  if (*lf != '\n' && *++lf != '\n') lf = static_cast<const char*>(std::memchr(lf, '\n', dataEnd - lf + 1));
  if (lf == dataEnd || lf - begin >= static_cast<long>(BlockReader::kMaxLine)) return false;
  if (thumbnail_.Watching()) WatchThumbnail(begin, lf + 1);
  lines_.Consume(lf + 1);
  return true;
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
  const long position = lines_.On() ? lines_.Position() : std::ftell(file);
  if (position < 0) return -1;
  return position < fileSize_ ? fileSize_ - position : 0;
}

bool LoaderMQO::ReadHeader() {
  AsciiFileString& s = *separator;
  ReadLine();
  if (!s.IsKeyword("Metasequoia", 2) || !s.IsToken(1, "Document")) throw -3;
  ReadLine();
  if (!s.IsKeyword("Format", 4) || !s.IsToken(1, "Text") || !s.IsToken(2, "Ver")) throw -4;
  const double version = s.GetDouble(3);
  // A later minor version only adds lines, attributes and groups, which the
  // reader passes over; a later major version may change what it knows.
  const bool newer = newerFormats_ && version > 1.0 && version < 2.0;
  if (version != 1.0 && !newer) throw -4;
  newerDocument_ = newer;
  document.formatVersion = version;
  std::snprintf(document.formatVersionText, sizeof document.formatVersionText, "%s", s.GetToken(3));
  if (newer) separator->SetLeadBytes(codePage_.lead, true);
  return true;
}

bool LoaderMQO::ReadChunks() {
  AsciiFileString& s = *separator;
  for (;;) {
    const int n = ReadLine();
    if (n < 0) return true;  // there is no end marker: the file's end is the end
    if (n == 0) continue;
    if (s.IsKeyword("Scene", 2)) {
      if (!s.IsToken(n - 1, "{")) throw -1;
      ReadScene();
    } else if (s.IsKeyword("Material", 2)) {
      if (!s.IsToken(n - 1, "{")) throw -1;
      namesRead_ = true;
      ReadMaterials();
    } else if (s.IsKeyword("Object", 2)) {
      if (!s.IsToken(n - 1, "{")) throw -1;
      namesRead_ = true;
      ObjectMQO object;
      if (n >= 3) TakeName(object.name, s.GetToken(1));
      if (!ReadObjectChunk(object)) throw -1;
      document.objects.push_back(object);
      document.numObjects = document.objects.size();
    } else if (newerFormats_ && !namesRead_ && s.IsKeyword("CodePage", 2)) {
      UseCodePage(s.GetToken(1));
    } else {
      SkipChunk(n);
    }
  }
}

// A code page iconv does not know leaves the names as a document without
// the line has them.
void LoaderMQO::UseCodePage(const char* value) {
  if (std::strcmp(value, "932") == 0) {
    codePage_ = DefaultCodePage();
  } else if (!FindCodePage(value, codePage_)) {
    return;
  }
  separator->SetLeadBytes(codePage_.lead, true);
  namesConverted_ = !codePage_.utf8 && codePage_.iconvName != DefaultCodePage().iconvName;
  document.namesUtf8 = codePage_.utf8 || namesConverted_;
}

void LoaderMQO::TakeName(char* field, std::size_t fieldSize, const char* token) const {
  if (namesConverted_)
    CopyConvertedName(field, fieldSize, NameToUtf8(token, codePage_).c_str());
  else
    CopyName(field, fieldSize, token, document.namesUtf8);
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
  // A block that the buffer holds is passed over there: handing the buffer
  // back and reading it again for each skip cost a document of many small
  // blocks 46 times its plain reading.
  const char* skipped = lines_.On() ? lines_.Data() : nullptr;
  if (skipped && lines_.Skip(static_cast<std::size_t>(size))) {
    if (thumbnail_.Watching()) WatchThumbnail(skipped, skipped + size);
    return true;
  }
  if (!lines_.HandBack()) throw -1;
  const long before = std::ftell(file);
  if (before >= 0 && thumbnail_.Watching()) WatchSkippedBytes(before, size);
  if (before < 0 || std::fseek(file, size, SEEK_CUR) != 0) throw -1;
  if (std::ftell(file) != before + size) throw -1;
  return true;
}
