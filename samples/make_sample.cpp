// Writes the sample model shown by "make run": samples/sample.mqo and its
// pictures in samples/Texture/. Run as: make_sample <folder>.
//
// The model keeps within +-90 units: at the start-up zoom of 0.5 that fills
// the middle of the window seen from the start-up camera. It is written the way Windows tools write
// their files: CRLF line ends, a Shift-JIS material name, one object with
// binary vertex data.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

struct Rgb {
  unsigned char r, g, b;
};

// A picture, row 0 at the top.
struct Picture {
  int width, height;
  std::vector<Rgb> pixels;
  Picture(int w, int h, Rgb fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  Rgb& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  void Fill(int x0, int y0, int x1, int y1, Rgb c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) at(x, y) = c;
  }
};

void Put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xff);
  s += static_cast<char>((v >> 8) & 0xff);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xffff);
  Put16(s, v >> 16);
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
  return std::fclose(fp) == 0 && ok;
}

std::string TgaHeader(int type, int width, int height, int depth) {
  std::string s;
  s += '\0';  // no image ID
  s += '\0';  // no colour map
  s += static_cast<char>(type);
  s.append(5, '\0');  // colour-map fields
  Put16(s, 0);        // X origin
  Put16(s, 0);        // Y origin
  Put16(s, width);
  Put16(s, height);
  s += static_cast<char>(depth);
  s += '\0';  // bottom-up rows
  return s;
}

// Uncompressed true-colour TGA: blue, green, red, rows bottom-up.
std::string Tga(const Picture& p) {
  std::string s = TgaHeader(2, p.width, p.height, 24);
  for (int y = p.height - 1; y >= 0; --y)
    for (int x = 0; x < p.width; ++x) {
      const Rgb c = p.pixels[static_cast<size_t>(y) * p.width + x];
      s += static_cast<char>(c.b);
      s += static_cast<char>(c.g);
      s += static_cast<char>(c.r);
    }
  return s;
}

// Uncompressed greyscale TGA from the red samples.
std::string GreyTga(const Picture& p) {
  std::string s = TgaHeader(3, p.width, p.height, 8);
  for (int y = p.height - 1; y >= 0; --y)
    for (int x = 0; x < p.width; ++x) s += static_cast<char>(p.pixels[static_cast<size_t>(y) * p.width + x].r);
  return s;
}

// 24-bit BMP, rows bottom-up and padded to four bytes.
std::string Bmp(const Picture& p) {
  const int rowBytes = (p.width * 3 + 3) & ~3;
  const uint32_t imageBytes = static_cast<uint32_t>(rowBytes) * p.height;
  std::string s = "BM";
  Put32(s, 54 + imageBytes);
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, p.width);
  Put32(s, p.height);
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);  // no compression
  Put32(s, imageBytes);
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  for (int y = p.height - 1; y >= 0; --y) {
    for (int x = 0; x < p.width; ++x) {
      const Rgb c = p.pixels[static_cast<size_t>(y) * p.width + x];
      s += static_cast<char>(c.b);
      s += static_cast<char>(c.g);
      s += static_cast<char>(c.r);
    }
    s.append(rowBytes - p.width * 3, '\0');
  }
  return s;
}

bool WriteJpeg(const std::string& path, const Picture& p) {
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, fp);
  cinfo.image_width = p.width;
  cinfo.image_height = p.height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 92, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(p.width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < p.width; ++x) {
      const Rgb c = p.pixels[static_cast<size_t>(y) * p.width + x];
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return std::fclose(fp) == 0;
}

// The floor: a checkerboard whose four corner tiles are red, green, blue and
// yellow, so that the picture's orientation shows on screen.
Picture Checker() {
  const Rgb light{235, 220, 180}, dark{110, 75, 50};
  Picture p(64, 64, light);
  for (int ty = 0; ty < 4; ++ty)
    for (int tx = 0; tx < 4; ++tx)
      if ((tx + ty) % 2) p.Fill(tx * 16, ty * 16, tx * 16 + 16, ty * 16 + 16, dark);
  p.Fill(0, 0, 16, 16, {255, 0, 0});
  p.Fill(48, 0, 64, 16, {0, 255, 0});
  p.Fill(0, 48, 16, 64, {0, 0, 255});
  p.Fill(48, 48, 64, 64, {255, 255, 0});
  return p;
}

// The crate: planks with a dark frame and a cross brace.
Picture Crate() {
  Picture p(32, 32, {190, 140, 80});
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      if (y % 8 == 0) p.at(x, y) = {160, 110, 60};
      if (x < 3 || y < 3 || x > 28 || y > 28 || x - y == 0 || x - y == 1 || x + y == 31 || x + y == 32)
        p.at(x, y) = {90, 55, 25};
    }
  return p;
}

