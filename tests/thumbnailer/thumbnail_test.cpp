// The thumbnail's pixels from what OpenGL read back, its framing, and
// whole thumbnails of small documents drawn headless and read back.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <png.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "model/model_loading.h"
#include "thumbnailer/thumbnail_picture.h"
#include "thumbnailer/thumbnail_view.h"
#include "thumbnailer/thumbnailer.h"

namespace {

// A 1 x 2 thumbnail drawn at twice the side: read rows run bottom-up, and a
// pixel's colour is the mean of its drawn samples only, its alpha their share.
TEST(ResolveThumbnail, TopRowFirstStraightAlphaFromDrawnSamples) {
  constexpr int kSide = 2, kFactor = 2, kWide = kSide * kFactor;
  std::vector<unsigned char> rgba(kWide * kWide * 4, 0);
  std::vector<float> depth(kWide * kWide, 1.0f);
  auto draw = [&](int x, int y, unsigned char r, unsigned char g) {
    const int at = y * kWide + x;
    rgba[4 * at] = r;
    rgba[4 * at + 1] = g;
    rgba[4 * at + 3] = 77;  // a material's own alpha: not the picture's
    depth[at] = 0.5f;
  };
  // Read rows 0-1 are the picture's bottom row: one drawn sample of pixel (0, 1).
  draw(0, 0, 200, 0);
  // Read rows 2-3, the top row: two drawn samples of pixel (1, 0).
  draw(2, 2, 100, 10);
  draw(3, 3, 50, 30);

  const std::vector<unsigned char> out = ResolveThumbnail(rgba.data(), depth.data(), kSide, kFactor);
  ASSERT_EQ(out.size(), 16u);
  auto pixel = [&](int x, int y) { return std::vector<int>(&out[(y * kSide + x) * 4], &out[(y * kSide + x) * 4 + 4]); };
  EXPECT_EQ(pixel(0, 0), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(pixel(1, 0), (std::vector<int>{75, 20, 0, 128}));
  EXPECT_EQ(pixel(0, 1), (std::vector<int>{200, 0, 0, 64}));
  EXPECT_EQ(pixel(1, 1), (std::vector<int>{0, 0, 0, 0}));
}

ObjectMQO Object(std::initializer_list<VertexMQO> vertices, std::initializer_list<FaceMQO> faces) {
  ObjectMQO object;
  for (const VertexMQO& v : vertices) object.AddVertex(v);
  for (const FaceMQO& f : faces) object.AddFace(f);
  return object;
}

FaceMQO Face(int corners, int a, int b, int c) { return FaceMQO{corners, -1, {}, {a, b, c, 0}, {}}; }

// Only what is drawn is framed: a two-corner face is a line, framed like a
// face, and a face naming a vertex that does not exist is left out.
TEST(FitThumbnailView, FramesOnlyDrawnFaces) {
  ThumbnailView view;
  const ObjectMQO edgeOnly = Object({{0, 0, 0}, {1, 0, 0}}, {Face(2, 0, 1, 0)});
  EXPECT_TRUE(FitThumbnailView(&edgeOnly, 1, view));
  const ObjectMQO pointOnly = Object({{0, 0, 0}}, {Face(1, 0, 0, 0)});
  EXPECT_FALSE(FitThumbnailView(&pointOnly, 1, view));

  const ObjectMQO small = Object({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {Face(3, 0, 1, 2)});
  const ObjectMQO strayFar = Object({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {10, 10, 0}},
                                    {Face(3, 0, 1, 2), Face(3, 0, 1, 3), Face(3, 0, 1, 7)});
  ThumbnailView a, b;
  ASSERT_TRUE(FitThumbnailView(&small, 1, a));
  ASSERT_TRUE(FitThumbnailView(&strayFar, 1, b));
  EXPECT_NE(a.scale, b.scale);  // the far vertex of a drawn face counts

  const ObjectMQO badIndex = Object({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1e6f, 1e6f, 0}},
                                    {Face(3, 0, 1, 2), Face(3, 3, 1, 9)});
  ThumbnailView c;
  ASSERT_TRUE(FitThumbnailView(&badIndex, 1, c));
  EXPECT_DOUBLE_EQ(a.scale, c.scale);
  for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(a.centre[i], c.centre[i]) << i;
}

// A thumbnail of a document made of the given text in a fresh folder,
// with the given files beside it; empty pixels when none was made.
struct Thumbnail {
  bool made = false;
  std::string reason;
  int side = 0;
  std::vector<unsigned char> rgba;

  Thumbnail(const std::string& document, int size, const std::vector<std::pair<std::string, std::string>>& files = {}) {
    // The driver's allocations are reported as leaks without a module name
    // once it is unloaded; kept loaded, the suppressions match them.
    for (const char* dir : {"/usr/lib/x86_64-linux-gnu/dri", "/usr/lib/aarch64-linux-gnu/dri", "/usr/lib/dri"})
      dlopen((std::string(dir) + "/swrast_dri.so").c_str(), RTLD_NOW | RTLD_NODELETE);
    char pattern[] = "/tmp/thumbnail-test-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    for (const auto& [name, bytes] : files) Write(folder + "/" + name, bytes);
    Write(folder + "/model.mqo", document);
    const std::string output = folder + "/out.png";
    made = MakeThumbnail((folder + "/model.mqo").c_str(), output.c_str(), size, reason);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, output.c_str())) {
      image.format = PNG_FORMAT_RGBA;
      side = image.width;
      rgba.resize(PNG_IMAGE_SIZE(image));
      if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) rgba.clear();
    }
    png_image_free(&image);
    std::system(("rm -rf " + folder).c_str());
  }
  static void Write(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(file);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  int Alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * side + x) * 4 + 3]; }
  bool AnyDrawn() const {
    for (size_t i = 3; i < rgba.size(); i += 4)
      if (rgba[i]) return true;
    return false;
  }
};

