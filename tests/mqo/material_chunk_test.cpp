#include <gtest/gtest.h>

#include <string>

#include "mqo_text.h"

namespace {

// The material read from one line of a one-material chunk.
MaterialMQO Material(const std::string& line) {
  const LoadResult r = LoadBody("Material 1 {\n" + line + "\n}\n");
  EXPECT_EQ(r.code, 0) << line;
  EXPECT_EQ(r.document.numMaterials, 1) << line;
  return r.document.numMaterials > 0 ? r.document.GetMaterial(0) : MaterialMQO{};
}

TEST(Materials, ReadsEveryKnownAttribute) {
  const MaterialMQO m = Material(
      "\t\"mat (1)\" shader(3) vcol(1) COL(1.000 0.500 0.250 0.125) Dif(0.800) amb(0.600) emi(0.100) spc(0.200) "
      "power(5.00) proj_pos(0.0 0.0 0.0) tex(\"Tex (a).bmp\") aplane(\"a.tga\") bump(\"b.jpg\")");
  EXPECT_STREQ(m.name, "mat (1)");
  EXPECT_FLOAT_EQ(m.color[0], 1.0f);
  EXPECT_FLOAT_EQ(m.color[3], 0.125f);
  EXPECT_FLOAT_EQ(m.diffuse, 0.8f);
  EXPECT_FLOAT_EQ(m.ambient, 0.6f);
  EXPECT_FLOAT_EQ(m.emissive, 0.1f);
  EXPECT_FLOAT_EQ(m.specular, 0.2f);
  EXPECT_FLOAT_EQ(m.power, 5.0f);
  EXPECT_STREQ(m.textureName, "Tex (a).bmp");
  EXPECT_STREQ(m.alphaPlaneName, "a.tga");
  EXPECT_STREQ(m.bumpName, "b.jpg");
  EXPECT_EQ(m.shader, 3);
  // A malformed shader is passed over as any unknown attribute is.
  EXPECT_EQ(Material("\"m\" shader() dif(0.5)").diffuse, 0.5f);
}

TEST(Materials, MalformedAttributesEndTheLineButKeepTheMaterial) {
  EXPECT_EQ(Material("\"m\"").color[3], 0.0f);
  // col with three numbers at the end: too few tokens, skipped as unknown.
  EXPECT_EQ(Material("\"m\" dif(0.5) col(1 1 1)").diffuse, 0.5f);
  // col with three numbers before dif: the form fails and the line stops.
  EXPECT_EQ(Material("\"m\" col(1 1 1) dif(0.8) amb(0.6)").diffuse, 0.0f);
  EXPECT_EQ(Material("\"m\" amb(0.5) dif(0.8").ambient, 0.5f);
  EXPECT_EQ(Material("\"m\" amb(0.5) bare dif(0.8)").diffuse, 0.0f);
  EXPECT_EQ(Material("\"m\" amb(0.5) bare dif(0.8)").ambient, 0.5f);
  EXPECT_STREQ(Material("\"m\" tex(\"\")").textureName, "");
  EXPECT_EQ(Material("\"m\" dif(0.5) tex()").diffuse, 0.5f);
  EXPECT_EQ(Material("\"m\" tex() dif(0.5)").diffuse, 0.0f);
  EXPECT_EQ(Material("\"m\" unknown(1 2 3 4 5 6 7 8) dif(0.5)").diffuse, 0.5f);
}

TEST(Materials, ShiftJisNamesKeepTheirBytesAndLongNamesAreCut) {
  const std::string name = "\x83\x7B\x81\x5B\x83\x7D\x83\x5D";  // second bytes [ ] { }
  const MaterialMQO m = Material("\"" + name + "\" tex(" + name + ".bmp) col(1 0 0 1)");
  EXPECT_EQ(std::string(m.name), name);
  EXPECT_EQ(std::string(m.textureName), name + ".bmp");
  EXPECT_EQ(m.color[0], 1.0f);
  const MaterialMQO cut = Material(std::string(400, 'a') + " tex(\"" + std::string(400, 't') + "\")");
  EXPECT_EQ(std::string(cut.name), std::string(255, 'a'));
  EXPECT_EQ(std::string(cut.textureName), std::string(255, 't'));
}

TEST(Materials, EveryNonEmptyLineUpToTheClosingLineIsAMaterial) {
  const LoadResult r = LoadBody("Material 9 {\n\"one\"\n\n\tinner {\n\"two\" dif(1)\n} trailing tokens\n\"after\"\n");
  EXPECT_EQ(r.code, 0);  // "after" is an unknown top-level line
  ASSERT_EQ(r.document.numMaterials, 3);
  EXPECT_STREQ(r.document.materials[0].name, "one");
  EXPECT_STREQ(r.document.materials[1].name, "inner");
  EXPECT_STREQ(r.document.materials[2].name, "two");
}

TEST(Materials, RecordsStopAtTheLimitAndTheReadGoesOn) {
  std::string lines;
  for (int i = 0; i < kMaxMaterialRecords + 50; ++i) lines += "m" + std::to_string(i) + "\n";
  const LoadResult r = LoadBody("Material 1 {\n" + lines + "}\nMaterial 1 {\nx\n}\nObject \"o\" {\n}\n");
  EXPECT_EQ(r.code, 0);
  ASSERT_EQ(r.document.numMaterials, kMaxMaterialRecords);
  EXPECT_EQ(r.document.materials[kMaxMaterialRecords - 1].name, "m" + std::to_string(kMaxMaterialRecords - 1));
  EXPECT_EQ(r.document.numObjects, 1);
}

TEST(Materials, EndOfFileKeepsTheMaterialsRead) {
  const LoadResult r = LoadBody("Material 2 {\n\"a\"\n\"b\"\n");
  EXPECT_EQ(r.code, -2);
  EXPECT_EQ(r.document.numMaterials, 2);
}

}  // namespace
