#include "texture_files.h"

#include <cstdio>

#include <jpeglib.h>

namespace {

// size little-endian bytes of v; bytes past v's width are zero.
void PutLe(Bytes& b, unsigned v, int size) {
  for (int i = 0; i < size; ++i, v = i < 4 ? v >> 8 : 0) b.push_back(static_cast<unsigned char>(v & 0xFF));
}

bool WriteBytes(const std::string& path, const Bytes& head, const Bytes& body) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  std::fwrite(head.data(), 1, head.size(), fp);
  std::fwrite(body.data(), 1, body.size(), fp);
  return std::fclose(fp) == 0;
}

}  // namespace

Bytes NoisyPicture(int side) {
  Bytes p(static_cast<size_t>(side) * side * 3);
  unsigned seed = 12345;
  for (size_t i = 0; i < p.size(); ++i) {
    seed = seed * 1103515245 + 12345;
    const size_t pixel = i / 3, x = pixel % side, y = pixel / side;
    p[i] = static_cast<unsigned char>((x / 16 + y / 8 + (i % 3) * 40 + (seed >> 28)) & 0xFF);
  }
  return p;
}

bool WriteTga(const std::string& path, const Bytes& picture, int side) {
  Bytes h{0, 0, 2};
  PutLe(h, 0, 5);  // no colour map
  PutLe(h, 0, 4);  // origin
  PutLe(h, side, 2);
  PutLe(h, side, 2);
  h.push_back(24);
  h.push_back(0);
  return WriteBytes(path, h, picture);
}

bool WriteBmp(const std::string& path, const Bytes& picture, int side) {
  const unsigned data = static_cast<unsigned>(side) * side * 3;
  Bytes h{'B', 'M'};
  PutLe(h, 54 + data, 4);
  PutLe(h, 0, 4);
  PutLe(h, 54, 4);  // pixel data right after the headers
  PutLe(h, 40, 4);
  PutLe(h, side, 4);
  PutLe(h, side, 4);
  PutLe(h, 1, 2);
  PutLe(h, 24, 2);
  PutLe(h, 0, 4);
  PutLe(h, data, 4);
  PutLe(h, 0, 16);
  return WriteBytes(path, h, picture);
}

bool WriteJpeg(const std::string& path, const Bytes& picture, int side) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, fp);
  c.image_width = c.image_height = side;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(picture.data()) + static_cast<size_t>(c.next_scanline) * side * 3;
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(fp) == 0;
}

long FileSize(const std::string& path) {
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return -1;
  std::fseek(fp, 0, SEEK_END);
  const long size = std::ftell(fp);
  std::fclose(fp);
  return size;
}
