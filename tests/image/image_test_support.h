#pragma once
// Fixture writers and helpers shared by the image tests: pictures are built
// byte by byte (TGA, BMP) or with the format's own library (JPEG, PNG).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline void PutLe(Bytes& b, unsigned long long v, int size) {
  for (int i = 0; i < size; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  FILE* fp = std::fopen(path.c_str(), "wb");
  ASSERT_NE(fp, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), fp);
  std::fclose(fp);
}

inline Bytes ReadBytes(const std::string& path) {
  Bytes b;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return b;
  for (int c; (c = std::fgetc(fp)) != EOF;) b.push_back(static_cast<unsigned char>(c));
  std::fclose(fp);
  return b;
}

// Gives a test the reader's stream entry.
template <typename Reader>
struct StreamReader : Reader {
  int LoadBytes(const Bytes& bytes) {
    // A heap copy of exactly the file's size, so that AddressSanitizer sees
    // any read past its end.
    unsigned char* copy = static_cast<unsigned char*>(std::malloc(bytes.size() + 1));
    std::copy(bytes.begin(), bytes.end(), copy);
    FILE* fp = fmemopen(copy, bytes.size(), "rb");
    const int result = fp ? Reader::ReadStream(fp) : -2;
    if (fp) std::fclose(fp);
    std::free(copy);
    return result;
  }
};

// Runs a test inside a fresh temporary folder as the current directory.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::filesystem::current_path();
    char pattern[] = "/tmp/lumenspin-image-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(saved_);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path saved_, dir_;
};

inline Bytes Tga(int type, int width, int height, int depth, const Bytes& pixels, int descriptor = 0,
                 const Bytes& id = {}, int mapLength = 0) {
  Bytes b;
  b.push_back(static_cast<unsigned char>(id.size()));
  b.push_back(mapLength ? 1 : 0);
  b.push_back(static_cast<unsigned char>(type));
  PutLe(b, 0, 2);
  PutLe(b, mapLength, 2);
  b.push_back(mapLength ? 24 : 0);
  PutLe(b, 0, 4);
  PutLe(b, width, 2);
  PutLe(b, height, 2);
  b.push_back(static_cast<unsigned char>(depth));
  b.push_back(static_cast<unsigned char>(descriptor));
  b.insert(b.end(), id.begin(), id.end());
  b.insert(b.end(), static_cast<size_t>(mapLength) * 3, 0xEE);
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

struct BmpShape {
  BmpShape(int w, int h, int b = 24) : width(w), height(h), bits(b) {}
  int width, height, bits;
  unsigned infoSize = 40, compression = 0, gap = 0;
  Bytes palette;  // 4 bytes an entry
};

// `rows` are the stored rows, already padded.
inline Bytes Bmp(const BmpShape& s, const Bytes& rows) {
  const unsigned offset = 14 + s.infoSize + static_cast<unsigned>(s.palette.size()) + s.gap;
  Bytes b{'B', 'M'};
  PutLe(b, offset + rows.size(), 4);
  PutLe(b, 0, 4);
  PutLe(b, offset, 4);
  PutLe(b, s.infoSize, 4);
  PutLe(b, static_cast<unsigned>(s.width), 4);
  PutLe(b, static_cast<unsigned>(s.height), 4);
  PutLe(b, 1, 2);
  PutLe(b, s.bits, 2);
  PutLe(b, s.compression, 4);
  PutLe(b, rows.size(), 4);
  PutLe(b, 2835, 4);
  PutLe(b, 2835, 4);
  PutLe(b, s.palette.size() / 4, 4);
  PutLe(b, 0, 4);
  b.insert(b.end(), s.infoSize - 40 + s.gap, 0);
  b.insert(b.end() - s.gap, s.palette.begin(), s.palette.end());
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

inline Bytes Iota(int n, int first = 1) {
  Bytes b;
  for (int i = 0; i < n; ++i) b.push_back(static_cast<unsigned char>(first + i));
  return b;
}

inline Bytes Row(const unsigned char* row, int bytes) { return Bytes(row, row + bytes); }