// The sign: the letters "LS" on white under a red bar; twice as wide as
// high, so the picture is not square.
Picture Sign() {
  const Rgb ink{20, 40, 140};
  Picture p(128, 64, {250, 250, 250});
  p.Fill(0, 0, 128, 10, {220, 30, 30});
  p.Fill(24, 16, 34, 56, ink);  // L
  p.Fill(24, 46, 56, 56, ink);
  p.Fill(72, 16, 104, 24, ink);  // S
  p.Fill(72, 16, 80, 38, ink);
  p.Fill(72, 32, 104, 40, ink);
  p.Fill(96, 32, 104, 56, ink);
  p.Fill(72, 48, 104, 56, ink);
  return p;
}

// The lattice: a vertical gradient from orange at the top to purple.
Picture Lattice() {
  Picture p(64, 64, {0, 0, 0});
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      p.at(x, y) = {static_cast<unsigned char>(250 - y * 2), static_cast<unsigned char>(160 - y * 2),
                    static_cast<unsigned char>(40 + y * 2)};
  return p;
}

// The lattice's alpha plane: opaque, with a round hole in each of its
// four by four cells.
Picture LatticeAlpha() {
  Picture p(64, 64, {255, 255, 255});
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const int dx = x % 16 * 2 - 15, dy = y % 16 * 2 - 15;  // twice the offset from the cell's centre
      if (dx * dx + dy * dy < 12 * 12) p.at(x, y) = {0, 0, 0};
    }
  return p;
}

struct V3 {
  float x, y, z;
};

std::string Num(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  return buf;
}

std::string VertexList(const std::vector<V3>& vs) {
  std::string s = "\tvertex " + std::to_string(vs.size()) + " {\r\n";
  for (const V3& v : vs) s += "\t\t" + Num(v.x) + " " + Num(v.y) + " " + Num(v.z) + "\r\n";
  return s + "\t}\r\n";
}

// Vertices as little-endian 32-bit floats right behind the Vector line.
std::string BinaryVertexList(const std::vector<V3>& vs) {
  const size_t bytes = vs.size() * 12;
  std::string s = "\tBVertex " + std::to_string(vs.size()) + " {\r\n";
  s += "\t\tVector " + std::to_string(vs.size()) + " [" + std::to_string(bytes) + "]\r\n";
  for (const V3& v : vs)
    for (float f : {v.x, v.y, v.z}) {
      uint32_t bits;
      static_assert(sizeof bits == sizeof f);
      std::memcpy(&bits, &f, sizeof bits);
      Put32(s, bits);
    }
  return s + "\r\n\t}\r\n";
}

struct Face {
  std::vector<int> v;
  int material;  // -1: none
  std::vector<float> uv;
};

std::string FaceList(const std::vector<Face>& faces) {
  std::string s = "\tface " + std::to_string(faces.size()) + " {\r\n";
  for (const Face& f : faces) {
    s += "\t\t" + std::to_string(f.v.size()) + " V(";
    for (size_t k = 0; k < f.v.size(); ++k) s += (k ? " " : "") + std::to_string(f.v[k]);
    s += ")";
    if (f.material >= 0) s += " M(" + std::to_string(f.material) + ")";
    if (!f.uv.empty()) {
      s += " UV(";
      for (size_t k = 0; k < f.uv.size(); ++k) s += (k ? " " : "") + Num(f.uv[k]);
      s += ")";
    }
    s += "\r\n";
  }
  return s + "\t}\r\n";
}

std::string ObjectChunk(const std::string& name, const std::string& vertices, const std::vector<Face>& faces) {
  return "Object \"" + name + "\" {\r\n\tdepth 0\r\n\tfolding 0\r\n\tscale 1.000000 1.000000 1.000000\r\n"
         "\trotation 0.000000 0.000000 0.000000\r\n\ttranslation 0.000000 0.000000 0.000000\r\n"
         "\tvisible 15\r\n\tlocking 0\r\n\tshading 1\r\n\tfacet 59.5\r\n\tcolor 0.898 0.498 0.698\r\n"
         "\tcolor_type 0\r\n" +
         vertices + FaceList(faces) + "}\r\n";
}

// A quad's texture coordinates: picture corners top-left, top-right,
// bottom-right, bottom-left.
const std::vector<float> kQuadUV = {0, 0, 1, 0, 1, 1, 0, 1};

enum Material { kFloor, kCrate, kSign, kLattice, kRed, kBlue, kGlass };

