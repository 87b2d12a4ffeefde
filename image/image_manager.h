#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

// The image reader family: a picture as planes of 8-bit samples. Each plane is
// an array of m_height row pointers, row 0 at the top, no padding:
// a colour row is m_width * 3 bytes (red, green, blue), a single-channel row
// m_width bytes. Readers return -1 for a failed load after printing their
// message; the object is then fit only for destruction.
//
// A picture with its own alpha channel (32-bit TGA, PNG with alpha) fills the
// colour plane and puts its alpha samples in the single-channel plane, so both
// planes are present and m_planeKind is 1.

class CImageManager {
 public:
  CImageManager();
  virtual ~CImageManager();
  CImageManager(const CImageManager&) = delete;
  CImageManager& operator=(const CImageManager&) = delete;

  // Opens the file only to see that it exists; reads no pixels.
  virtual int Load(const char* path);
  // Reads the picture from the stream's position, as Load reads a file: for
  // a texture that is no file of its own (an archive's entry). name stands
  // for the file in messages. The caller closes the stream.
  int LoadStream(FILE* fp, const char* name);
  // Copies the red, green and blue of pixel (x, y) into out and returns 1, or
  // returns 0 and leaves out alone when (x, y) is outside the colour plane.
  int GetPixel(int x, int y, unsigned char* out) const;
  // Bounds for every reader and the whole process: on the pixels of any one
  // picture, and on the pixels of all planes alive at once (an RGBA picture
  // counts twice). A picture beyond either is refused, with a diagnostic,
  // before its planes are allocated. 0, the default, sets no bound beyond
  // each format's own limits.
  static void SetPixelLimits(long long perPicture, long long inAll);

  char m_fileName[260];
  unsigned char** m_rgbRows;    // colour plane, null when absent
  unsigned char** m_alphaRows;  // grey or alpha plane, null when absent
  int m_planeKind;              // 0 nothing, 1 colour plane, 2 single-channel plane
  int m_width;
  int m_height;
  // Set when the reader failed for want of memory (a plane, or its scratch
  // rows), not for anything in the file.
  bool m_outOfMemory = false;

 private:
  // A plane the reader allocated as one block of huge pages; rows are then
  // pointers into it. Otherwise (smaller pictures, and planes built by hand)
  // each row is its own allocation.
  struct PlaneBlock {
    void* data = nullptr;
    std::size_t bytes = 0;
  };
  PlaneBlock m_rgbBlock, m_alphaBlock;
  long long m_countedPixels = 0;  // of this image's planes, in the process's count
  void ReleasePlane(unsigned char**& rows, PlaneBlock& block);

 protected:
  // Reads the whole picture from the stream's position; each reader has its
  // own, and Load is opening the file and this.
  virtual int ReadStream(FILE* fp);
  // Allocates m_height rows of m_width * channels bytes into rows, which must
  // be m_rgbRows or m_alphaRows and null. The row array starts all null, so a
  // failure half-way leaves a plane that the destructor releases safely. A
  // picture of width 0 keeps its m_height row pointers null. A plane of
  // kHugeBlockBytes or more is one block of huge pages: faulting in a 1024 x
  // 1024 picture's fresh memory page by page took three times as long as
  // decoding it. Returns false when memory runs out.
  // A picture beyond the pixel limits fails too.
  bool AllocatePlane(unsigned char**& rows, int channels);
  // Whether a picture of width x height pixels is within the pixel limits;
  // prints the diagnostic, naming m_fileName, when it is not.
  bool WithinPixelLimit(long long width, long long height) const;
  // Bytes from the current position to the end of the stream, or -1 when the
  // stream cannot seek.
  static long long RemainingBytes(FILE* fp);
  // Opens path for binary reading and records it in m_fileName; prints
  // openMessage and returns null when the file cannot be opened.
  FILE* OpenForReading(const char* path, const char* openMessage);
  // A reader's Load: the file opened as OpenForReading does, then read whole
  // by ReadStream and closed.
  int LoadFile(const char* path, const char* openMessage);
  // Reads `rows` stored rows of `stride` bytes each, the last of which may end
  // after `lastRowBytes`, and hands each to use(row, index) in file order.
  // The rows are read in blocks of about 256 KiB: reading them one by one
  // cost a call into the kernel per row, most of a whole load. Returns false
  // when the stream ends early.
  template <typename Use>
  static bool ReadRowBlocks(FILE* fp, std::size_t stride, std::size_t lastRowBytes, int rows, Use&& use);
};

template <typename Use>
bool CImageManager::ReadRowBlocks(FILE* fp, std::size_t stride, std::size_t lastRowBytes, int rows, Use&& use) {
  constexpr std::size_t kBlockBytes = 256 << 10;
  const int perBlock = static_cast<int>(std::max<std::size_t>(1, kBlockBytes / std::max<std::size_t>(stride, 1)));
  std::vector<unsigned char> block(static_cast<std::size_t>(std::min(perBlock, std::max(rows, 0))) * stride);
  for (int first = 0; first < rows; first += perBlock) {
    const int count = std::min(perBlock, rows - first);
    const std::size_t want = (count - 1) * stride + (first + count == rows ? lastRowBytes : stride);
    if (std::fread(block.data(), 1, want, fp) != want) return false;
    for (int i = 0; i < count; ++i) use(block.data() + i * stride, first + i);
  }
  return true;
}