std::string Document(const std::string& materials, const std::string& vertices, const std::string& faces) {
  return "Metasequoia Document\nFormat Text Ver 1.0\n" + materials + "Object \"o\" {\n\tvertex 99 {\n" + vertices +
         "\t}\n\tface 99 {\n" + faces + "\t}\n}\nEof\n";
}

// A cube of one white material, its faces wound as the modeller writes them.
std::string WhiteCube() {
  return Document("Material 1 {\n\t\"white\" col(1 1 1 1) dif(0.8) amb(0.6) emi(0) spc(0) power(5)\n}\n",
                  "-1 1 1\n-1 -1 1\n1 1 1\n1 -1 1\n1 1 -1\n1 -1 -1\n-1 1 -1\n-1 -1 -1\n",
                  "4 V(0 2 3 1) M(0)\n4 V(2 4 5 3) M(0)\n4 V(4 6 7 5) M(0)\n4 V(6 0 1 7) M(0)\n"
                  "4 V(6 4 2 0) M(0)\n4 V(1 3 5 7) M(0)\n");
}

// A 32-bit TGA, one row of texels of the given alphas.
std::string Tga32(const std::string& alphas) {
  std::string tga(18, '\0');
  tga[2] = 2;
  tga[12] = static_cast<char>(alphas.size());
  tga[14] = 1;
  tga[16] = 32;
  tga[17] = 8;
  for (char alpha : alphas) tga += std::string{'\x40', '\x80', '\x20', alpha};
  return tga;
}

// Perspective enlarges the near side of the model, and alpha can cut away
// its edges: the picture is centred on what was drawn, with equal margins.
TEST(Thumbnail, DrawnExtentIsCentred) {
  const std::string halfClear = Document("Material 1 {\n\t\"m\" col(1 1 1 1) dif(0.8) tex(\"half.tga\")\n}\n",
                                         "0 0 0\n4 0 0\n4 4 0\n0 4 0\n", "4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\n");
  const Thumbnail cube(WhiteCube(), 128), cut(halfClear, 128, {{"half.tga", Tga32(std::string("\xff\0\0\0", 4))}});
  for (const Thumbnail* t : {&cube, &cut}) {
    ASSERT_TRUE(t->made) << t->reason;
    int left = t->side, right = -1, top = t->side, bottom = -1;
    for (int y = 0; y < t->side; ++y)
      for (int x = 0; x < t->side; ++x)
        if (t->Alpha(x, y)) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    const int margins[4] = {left, t->side - 1 - right, top, t->side - 1 - bottom};
    EXPECT_NEAR(margins[0], margins[1], 2);
    EXPECT_NEAR(margins[2], margins[3], 2);
    EXPECT_NEAR(std::min(margins[0], margins[2]), t->side * 0.05, 2);  // the small margin
  }
}