std::string Document() {
  std::string s = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n";
  s += "Scene {\r\n\tpos 0.0000 0.0000 1500.0000\r\n\tlookat 0.0000 0.0000 0.0000\r\n\thead -0.5236\r\n"
       "\tpich 0.5236\r\n\tortho 0\r\n\tzoom2 5.0000\r\n\tamb 0.250 0.250 0.250\r\n}\r\n";
  s += "Material 7 {\r\n";
  s += "\t\"floor\" col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.500) spc(0.100) power(5.00)"
       " tex(\"checker.tga\")\r\n";
  s += "\t\"crate\" shader(3) col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.500) spc(0.000)"
       " power(5.00) tex(\"crate.bmp\")\r\n";
  s += "\t\"sign\" col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.500) spc(0.000) power(5.00)"
       " tex(\"sign.jpg\")\r\n";
  s += "\t\"lattice\" col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.500) spc(0.000) power(5.00)"
       " tex(\"lattice.tga\") aplane(\"lattice_a.tga\")\r\n";
  // The red material's name is Shift-JIS for "red".
  s += "\t\"\x90\xd4\" col(0.900 0.150 0.100 1.000) dif(0.800) amb(0.500) emi(0.100) spc(0.600) power(30.00)\r\n";
  s += "\t\"blue\" col(0.150 0.300 0.900 1.000) dif(0.800) amb(0.500) emi(0.100) spc(0.600) power(30.00)\r\n";
  s += "\t\"glass\" col(0.300 0.900 0.400 0.750) dif(0.900) amb(0.600) emi(0.300) spc(0.800) power(60.00)\r\n";
  s += "}\r\n";

  // The floor, with u across from -x and v down the picture from -z.
  s += ObjectChunk("floor", VertexList({{-90, -30, -90}, {90, -30, -90}, {90, -30, 90}, {-90, -30, 90}}),
                   {{{0, 1, 2, 3}, kFloor, kQuadUV}});

  // The crate: a cube of side 30, its vertices stored as binary data.
  {
    const float x0 = -60, x1 = -15, y0 = -30, y1 = 15, z0 = -10, z1 = 35;
    const std::vector<V3> v = {{x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1},
                               {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}};
    s += ObjectChunk("crate", BinaryVertexList(v),
                     {{{0, 1, 2, 3}, kCrate, kQuadUV},
                      {{3, 2, 6, 7}, kCrate, kQuadUV},
                      {{2, 1, 5, 6}, kCrate, kQuadUV},
                      {{1, 0, 4, 5}, kCrate, kQuadUV},
                      {{0, 3, 7, 4}, kCrate, kQuadUV},
                      {{7, 6, 5, 4}, kCrate, kQuadUV}});
  }

  // A pyramid of triangles; its left side has no material.
  s += ObjectChunk("pyramid", VertexList({{15, -30, 0}, {60, -30, 0}, {60, -30, 45}, {15, -30, 45}, {37.5f, 30, 22.5f}}),
                   {{{3, 2, 4}, kRed, {}},
                    {{2, 1, 4}, kBlue, {}},
                    {{1, 0, 4}, kRed, {}},
                    {{0, 3, 4}, -1, {}},
                    {{0, 1, 2, 3}, kBlue, {}}});

  // The lattice on the floor's far edge: its alpha plane cuts round holes,
  // through which the background shows above the floor.
  s += ObjectChunk("lattice", VertexList({{-84, 54, -90}, {0, 54, -90}, {0, -30, -90}, {-84, -30, -90}}),
                   {{{0, 1, 2, 3}, kLattice, kQuadUV}});

  // The sign: a picture twice as wide as high on a quad of the same shape.
  s += ObjectChunk("sign", VertexList({{12, 54, -90}, {84, 54, -90}, {84, 18, -90}, {12, 18, -90}}),
                   {{{0, 1, 2, 3}, kSign, kQuadUV}});

  // A pane of glass in front of the crate: translucent while a button is held.
  s += ObjectChunk("glass", VertexList({{-78, 6, 55}, {3, 6, 55}, {3, -30, 55}, {-78, -30, 55}}),
                   {{{0, 1, 2, 3}, kGlass, {}}});
  return s + "Eof\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample <folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string tex = dir + "/Texture/";
  const bool ok = WriteFile(dir + "/sample.mqo", Document()) && WriteFile(tex + "checker.tga", Tga(Checker())) &&
                  WriteFile(tex + "crate.bmp", Bmp(Crate())) && WriteJpeg(tex + "sign.jpg", Sign()) &&
                  WriteFile(tex + "lattice.tga", Tga(Lattice())) &&
                  WriteFile(tex + "lattice_a.tga", GreyTga(LatticeAlpha()));
  if (!ok) {
    std::fprintf(stderr, "make_sample: cannot write into %s (does %s exist?)\n", dir.c_str(), tex.c_str());
    return 1;
  }
  return 0;
}
