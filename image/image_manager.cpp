#include "image/image_manager.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/diagnostics.h"
#include "base/huge_pages.h"
#include "base/regular_file.h"

namespace {

long long g_pixelLimit = 0, g_pixelsInAllLimit = 0;
long long g_pixelsInAll = 0;  // of the planes alive that AllocatePlane made

}  // namespace

CImageManager::CImageManager()
    : m_fileName{}, m_rgbRows(nullptr), m_alphaRows(nullptr), m_planeKind(0), m_width(0), m_height(0) {}

CImageManager::~CImageManager() {
  ReleasePlane(m_rgbRows, m_rgbBlock);
  ReleasePlane(m_alphaRows, m_alphaBlock);
  g_pixelsInAll -= m_countedPixels;
}

void CImageManager::ReleasePlane(unsigned char**& rows, PlaneBlock& block) {
  if (block.data) {
    FreeHugeBlock(block.data, block.bytes);
    block = PlaneBlock{};
  } else if (rows) {
    for (int y = 0; y < m_height; ++y) delete[] rows[y];
  }
  delete[] rows;
  rows = nullptr;
}

int CImageManager::Load(const char* path) {
  FILE* fp = OpenForReading(path, "Can't open file\n");
  if (!fp) return -1;
  std::fclose(fp);
  return 0;
}

int CImageManager::ReadStream(FILE*) { return 0; }

int CImageManager::LoadFile(const char* path, const char* openMessage) {
  FILE* fp = OpenForReading(path, openMessage);
  if (!fp) return -1;
  const int result = ReadStream(fp);
  std::fclose(fp);
  return result;
}

int CImageManager::LoadStream(FILE* fp, const char* name) {
  std::snprintf(m_fileName, sizeof m_fileName, "%s", name);
  return ReadStream(fp);
}

FILE* CImageManager::OpenForReading(const char* path, const char* openMessage) {
  // Only regular files: a texture named after a FIFO or a device would
  // otherwise hang the program or read forever.
  FILE* fp = OpenRegularFile(path);
  if (!fp) {
    PrintFixedText(openMessage);
    return nullptr;
  }
  // The decoders ask for a few KiB at a time; a larger buffer saves most of
  // the calls into the kernel that a 4 KiB one would make.
  std::setvbuf(fp, nullptr, _IOFBF, 64 << 10);
  std::snprintf(m_fileName, sizeof m_fileName, "%s", path);
  return fp;
}

int CImageManager::GetPixel(int x, int y, unsigned char* out) const {
  if (x < 0 || x >= m_width || y < 0 || y >= m_height || !m_rgbRows) return 0;
  const unsigned char* p = m_rgbRows[y] + 3 * x;
  out[0] = p[0];
  out[1] = p[1];
  out[2] = p[2];
  return 1;
}

void CImageManager::SetPixelLimits(long long perPicture, long long inAll) {
  g_pixelLimit = perPicture;
  g_pixelsInAllLimit = inAll;
}

bool CImageManager::WithinPixelLimit(long long width, long long height) const {
  const long long pixels = width * height;
  if (g_pixelLimit > 0 && pixels > g_pixelLimit) {
    Diagnose(m_fileName, "refused: %lld x %lld pixels, more than the %lld this program takes", width, height,
             g_pixelLimit);
    return false;
  }
  if (g_pixelsInAllLimit > 0 && pixels > g_pixelsInAllLimit - g_pixelsInAll) {
    Diagnose(m_fileName, "refused: %lld x %lld pixels, beyond the %lld that all pictures together may have here",
             width, height, g_pixelsInAllLimit);
    return false;
  }
  return true;
}

bool CImageManager::AllocatePlane(unsigned char**& rows, int channels) {
  if (!WithinPixelLimit(m_width, m_height)) return false;
  rows = new (std::nothrow) unsigned char*[m_height > 0 ? m_height : 0]();
  if (!rows) {
    m_outOfMemory = true;
    return false;
  }
  // Counted until the destructor releases the plane.
  const long long pixels = static_cast<long long>(std::max(m_width, 0)) * std::max(m_height, 0);
  m_countedPixels += pixels;
  g_pixelsInAll += pixels;
  const size_t rowBytes = static_cast<size_t>(m_width > 0 ? m_width : 0) * channels;
  const size_t planeBytes = rowBytes * static_cast<size_t>(m_height > 0 ? m_height : 0);
  if (planeBytes >= kHugeBlockBytes) {
    PlaneBlock& block = &rows == &m_rgbRows ? m_rgbBlock : m_alphaBlock;
    block.data = AllocateHugeBlock(planeBytes);
    if (!block.data) {
      m_outOfMemory = true;
      return false;
    }
    block.bytes = planeBytes;
    for (int y = 0; y < m_height; ++y) rows[y] = static_cast<unsigned char*>(block.data) + y * rowBytes;
    return true;
  }
  // Rows of a picture without columns hold nothing and stay null.
  for (int y = 0; rowBytes > 0 && y < m_height; ++y) {
    rows[y] = new (std::nothrow) unsigned char[rowBytes];
    if (!rows[y]) {
      m_outOfMemory = true;
      return false;
    }
  }
  return true;
}

long long CImageManager::RemainingBytes(FILE* fp) {
  const long here = std::ftell(fp);
  if (here < 0 || std::fseek(fp, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(fp);
  if (std::fseek(fp, here, SEEK_SET) != 0 || end < here) return -1;
  return static_cast<long long>(end) - here;
}