// Lit by its faces' own normals, the cube's three visible sides differ,
// also when its faces have no material (the viewer's colours for those
// would make every side the same white).
TEST(Thumbnail, CubeShowsItsSides) {
  std::string noMaterial = WhiteCube();
  noMaterial.erase(noMaterial.find("Material 1"), noMaterial.find("Object") - noMaterial.find("Material 1"));
  for (size_t at; (at = noMaterial.find(" M(0)")) != std::string::npos;) noMaterial.erase(at, 5);
  for (const std::string& document : {WhiteCube(), noMaterial}) {
    const Thumbnail t(document, 64);
    ASSERT_TRUE(t.made) << t.reason;
    std::map<int, int> shades;  // grey level of opaque pixels, and how many
    for (size_t i = 0; i < t.rgba.size(); i += 4)
      if (t.rgba[i + 3] == 255) ++shades[t.rgba[i]];
    int large = 0;
    for (const auto& [level, count] : shades) large += count >= 200;
    EXPECT_GE(large, 3) << document;
  }
}


// Inputs that once gave a fully transparent picture and success. Each now
// gives a visible picture or fails with a reason and no file.
TEST(Thumbnail, DegenerateModelsAreDrawnOrRefusedNeverBlank) {
  const std::string triangle = "0 0 0\n1 0 0\n0 1 0\n";
  const std::string textured = "4 V(0 1 2 1) M(0) UV(0 0 1 0 0 1 1 0)\n";
  struct Case {
    const char* what;
    std::string document;
    bool visible;
    std::vector<std::pair<std::string, std::string>> files;
  } cases[] = {
      {"three equal vertices", Document("", "1 1 1\n1 1 1\n1 1 1\n", "3 V(0 1 2)\n"), false, {}},
      {"collinear vertices", Document("", "0 0 0\n1 1 1\n2 2 2\n", "3 V(0 1 2)\n"), false, {}},
      {"corners equal as floats", Document("", "1e8 1e8 0\n100000003 1e8 0\n1e8 100000003 0\n", "3 V(0 1 2)\n"), false, {}},
      {"one far vertex", Document("", triangle + "1e30 0 0\n", "3 V(0 1 2)\n3 V(0 1 3)\n"), true, {}},
      {"tiny coordinates", Document("", "0 0 0\n1e-40 0 0\n0 1e-40 0\n", "3 V(0 1 2)\n"), true, {}},
      {"NaN and infinite corners", Document("", triangle + "nan 0 0\n0 inf 0\n", "3 V(0 1 2)\n3 V(0 3 4)\n3 V(1 2 3)\n"), true, {}},
      {"texture clear everywhere",
       Document("Material 1 {\n\t\"m\" col(1 1 1 1) dif(0.8) amb(0.6) tex(\"clear.tga\")\n}\n", triangle, textured),
       false, {{"clear.tga", Tga32(std::string(1, '\0'))}}},
      {"emissive material with an opaque RGBA texture",
       Document("Material 1 {\n\t\"m\" col(1 1 1 1) dif(0) emi(1) tex(\"opaque.tga\")\n}\n", triangle, textured),
       true, {{"opaque.tga", Tga32("\xff")}}},
  };
  for (const Case& c : cases) {
    const Thumbnail t(c.document, 32, c.files);
    EXPECT_EQ(t.made, c.visible) << c.what << ": " << t.reason;
    EXPECT_EQ(t.made, t.AnyDrawn()) << c.what << (t.made ? ": blank picture" : ": a file was written");
    if (!t.made) EXPECT_FALSE(t.reason.empty()) << c.what;
  }
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A newer document carries its own picture, textures included: shown when
// its texture cannot be read (as in a sandbox that holds the model alone),
// not when the texture is there.
TEST(Thumbnail, EmbeddedPictureOnlyWhenNothingCanBeDrawn) {
  const std::string folder = CORPUS_DIR "/lsbattle/resources/img/cube/";
  const std::string document = FileBytes(folder + "cube.mqo");
  ASSERT_FALSE(document.empty());
  const std::string faceless = document.substr(0, document.find("Object")) + "Eof\n";
  g_newerFormats = true;
  const Thumbnail alone(document, 64), nothing(faceless, 64);
  g_newerFormats = false;
  // Its texture missing, the cube is drawn all the same, untextured, on a
  // transparent background.
  ASSERT_TRUE(alone.made) << alone.reason;
  EXPECT_EQ(alone.Alpha(0, 0), 0);
  EXPECT_TRUE(alone.AnyDrawn());
  // With nothing to draw, the document's own picture, opaque to its corners.
  ASSERT_TRUE(nothing.made) << nothing.reason;
  for (size_t i = 3; i < nothing.rgba.size(); i += 4) ASSERT_EQ(nothing.rgba[i], 255) << i;
  EXPECT_EQ(std::vector<int>(nothing.rgba.begin(), nothing.rgba.begin() + 3), (std::vector<int>{0x1e, 0x41, 0x5a}));
}

// The thumbnail draws the model as modelled. A half box mirrored across
// x = 0 gives the picture of the whole box written out: its other half's
// faces turned about the plane, their corners in reverse order, the corners
// on the plane shared.
TEST(AsModelled, MirroredHalfMatchesItsWholeTwin) {
  const std::string corners = "0 -1 -1\n0 1 -1\n0 1 1\n0 -1 1\n2 -1 -1\n2 1 -1\n2 1 1\n2 -1 1\n";
  const std::string half = "4 V(4 5 6 7)\n4 V(1 2 6 5)\n4 V(0 4 7 3)\n4 V(3 7 6 2)\n4 V(0 1 5 4)\n";
  const std::string mirrored = "4 V(11 10 9 8)\n4 V(9 10 2 1)\n4 V(3 11 8 0)\n4 V(2 10 11 3)\n4 V(8 9 1 0)\n";
  std::string mirror = Document("", corners, half);
  mirror.insert(mirror.find("\tvertex"), "\tmirror 1\n\tmirror_axis 1\n");
  const Thumbnail fromHalf(mirror, 64);
  const Thumbnail whole(Document("", corners + "-2 -1 -1\n-2 1 -1\n-2 1 1\n-2 -1 1\n", half + mirrored), 64);
  const Thumbnail alone(Document("", corners, half), 64);
  ASSERT_TRUE(fromHalf.made && whole.made && alone.made) << fromHalf.reason << whole.reason;
  EXPECT_EQ(fromHalf.rgba, whole.rgba);
  EXPECT_NE(alone.rgba, whole.rgba);
}

// A helper object marked "visible 0" is neither drawn nor framed.
TEST(AsModelled, HiddenObjectsLeaveNoPixel) {
  const std::string cube = WhiteCube();
  std::string withHelper = cube;
  withHelper.insert(withHelper.find("Eof"), "Object \"helper\" {\n\tvisible 0\n\tvertex 3 {\n\t\t-500 0 -500\n"
                                            "\t\t500 0 -500\n\t\t0 0 500\n\t}\n\tface 1 {\n\t\t3 V(0 1 2)\n\t}\n}\n");
  const Thumbnail shown(cube, 64), hidden(withHelper, 64);
  ASSERT_TRUE(shown.made && hidden.made) << hidden.reason;
  EXPECT_EQ(shown.rgba, hidden.rgba);
  // A document whose every object is hidden is shown with them.
  std::string allHidden = cube;
  allHidden.insert(allHidden.find("\tvertex"), "\tvisible 0\n");
  const Thumbnail whole(allHidden, 64);
  ASSERT_TRUE(whole.made) << whole.reason;
  EXPECT_EQ(whole.rgba, shown.rgba);
}

// A cube of lines (two-corner faces) is drawn as its edges, in its
// material's colour, unlit.
TEST(AsModelled, LinesAreDrawnInTheirMaterialsColour) {
  std::string edges;
  for (const char* e : {"0 1", "1 3", "3 2", "2 0", "4 5", "5 7", "7 6", "6 4", "0 6", "1 7", "2 4", "3 5"})
    edges += std::string("2 V(") + e + ") M(0)\n";
  const Thumbnail lines(Document("Material 1 {\n\t\"red\" col(1 0 0 1) dif(0.8) amb(0.6)\n}\n",
                                 "-1 1 1\n-1 -1 1\n1 1 1\n1 -1 1\n1 1 -1\n1 -1 -1\n-1 1 -1\n-1 -1 -1\n", edges),
                        64);
  ASSERT_TRUE(lines.made) << lines.reason;
  int drawn = 0;
  for (int i = 0; i < lines.side * lines.side; ++i) {
    if (lines.rgba[i * 4 + 3] == 0) continue;
    ++drawn;
    EXPECT_EQ(lines.rgba[i * 4], 255) << i;
    EXPECT_EQ(lines.rgba[i * 4 + 1], 0) << i;
  }
  // Edges, not faces: most of the frame stays clear.
  EXPECT_GT(drawn, 64);
  EXPECT_LT(drawn, 64 * 64 / 4);
}

// Translucent faces are blended farthest first and write no depth: two
// overlapping translucent quads, the front one first in the file, show the
// back one through the front one (it had been hidden behind it).
TEST(AsModelled, TranslucentFacesShowThroughEachOther) {
  const Thumbnail t(Document("Material 2 {\n\t\"front\" shader(1) col(1 0 0 0.5)\n\t\"back\" shader(1) col(0 0 1 0.5)\n}\n",
                             // The back quad stands right behind the front one as the thumbnail's
                             // camera sees it (45 degrees right, 30 above).
                             "-1 -1 0\n1 -1 0\n1 1 0\n-1 1 0\n"
                             "-2.22 -2 -1.22\n-0.22 -2 -1.22\n-0.22 0 -1.22\n-2.22 0 -1.22\n",
                             "4 V(0 1 2 3) M(0)\n4 V(4 5 6 7) M(1)\n"),
                    32);
  ASSERT_TRUE(t.made) << t.reason;
  const unsigned char* centre = &t.rgba[(16 * 32 + 16) * 4];
  EXPECT_GT(centre[0], 60) << "the front quad's red";
  EXPECT_GT(centre[2], 30) << "the back quad's blue, seen through it";
}

// Texture alpha between 0 and 255 blends rather than cutting at one half:
// a constant white quad under a row of alphas 0, 85, 170, 255 shows each
// level, not only the texels above one half at full strength.
TEST(AsModelled, SoftTextureAlphaBlends) {
  const Thumbnail t(Document("Material 1 {\n\t\"glow\" shader(1) col(1 1 1 1) tex(\"glow.tga\")\n}\n",
                             "-1 -1 0\n1 -1 0\n1 1 0\n-1 1 0\n", "4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\n"),
                    32, {{"glow.tga", Tga32(std::string("\x00\x55\xaa\xff", 4))}});
  ASSERT_TRUE(t.made) << t.reason;
  int faintest = 255;
  for (int i = 0; i < t.side * t.side; ++i)
    if (t.rgba[i * 4 + 3] == 255) faintest = std::min<int>(faintest, t.rgba[i * 4 + 1]);
  EXPECT_LT(faintest, 100);  // green 128 at full strength
}

// A constant material ("shader(1)") shows its colour unlit on every side;
// an alpha plane on a material without a texture cuts its colour all the
// same (one of alpha 0 leaves nothing to draw).
TEST(AsModelled, ConstantMaterialsAreUnlitAndAnAlphaPlaneAloneCuts) {
  std::string constant = WhiteCube();
  constant.replace(constant.find("col(1 1 1 1)"), 12, "shader(1) col(0.8 0.2 0.4 1)");
  const Thumbnail flat(constant, 32);
  ASSERT_TRUE(flat.made) << flat.reason;
  int opaque = 0;
  for (int i = 0; i < flat.side * flat.side; ++i) {
    if (flat.rgba[i * 4 + 3] != 255) continue;
    ++opaque;
    EXPECT_NEAR(flat.rgba[i * 4], 204, 1) << i;
    EXPECT_NEAR(flat.rgba[i * 4 + 1], 51, 1) << i;
    EXPECT_NEAR(flat.rgba[i * 4 + 2], 102, 1) << i;
  }
  EXPECT_GT(opaque, 100);

  std::string cut = WhiteCube();
  cut.replace(cut.find("col(1 1 1 1)"), 12, "col(1 1 1 1) aplane(\"clear.tga\")");
  std::string clear(18, '\0');
  clear[2] = 3;
  clear[12] = clear[14] = 1;
  clear[16] = 8;
  clear += '\0';
  const Thumbnail none(cut, 32, {{"clear.tga", clear}});
  EXPECT_FALSE(none.made);
  EXPECT_NE(none.reason.find("nothing was drawn"), std::string::npos) << none.reason;
}

// A sphere of 16 x 8 facets, smoothed within 60 degrees as its file asks,
// shades evenly across its facets; with "shading 0" each facet is flat and
// its edges show as steps of shade.
TEST(AsModelled, SmoothingHidesTheFacetEdges) {
  std::string vertices = "0 1 0\n0 -1 0\n", faces;
  constexpr int kAround = 16, kRings = 8;
  constexpr double kPi = 3.14159265358979;
  for (int r = 1; r < kRings; ++r)
    for (int a = 0; a < kAround; ++a) {
      const double polar = kPi * r / kRings, azimuth = 2 * kPi * a / kAround;
      vertices += std::to_string(std::sin(polar) * std::cos(azimuth)) + " " + std::to_string(std::cos(polar)) + " " +
                  std::to_string(std::sin(polar) * std::sin(azimuth)) + "\n";
    }
  const auto at = [](int r, int a) { return std::to_string(2 + (r - 1) * kAround + (a % kAround)); };
  for (int a = 0; a < kAround; ++a) {
    faces += "3 V(0 " + at(1, a + 1) + " " + at(1, a) + ")\n";
    faces += "3 V(1 " + at(kRings - 1, a) + " " + at(kRings - 1, a + 1) + ")\n";
    for (int r = 1; r + 1 < kRings; ++r)
      faces += "4 V(" + at(r, a) + " " + at(r, a + 1) + " " + at(r + 1, a + 1) + " " + at(r + 1, a) + ")\n";
  }
  // The largest step of grey between two pixels side by side inside the
  // sphere, away from its outline.
  const auto largestStep = [](const Thumbnail& t) {
    int largest = 0;
    for (int y = 1; y + 1 < t.side; ++y)
      for (int x = 1; x + 2 < t.side; ++x) {
        bool inside = true;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 2; ++dx) inside = inside && t.Alpha(x + dx, y + dy) == 255;
        if (inside) largest = std::max(largest, std::abs(t.rgba[(static_cast<size_t>(y) * t.side + x) * 4 + 1] -
                                                           t.rgba[(static_cast<size_t>(y) * t.side + x + 1) * 4 + 1]));
      }
    return largest;
  };
  std::string smooth = Document("", vertices, faces), flat = smooth;
  smooth.insert(smooth.find("\tvertex"), "\tshading 1\n\tfacet 60\n");
  flat.insert(flat.find("\tvertex"), "\tshading 0\n");
  const Thumbnail smoothed(smooth, 128), faceted(flat, 128);
  ASSERT_TRUE(smoothed.made && faceted.made);
  // Seen measured: 7 smoothed, 33 flat.
  EXPECT_LE(largestStep(smoothed), 12);
  EXPECT_GE(largestStep(faceted), 24);
}

// A cube marked as a curved surface is read with its level and drawn round:
// its shade runs smoothly, where the cage's three sides each have one.
TEST(AsModelled, CurvedSurfaceIsDrawnRound) {
  std::string curved = WhiteCube();
  curved.insert(curved.find("\tvertex"), "\tpatch 3\n\tsegment 3\n");
  const auto commonestShare = [](const Thumbnail& t) {
    std::map<int, int> shades;
    int opaque = 0;
    for (size_t i = 0; i < t.rgba.size(); i += 4)
      if (t.rgba[i + 3] == 255) ++shades[t.rgba[i]], ++opaque;
    int most = 0;
    for (const auto& [level, count] : shades) most = std::max(most, count);
    return static_cast<double>(most) / std::max(opaque, 1);
  };
  const Thumbnail cage(WhiteCube(), 64), round(curved, 64);
  ASSERT_TRUE(cage.made && round.made) << round.reason;
  // Seen measured: 0.36 the cage, 0.03 round.
  EXPECT_GT(commonestShare(cage), 0.25);
  EXPECT_LT(commonestShare(round), 0.1);
}

}  // namespace
