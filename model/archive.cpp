#include "model/archive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "base/name_ending.h"
#include "base/regular_file.h"
#include "model/entry_stream.h"
#include "model/zip_library.h"

namespace {

constexpr std::size_t kMaxEntryName = 200;

std::string OpenFailure(zip_error_t& error) {
  if (Zip().error_code_zip(&error) == ZIP_ER_NOZIP) return "not a ZIP archive";
  return std::string("the ZIP archive cannot be read: ") + Zip().error_strerror(&error);
}

// An entry's name for a message: its bytes, but no control characters.
std::string Printable(const std::string& name) {
  std::string out = name.substr(0, kMaxEntryName);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return out;
}

// A name that stays inside the archive as a folder would: relative, with no
// empty, "." or ".." component, and not a folder itself.
bool StaysInside(const std::string& name) {
  if (name.empty() || name.size() > kMaxEntryName || name.front() == '/' || name.back() == '/') return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

bool IsArchiveName(const char* path) { return path != nullptr && EndsWithIgnoringCase(path, ".mqoz"); }

ModelArchive::ModelArchive(const char* path) {
  FILE* file = OpenRegularFile(path);
  struct stat info;
  if (!file || fstat(fileno(file), &info) != 0) {
    m_failure = errno == EINVAL ? "not a regular file" : std::strerror(errno);
    if (file) std::fclose(file);
    return;
  }
  m_bytes = static_cast<unsigned long long>(info.st_size);
  if (!LoadZipLibrary(m_failure)) {
    std::fclose(file);
    return;
  }
  zip_error_t error;
  Zip().error_init(&error);
  // The source owns the file from here on, also when the archive fails.
  zip_source_t* source = Zip().source_filep_create(file, 0, -1, &error);
  if (!source) {
    std::fclose(file);
  } else if (!(m_zip = Zip().open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error))) {
    Zip().source_free(source);
  }
  if (!m_zip) m_failure = OpenFailure(error);
  Zip().error_fini(&error);
}

ModelArchive::ModelArchive(const void* bytes, std::size_t size) : m_bytes(size) {
  if (!LoadZipLibrary(m_failure)) return;
  zip_error_t error;
  Zip().error_init(&error);
  zip_source_t* source = Zip().source_buffer_create(bytes, size, 0, &error);
  if (source && !(m_zip = Zip().open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error))) Zip().source_free(source);
  if (!m_zip) m_failure = OpenFailure(error);
  Zip().error_fini(&error);
}

ModelArchive::~ModelArchive() {
  if (m_zip) Zip().discard(m_zip);
}

// The size an entry declares, when it is within the bounds: at most
// kMaxInflatedBytes, and in proportion to its compressed bytes, so that a
// small archive never costs a large document.
bool ModelArchive::Inflatable(unsigned long long index, unsigned long long& size, std::string& reason) {
  zip_stat_t st;
  constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
  if (Zip().stat_index(m_zip, index, ZIP_FL_ENC_RAW, &st) != 0 || (st.valid & kNeeded) != kNeeded) {
    reason = "has no readable record in the archive";
    return false;
  }
  if (st.encryption_method != ZIP_EM_NONE) {
    reason = "is encrypted";
    return false;
  }
  if (st.comp_method != ZIP_CM_STORE && st.comp_method != ZIP_CM_DEFLATE) {
    reason = "is compressed by method " + std::to_string(st.comp_method) + "; only stored and deflated entries are read";
    return false;
  }
  if (st.size > kMaxInflatedBytes) {
    reason = "inflates to " + std::to_string(st.size) + " bytes, more than the 1 GiB that is read";
    return false;
  }
  const unsigned long long compressed = std::min<unsigned long long>(st.comp_size, m_bytes);
  const unsigned long long ratio = st.comp_method == ZIP_CM_STORE ? 1 : kMaxDeflateRatio;
  if (st.size > compressed * ratio) {
    reason = "declares " + std::to_string(st.size) + " bytes from " + std::to_string(st.comp_size) +
             " compressed, more than they can give: the archive is damaged";
    return false;
  }
  if (st.size > kAlwaysInflatableBytes && st.size > compressed * kMaxInflateRatio) {
    reason = "would inflate " + std::to_string(compressed) + " compressed bytes to " + std::to_string(st.size) +
             ", more than the 64 times its size an entry may (real archives inflate less than 10 times)";
    return false;
  }
  size = st.size;
  return true;
}

FILE* ModelArchive::OpenDocument(std::string& reason) {
  std::vector<zip_uint64_t> documents;
  const zip_int64_t count = Zip().get_num_entries(m_zip, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = Zip().get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (name && EndsWithIgnoringCase(name, ".mqo")) documents.push_back(static_cast<zip_uint64_t>(i));
  }
  if (documents.size() != 1) {
    reason = documents.empty() ? "the archive holds no document (.mqo)"
                               : "the archive holds " + std::to_string(documents.size()) +
                                     " documents (.mqo); it is read only when it holds one";
    return nullptr;
  }
  return OpenIndex(documents.front(), reason);
}

FILE* ModelArchive::OpenEntry(const char* name, std::string& reason) {
  zip_int64_t index = Zip().name_locate(m_zip, name, ZIP_FL_ENC_RAW);
  if (index < 0) index = Zip().name_locate(m_zip, name, ZIP_FL_NOCASE | ZIP_FL_ENC_RAW);
  if (index < 0) {
    reason = std::string("the archive holds no ") + name;
    return nullptr;
  }
  return OpenIndex(static_cast<zip_uint64_t>(index), reason);
}

FILE* ModelArchive::OpenIndex(unsigned long long index, std::string& reason) {
  const char* name = Zip().get_name(m_zip, index, ZIP_FL_ENC_RAW);
  const std::string what = "the " + std::string(EndsWithIgnoringCase(name ? name : "", ".mqo") ? "document" : "entry") +
                           " " + Printable(name ? name : "");
  unsigned long long size = 0;
  std::string why;
  if (!Inflatable(index, size, why)) {
    reason = what + " " + why;
    return nullptr;
  }
  FILE* stream = OpenEntryStream(m_zip, index, size, what, &m_failure);
  if (!stream) reason = m_failure;
  return stream;
}

std::vector<std::string> ModelArchive::EntryNames(const std::function<bool(const std::string& name)>& wanted,
                                                  std::size_t maxCount) const {
  std::vector<std::string> names;
  std::set<std::string> seen;
  const zip_int64_t count = Zip().get_num_entries(m_zip, 0);
  for (zip_int64_t i = 0; i < count && names.size() < maxCount; ++i) {
    const char* raw = Zip().get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    const std::string name = raw ? raw : "";
    if (StaysInside(name) && wanted(name) && seen.insert(name).second)
      names.push_back(name);
  }
  return names;
}
